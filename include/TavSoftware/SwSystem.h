// The editing session of an interactive editor: the MSS under edit, the
// hardware database, the repositories, and one component per hardware
// instance linking it to its driver (or processor) and OS instances.
#ifndef TAVSOFTWARE_SWSYSTEM_H
#define TAVSOFTWARE_SWSYSTEM_H

#include <boost/shared_ptr.hpp>
#include <memory>
#include <vector>

#include "HwDb.h"
#include "SwTypes.h"

namespace TavSoftware {

class Mss;
class SwComponent;
struct SwSystemImp;

// Type tag "MdtLoomhall_SwSystem". Owns its Mss (never null), its
// components and the caller's node (OTHER); shares the hardware database;
// does not own the repository manager, which must outlive the session.
//
// Life: construct, give it the repository manager (SetBaseNodePtr(REPOS_MAN,
// ...)), fill it (CreateMss, CreateMssFromTemplate, or ClearInfo +
// ParseMss), edit it, write it (WriteMss, WriteMssIfChanged).
//
// Components stay valid until ClearInfo, ParseMss or the destructor. An
// operation that destroys an instance relinks every component before it
// returns, so no component points at a destroyed instance; a component
// whose instance is gone keeps a null link. A caller that changes the Mss
// directly (MssUtil on GetMss()) calls UpdateComponentLinks afterwards.
//
// Without a hardware database or repository manager nothing crashes: the
// operations that need one return the result stated or an empty answer.
class TAVSW_API SwSystem : public MdtBase::PsfFile {
 public:
  using HwDbPtr = boost::shared_ptr<TavHwDb::HwDb>;

  enum NodeType {
    REPOS_MAN = 1,  // the repository manager (SwReposMan, not owned)
    MSS = 5,        // the Mss under edit
    OTHER = 8,      // a node of the caller's choosing, owned
    // Component kinds for GetSwComponentSeqByIpType.
    PERIPHERALS = 10,
    PROCESSORS = 11,
    BUSES = 12
  };

  // Nothing is read; `flag` is kept for the caller.
  SwSystem(const HwDbPtr& hw, const char* name, unsigned char flag = 0);
  ~SwSystem() override;

  Mss* GetMss();
  const Mss* GetMss() const;
  Port::FileName GetMssFileName() const;
  void SetMssFileName(const char* fileName);
  // REPOS_MAN, MSS or OTHER; null for anything else.
  MdtBase::BaseNode* GetBaseNodePtr(int nodeType, bool unused = false) const;
  // REPOS_MAN (a SwReposMan, by type tag; anything else clears it) and
  // OTHER (the previous node is destroyed); other types are ignored.
  void SetBaseNodePtr(int nodeType, MdtBase::BaseNode* node);
  std::vector<SwComponent*>& GetSwComponentSeqRef();
  const std::vector<SwComponent*>& GetSwComponentSeqRef() const;
  HwDbPtr GetHwDb() const;
  unsigned char GetFlag() const;
  // The first component whose name (hardware instance name) equals the
  // text ignoring case; null when none.
  SwComponent* GetSwComponentByName(const char* name) const;
  SwComponent* GetSwComponentByHwInstName(const char* hwInstName) const;
  // Appends the components of a kind (PERIPHERALS, PROCESSORS, BUSES) in
  // list order; the size of `out`. 0 and nothing appended for another type.
  int GetSwComponentSeqByIpType(int nodeType, std::vector<SwComponent*>& out) const;

