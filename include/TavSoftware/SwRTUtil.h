// Operations on the runtime software model: building it from an MSS and
// organising it per processor, checking an MSS and a runtime
// model against the hardware database and the definitions, answering
// questions about cores, instances and hardware, building property trees,
// and finding components in lists.
#ifndef TAVSOFTWARE_SWRTUTIL_H
#define TAVSOFTWARE_SWRTUTIL_H

#include <boost/shared_ptr.hpp>
#include <vector>

#include "HwDb.h"
#include "SwTypes.h"

namespace TavSoftware {

class ArrayInst;
class Driver;
class DrvInst;
class LibInst;
class Mdd;
class Mss;
class OsInst;
class Processor;
class PropTree;
class SwCore;
class SwRepos;
class SwReposMan;
class SwRTClass;

// Component kinds are the Mss::NodeType values of their sequences: 3
// drivers, 4 libraries, 5 OSs, 6 processors.
//
// Lists of components are looked at through the type tag of each entry: an
// entry of another class is skipped, never cast. A "driver" is a node tagged
// "TavSoftware_DrvInst" that is not a processor ("TavSoftware_ProcInst"); a
// "library" one tagged "TavSoftware_LibInst" that is not an OS
// ("TavSoftware_OsInst"). Names and values are compared ignoring case.
class TAVSW_API SwRTUtil {
 public:
  using HwDbPtr = boost::shared_ptr<TavHwDb::HwDb>;

  SwRTUtil() = delete;

  // ===========================================================================
  // Creation of the model
  // ===========================================================================
  // Builds the runtime model of `mss`: every driver, processor, OS and
  // library instance found in the manager's repositories is merged with its
  // definition into a new component of the model; then owners are set, the
  // model is checked, and it is organised per processor of `hw` (only
  // `procName` when not null). Each stage runs only when the ones before
  // reported no error. `errors` is set to the number of errors of all stages
  // run. Never null; the caller owns the model and destroys it. REQUIRES:
  // `mss` outlives the model (its components point into it).
  static SwRTClass* CreateSwRTObject(const boost::shared_ptr<TavHwDb::HwDb>& hw, const Mss* mss,
                                     SwReposMan& reposMan, int& errors, const char* procName);
  // The same from a file: the MSS is read (its errors counted, the model
  // built all the same) and owned by the model.
  static SwRTClass* CreateSwRTObject(const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                     const char* mssFile, SwReposMan& reposMan, int& errors,
                                     const char* procName);
  // Reads the file into `mss` and checks the instance names (against `hw`
  // when given); the sum of both error counts.
  static int Parse(const char* file, Mss* mss);
  static int Parse(const char* file, Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw);
  // Writes `mss` to `file`: the MSS writer's result.
  static int Write(const char* file, Mss* mss);
  // Empties `mss` and gives it the parameter VERSION = 2.2.0. 0; 1 for null.
  static int InitMss(Mss* mss);
  // Destroys every entry of sequences 1 to 6. 0; 1 for null.
  static int Clear(Mss* mss);
  // Binds every driver, library, OS and processor instance to its
  // definition; the sum of the binding results. -1 for a null manager.
  static int AssignSwCore(Mss* mss, std::vector<SwRepos*>& repos);
  static int AssignSwCore(Mss* mss, SwReposMan* man);
  // Makes `mss` the owner of its parameters and instances and sets the
  // owners below them. 0; 1 for null.
  static int AssignOwner(Mss* mss);

  // ===========================================================================
  // Organisation per processor
  // ===========================================================================
  // UpdateLibraryData + UpdateProcessorData. The number of errors.
  static int UpdateSwData(SwRTClass* model, std::vector<SwRepos*>& repos, const char* procName);
  // Refills the library index from the model's libraries. 0.
  static int UpdateLibraryData(SwRTClass* model);
  // Rebuilds the processor index from the hardware processors (only
  // `procName` when not null): each gets its processor component (a default
  // driver's when the MSS has none), its OS ("standalone" 2.00.a when the
  // MSS names none), its libraries and one Driver per driver name serving
  // the peripherals it addresses. Substitutions are warnings; the number of
  // errors. Objects made here are owned by the model and stay valid until
  // it is destroyed, also when the update is run again.
  static int UpdateProcessorData(SwRTClass* model, std::vector<SwRepos*>& repos,
                                 const char* procName);
  // Rebuilds the driver index: one Driver per driver name, folding the
  // instances of one name and listing the hardware instances each serves.
  // The number of errors.
  static int UpdateDriverData(SwRTClass* model);
  // Sets the value of the processor's "default_init" parameter when it has
  // one; nothing otherwise.
  static void SetProcMode(Processor* processor, const char* mode);
  // That value; empty when there is none.
  static String GetProcMode(Processor* processor);

  // ===========================================================================
  // Validation
  // ===========================================================================
  // Every check reports each problem it finds through the message manager
  // (never stopping at the first) and returns the number of errors it
  // reported; warnings are not counted. A null hardware database is
  // accepted everywhere: the parts of a check that need the hardware are
  // then skipped and count nothing. Null components or properties count 0.

  // The whole runtime model: CheckOptions, then CheckProperty of the
  // file-level parameters and array values, then CheckPsfCompInst over the
  // processors, OSs, drivers and libraries, with the model's hardware
  // database. May reset values that are not user-configurable (see
  // CheckParamOpt). -1 for a null model.
  static int CheckSwRTClass(SwRTClass* model, std::vector<SwRepos*>& repos);

  // CheckInstNames(mss, hw). -1 for a null MSS.
  static int CheckMss(const Mss* mss, const HwDbPtr& hw = HwDbPtr());
  // CheckInstNames(mss, hw); when that found errors, their number. Otherwise
  // each driver, OS and library instance is checked against its definition
  // in the manager's repositories (DrvInstUtil::CheckDrvInst,
  // OsInstUtil::CheckOsInst, LibInstUtil::CheckLibInst) and the sum is
  // returned. -1 for a null MSS or manager.
  static int CheckMss(const Mss* mss, SwReposMan* man, const HwDbPtr& hw = HwDbPtr());

  // The names and hardware links of the OS, processor, driver and library
  // instances, in that order. -1 for a null MSS.
  static int CheckInstNames(const Mss* mss, const HwDbPtr& hw = HwDbPtr());
  // One sequence of `kind`. A component without a name is a warning. A
  // missing or empty link ("HW_INSTANCE" for drivers and processors,
  // "PROC_INSTANCE" for OSs and libraries) is an error, for a library a
  // warning. A link the hardware database does not know is an error. Two
  // drivers on one peripheral, two processor blocks or two OSs on one
  // processor, and one library twice on one processor are each one error
  // per hardware instance, reported in sorted order of the lower-cased
  // instance names. 0 for an unlisted kind.
  static int CheckInstNames(const PsfCompSeq& seq, int kind, const HwDbPtr& hw = HwDbPtr());

  // Deprecated (a warning) and obsolete (an error) drivers, processors,
  // libraries and OSs of the model, by their state option. -1 for null.
  static int CheckOptions(const SwRTClass* model);
  // One sequence; `kindWord` ("driver", "processor", "library", anything
  // else: OS) selects the state option and is named in the messages.
  static int CheckOptions(const PsfCompSeq& seq, const String& kindWord);

  // The parameters and array values of a component (CheckProperty); only
  // when they pass, the interfaces its parameters require (CheckReqIf) and,
  // when it has "supported_peripherals", whether it supports its hardware
  // instance (CheckSuppPeriph, warnings only). `mss` is where required
  // targets are looked for.
  static int CheckPsfCompInst(MdtBase::PsfComp* comp, int kind, const Mss* mss,
                              const HwDbPtr& hw, std::vector<SwRepos*>& repos);
  // The sum over the components.
  static int CheckPsfCompInst(const PsfCompSeq& comps, int kind, const Mss* mss,
                              const HwDbPtr& hw, std::vector<SwRepos*>& repos);