  // Makes the MSS of `procInst`. With an OS name, `osVersion` "*" takes its
  // newest version, and the OS core's "<data dir>/<osName>.mss", when it
  // exists, serves as template (CreateAndInitMss); otherwise the default MSS
  // (MssUtil::CreateDefaultMss; without an OS name the processor's default
  // OS). Components are appended for the instances given a driver.
  // 0 done; -1 no version of the OS for "*" (nothing changed), or a template
  // that does not read (the error "Unable to parse the template MSS file:
  // <path>."); -2 no hardware database or repository manager.
  int CreateMss(const char* procInst, const char* osName, const char* osVersion);
  // The same from the template file given. 0; -1 (with that error) when it
  // does not read; -2 as above.
  int CreateMssFromTemplate(const char* procInst, const char* templateFile);
  // Reads the file into the Mss (not emptied first: see ClearInfo), checks
  // and binds it, and builds the components again. A bit set: 1 the reader
  // or the instance-name check found errors, 2 the check against the
  // definitions did, 4 binding or that check did. Messages are the
  // reader's and the checks'.
  int ParseMss(const char* fileName);
  // Destroys the components, the Mss (a new empty one takes its place) and
  // the caller's node. 0.
  int ClearInfo();
  // Relinks every component to the instance of its hardware instance in the
  // Mss (null when there is none) and appends components for hardware
  // instances that gained one. Components and their detached instances are
  // kept. The number of components.
  int UpdateComponentLinks();

  // Over the OS instances, the last one's PROC_INSTANCE, name or OS_VER;
  // empty without one.
  String GetProcessorName() const;
  String GetOsName() const;
  String GetOsVersion() const;
  // The name (DRIVER_VER) of the driver or processor instance serving the
  // hardware instance; empty when none.
  String GetDriverName(const String& hwInst) const;
  String GetDriverVersion(const String& hwInst) const;
  // The version of the OS, else library, else driver instance of that name.
  String GetComponentVersion(const String& name) const;

  // Sets the version of the OS, else library, else every driver (and
  // processor) instance of that name, and links each to the core of that
  // version when the repositories have one. True when an instance was
  // changed.
  bool ChangeComponentVersion(const String& name, const String& version);
  // Destroys the first driver instance serving `hwInst`, else the processor
  // instance of it; components are relinked. 0 removed; 1 none.
  int RemoveDriver(const String& hwInst);
  // Gives `hwInst` the driver `driverName` ("*" any version), replacing the
  // instance it had; components are relinked (and one appended when the
  // instance had none). MssUtil::AddDriver's result: 0 added, 1 replaced,
  // -1 no such core, -2 no repository manager.
  int SetDriver(const String& hwInst, const String& driverName, const String& driverVersion);
  // Creates or sets the property `name` (upper-cased) of `nodeType` (0
  // options, 1 parameters, 2 array values, 3 interfaces) of a driver,
  // processor, OS or library instance. 0 set; -1 a null or other node, or a
  // refused name (the name parameter) or NodeType.
  int SetParamInMss(MdtBase::BaseNode* instance, int nodeType, const String& name,
                    const String& value);
  // Destroys that property when the instance has it (ignoring case). 0
  // deleted; 1 none; -1 a null or other node.
  int DeleteParamInMss(MdtBase::BaseNode* instance, int nodeType, const String& name);

  // `kind` selects the instance named `instanceName` (any version): 1 OS,
  // 2 library, anything else driver or processor.
  // The current value of the definition's property in that instance (an
  // array value for an array definition), else the default (the
  // definition's value, else its DEFAULT); lower-cased for a bool.
  String GetParamValue(const MdtBase::Property* definition, const String& instanceName,
                       int kind) const;
  // The definition's value, else its DEFAULT.
  String GetParamDefaultValue(const MdtBase::Property* definition, const String& instanceName,
                              int kind) const;
  // The values the parameter may take: for a "peripheral_instance" "none"
  // followed by the hardware instances that fit; otherwise
  // MssUtil::GetListofValuesForParam.
  std::vector<String> GetParamListOfValues(const MdtBase::Property* definition,
                                           const String& instanceName, int kind) const;

  // Writes the Mss to `fileName`, or to its own file when that is empty or
  // null: the writer's result (0 written; 1 no file name; 2 not writable).
  int WriteMss(const char* fileName);
  // Writes the Mss to its own file only when the text the writer produces
  // differs from the file on disk (or there is none); the file is replaced
  // atomically, no temporary file is left, and an unchanged file keeps its
  // time stamp. 1 written; 0 unchanged; -1 the Mss has no file name or the
  // write failed (after the writer's status message).
  int WriteMssIfChanged();

 private:
  void BuildComponents();
  void DeleteComponents();
  std::unique_ptr<SwSystemImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWSYSTEM_H