  // The sum of CheckProperty over the entries (entries that are not
  // properties count 0).
  static int CheckPsfCompSeq(const PsfCompSeq& seq, const HwDbPtr& hw);
  static int CheckPsfCompSeq(const PropSeq& seq, const HwDbPtr& hw);
  // CheckParamOpt for a parameter or option, CheckArrayInst for an array
  // value; 0 for anything else.
  static int CheckProperty(MdtBase::Property* p, const HwDbPtr& hw);
  // One parameter or option: a deprecated one set in the MSS is a warning;
  // a value that is not user-configurable ("gui_permit" none) and differs
  // from the "default" is a warning, and the value is set back to that
  // default (the only change validation makes). No value object: an error.
  // A "peripheral_instance" is checked by CheckPeriphInst; otherwise the
  // value must be one of the "range" list, else of the "values" list, when
  // either exists (an error, followed by the allowed values as status
  // lines). 0 or 1.
  static int CheckParamOpt(MdtBase::Property* p, const HwDbPtr& hw);
  // CheckProperty of every parameter of every element.
  static int CheckArrayInst(ArrayInst* a, const HwDbPtr& hw);
  // A value naming a hardware instance: 0 when it is empty or the default;
  // 1 when the hardware has no such instance, or when its type and version
  // fit no entry of the "range" (CheckMatch). 0 without hardware database.
  static int CheckPeriphInst(const MdtBase::Property* p, const HwDbPtr& hw);
  // The sum over the properties of type "peripheral_instance" whose value
  // is not their default.
  static int CheckPeriphInst(const PropSeq& seq, const HwDbPtr& hw);
  // A parameter with "requires_interface": its target in `mss` (the driver
  // serving the named hardware instance for a "peripheral_instance", the
  // library or driver instance of that name for "library" or "driver")
  // must exist and have each required INTERFACE. The number of errors; 0
  // when the value is the default or there is no "type".
  static int CheckReqIf(const MdtBase::Property* p, const Mss* mss);
  // The sum over the parameters with "requires_interface", also inside the
  // elements of array values.
  static int CheckReqIf(const PropSeq& seq, const Mss* mss);
  // Warns when the component's "supported_peripherals" do not cover the
  // type and version of its hardware instance. Always 0.
  static int CheckSuppPeriph(MdtBase::PsfComp* comp, int kind, const HwDbPtr& hw,
                             std::vector<SwRepos*>& repos);
  // 0 when an entry of the string list of `list` fits `ipType`/`ipVersion`
  // (CheckMatch) or `list` has no value; otherwise a warning naming the
  // supported peripherals, and 1. `repos` is not used.
  static int CheckSuppPeriph(const String& name, const String& version, const String& ipType,
                             const String& ipVersion, const MdtBase::Property* list,
                             std::vector<SwRepos*>& repos);
  // True when `pattern`, as a POSIX extended regular expression, matches
  // the whole of ipType + "_v" + ipVersion with every "." as "_"
  // (uartlite, 1.00.a: uartlite_v1_00_a), ignoring case; otherwise when
  // `pattern` equals `ipType` ignoring case. A pattern that is no valid
  // expression is only compared as a type.
  static bool CheckMatch(const String& ipType, const String& ipVersion, const String& pattern);

  // ===========================================================================
  // Queries on cores, instances and hardware
  // ===========================================================================
  // Core lists hold cores owned by their repositories; the queries never
  // own them. Versions are ordered byte by byte (a longer version with an
  // equal start is greater: 1.00.b > 1.00.a, and 10.00.a < 9.00.a); lists
  // stand newest first. Results are appended to the output vectors; int
  // results are 0 unless said.

  // Adds `core` unless a core of its name and version is present: before
  // the first element of another name, or of its name and a version not
  // greater than its own; else at the end. Nothing for null.
  static void CheckAndAddCoreToList(std::vector<SwCore*>& list, SwCore* core);
  // The same when an entry of the string list `value` fits
  // `ipType`/`ipVersion` (CheckMatch).
  static void CheckAndAddCoreToList(const String& ipType, const String& ipVersion,
                                    std::vector<SwCore*>& list, SwCore* core,
                                    const MdtBase::MdtValue* value);
  // Adds `version` unless present (ignoring case), before the first element
  // not greater than it; else at the end.
  static void CheckAndAddVerToList(std::vector<String>& list, const String& version);
  // True when a core of the list has `name` and, unless `version` is empty,
  // `version`.
  static bool IsCorePresentinList(const String& name, const String& version,
                                  const std::vector<SwCore*>& list);

  // The driver cores whose "supported_peripherals" fit the IP, and with
  // `includeGeneric` every driver that lists none after them. Deprecated
  // and obsolete drivers are left out unless `includeDeprecated` or `mss`
  // (may be null) has an instance of that name and version.
  static int GetDrvListForPeriph(const String& ipType, const String& ipVersion,
                                 std::vector<SwCore*>& out, std::vector<SwRepos*>& repos,
                                 unsigned char includeGeneric, const Mss* mss,
                                 unsigned char includeDeprecated);
  // The default driver of an IP: the first fitting driver (for an "emc" IP
  // the first not named "flash", when there is one); without any, the core
  // "generic" "1.00.a"; null when that is missing too.
  static SwCore* GetDrvForPeriph(const String& ipType, const String& ipVersion,
                                 std::vector<SwRepos*>& repos);
  // The versions of the cores named `name`, newest first.
  static int GetAllVerForDrv(const String& name, const std::vector<SwCore*>& cores,
                             std::vector<String>& out);
  // The hardware instances of `ipType`: among all instances, or with
  // `procName` among those the processor addresses (only the processor
  // itself when it is of that type). Nothing without hardware database.
  static int GetCoreListByIPName(const String& ipType, const HwDbPtr& hw,
                                 std::vector<String>& out, const String& procName);
  // GetCoreListByIPName for each entry of the property's "range".
  static int GetCoreListForPeriphInst(const MdtBase::Property* p, const HwDbPtr& hw,
                                      std::vector<String>& out, const String& procName);
  // GetCoreListByIPName for each entry of the MDD's
  // "supported_peripherals"; -1 when it has none (or `mdd` is null).
  static int GetCoreListForDrv(const Mdd* mdd, const HwDbPtr& hw, std::vector<String>& out,
                               const String& procName);
  // The "HW_INSTANCE" of each driver instance of `mss` whose definition
  // declares an entry of `nodeType` (an Mdd::NodeType) named `propName`.
  static int GetCoreListByDrvPropName(const Mss* mss, int nodeType, const String& propName,
                                      SwReposMan* man, std::vector<String>& out);
  // The hardware instances allowed for a "peripheral_instance" parameter:
  // those fitting its "range" (on the MSS's first processor) and, when it
  // requires an interface, served by a driver that offers it.
  static int GetCoreListForDrvParam(const HwDbPtr& hw, const Mss* mss,
                                    const MdtBase::Property* p, SwReposMan* man,
                                    std::vector<String>& out);

  // OS cores fit for a processor type and version (board-support packages
  // left out). Deprecated and obsolete ones only with `includeDeprecated`
  // or when `mss` (may be null) uses that name and version.
  static int GetOsListForProc(const String& procType, const String& procVersion,
                              std::vector<SwCore*>& out, SwReposMan& man, const Mss* mss,
                              unsigned char includeDeprecated);
  // The same for board-support packages.
  static int GetBspListForProc(const String& procType, const String& procVersion,
                               std::vector<SwCore*>& out, SwReposMan& man, const Mss* mss,
                               unsigned char includeDeprecated);
  // Every OS core (no processor test, no MSS exception).
  static int GetOsList(std::vector<SwCore*>& out, SwReposMan& man,
                       unsigned char includeDeprecated);
  // Every library core.
  static int GetLibList(std::vector<SwCore*>& out, SwReposMan& man,
                        unsigned char includeDeprecated);
  // Every library core usable with the OS (its "requires_os" fits, when it
  // has one and both `osName` and `osVersion` are given).
  static int GetAllLibInRepos(SwReposMan& man, std::vector<SwCore*>& out, const Mss* mss,
                              const String& osName, const String& osVersion,
                              unsigned char includeDeprecated);
  // True when an entry of the string list `value` fits the OS (CheckMatch).
  static bool CheckRequiresOs(const String& osName, const String& osVersion,
                              const MdtBase::MdtValue* value);
  // The OS core named by the MDD's "default_os" (name_vX_YY_Z; a name
  // without version takes any version) from the last repository that has
  // it; null when none.
  static SwCore* GetDefaultOsForProc(const Mdd* mdd, SwReposMan& man);
  // The same, falling back to the first OS of GetOsListForProc.
  static SwCore* GetDefaultOsForProc(const Mdd* mdd, const String& procType,
                                     const String& procVersion, SwReposMan& man);
  // The first OS (BSP) fit for the processor with that name and, unless
  // `osVersion` is empty, version; null when none.
  static SwCore* GetOsForProc(const String& procType, const String& procVersion,
                              const String& osName, const String& osVersion, SwReposMan& man);
  static SwCore* GetBspForProc(const String& procType, const String& procVersion,
                               const String& osName, const String& osVersion, SwReposMan& man);
  // 1 when a non-deprecated OS core has that name, else 0.
  static int IsOsType(const String& name, SwReposMan& man);
  // The versions of the OS cores of that name, newest first; deprecated
  // and obsolete ones as in GetOsListForProc.
  static int GetAllVerForName(const String& name, SwReposMan& man, std::vector<String>& out,
                              const Mss* mss, unsigned char includeDeprecated);
  // The active versions of the cores of that name, newest first: by the
  // MLD's state option for `kind` 1 or 2, by the MDD's "driver_state" for
  // any other kind.
  static std::vector<String> GetVersionsForSwCore(const String& name, SwReposMan& man, int kind);

  // ===========================================================================
  // Property trees
  // ===========================================================================
  // A tree is a vector of PropTree nodes made with new. Each node presents a
  // property of the component's definition file (MDD or MLD) WITHOUT owning
  // it: the definition keeps its properties whatever happens to the nodes.
  // The caller owns the nodes and must release them with ReleasePropTree
  // (deleting them one by one would miss nested children). The nodes are
  // valid only while the definition file is loaded.

  // The definition's parameters, each followed one level deeper by the
  // parameters (and, for an MLD, categories) that depend on it, then its
  // categories likewise, then its arrays, each at level 0. With `procName`
  // and a hardware database, a dependant whose condition the processor's
  // hardware parameter decides is placed at the top when it holds and left
  // out when it fails. The number of nodes appended; 0 (with a warning)
  // for a component that is neither driver- nor library-like, or without
  // a definition.
  static int PopulatePsfCompPropTree(MdtBase::PsfComp* comp, const HwDbPtr& hw,
                                     const String& procName, std::vector<PropTree*>& out);
  // A node per parameter and array of the definition, then, for an MLD, a
  // node per category: one without a condition at the top, one whose
  // condition names another category as a child of that category's node
  // (a category whose parent is missing is left out). Returns the number of
  // properties the tree presents, counting a category node as its
  // parameters and arrays plus its children's.
  static int CreatePropTreeList(MdtBase::PsfComp* comp, std::vector<PropTree*>& out);
  // Appends, after `node`, one level deeper, each dependent parameter whose
  // condition names the node's property, each followed by its own
  // dependants; then each dependent category naming it, followed by its
  // dependent categories.
  static void AddDepParams(PropTree* node, const std::vector<MdtBase::Property*>& depParams,
                           const std::vector<MdtBase::Property*>& depCategs,
                           std::vector<PropTree*>& out);
  // The category part of AddDepParams alone.
  static void AddDepCategs(PropTree* node, const std::vector<MdtBase::Property*>& depCategs,
                           std::vector<PropTree*>& out);
  // Deletes every node of `tree` and, recursively, their children (each
  // node once), then empties `tree`. Properties a node does not own are
  // left alone.
  static void ReleasePropTree(std::vector<PropTree*>& tree);

  // ===========================================================================
  // Lookups in component lists
  // ===========================================================================
  // Each returns the first match in list order, or null. The components are
  // owned by whoever owns the list.

  static OsInst* GetOsByName(const NVSeq& list, const String& name);
  // The OS whose "PROC_INSTANCE" is `procName`; the MSS form looks at its
  // OS sequence.
  static OsInst* GetOsByProcInstName(const NVSeq& list, const String& procName);
  static OsInst* GetOsByProcInstName(const PsfCompSeq& list, const String& procName);
  static OsInst* GetOsByProcInstName(const Mss* mss, const String& procName);
  // The library named `libName` whose "PROC_INSTANCE" is `procName`; the
  // MSS form looks at its library sequence.
  static LibInst* GetLibraryByProcInstName(const NVSeq& list, const String& procName,
                                           const String& libName);
  static LibInst* GetLibraryByProcInstName(const PsfCompSeq& list, const String& procName,
                                           const String& libName);
  static LibInst* GetLibraryByProcInstName(const Mss* mss, const String& procName,
                                           const String& libName);
  static DrvInst* GetDriverByName(const NVSeq& list, const String& name);
  static Driver* GetDriverByName(const std::vector<Driver*>& list, const String& name);
  static LibInst* GetLibraryByName(const NVSeq& list, const String& name);
  // The runtime Driver whose list of served hardware instances holds
  // `instName`.
  static Driver* GetDriverByInstName(const NVSeq& list, const String& instName);
  static Driver* GetDriverByInstName(const std::vector<Driver*>& list, const String& instName);
  // The driver instance whose "HW_INSTANCE" is `instName`; null for an
  // empty name.
  static DrvInst* GetDriverByInstName(const PsfCompSeq& list, const String& instName);
  // The driver instance of `mss` serving the hardware instance, else the
  // processor instance of it; null for a null MSS or an empty name.
  static DrvInst* GetPsfCompByHwInstName(const Mss* mss, const String& hwInstName);

 private:
  // Hangs a category node under the first category node of `tree` (at any
  // depth) that its condition names; false when there is none.
  static bool NestUnderParentCategory(PropTree* node, std::vector<PropTree*>& tree);
  static int CountProperties(const std::vector<PropTree*>& tree);
  static int CountCategoryProperties(const PropTree* node);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWRTUTIL_H
