// One versioned core of a software repository and the definition file it holds.
#ifndef TAVSOFTWARE_SWCORE_H
#define TAVSOFTWARE_SWCORE_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct SwCoreImp;

// A core directory <name>_v<version>/data with one definition file,
// <name>_v2_1_0.mdd (a driver) or <name>_v2_1_0.mld (a library or an OS).
// The file is read on first use and kept; the core owns the file objects
// and is their owner. Type tag "TavSoftware_SwCore"; the owner is the
// repository that scanned it.
class TAVSW_API SwCore : public MdtBase::BaseNode {
 public:
  // Which definition file an operation concerns.
  enum NodeType { MLD = 0, MDD = 1, BOTH = 2 };

  SwCore();
  // A core of that name and version. Being named at birth is no rename:
  // indexes of cores by name stay as they are.
  SwCore(const String& name, const String& version);
  ~SwCore() override;

  const String& GetName() const;
  void SetName(const String& name);
  // Dotted form, as MSS files write it ("1.00.a").
  const String& GetVersion() const;
  void SetVersion(const String& version);
  // name + "_v" + version.
  String GetNameVersion() const;
  // Splits a directory-style name (tavuart_v1_00_a) into name and dotted
  // version; false (name and version unchanged) when it does not split.
  bool SetNameVersion(const String& text);
  // The core's "data" directory.
  Port::FileName GetCoreDir() const;
  void SetCoreDir(const std::string& dir);
  void SetCoreDir(const char* dir);
  void SetCoreDir(const Port::FileName& dir);
  // The suffix of definition-file base names, "_v2_1_0" at first.
  String GetPsfVersion() const;
  void SetPsfVersion(const String& version);
  // The PSF version as written in file names: "2_1_0".
  static String GetPsfVerFilenameStr();

  // Which file the scan found for this core: MDD (1), MLD (0), or -1 for a
  // core made by hand.
  int GetPsfKind() const;
  void SetPsfKind(int kind);

  // Hands the core a file object (MDD: an Mdd, MLD: an Mld); the core owns
  // it from then on and destroys the object it held before. 0; -1 for
  // another kind or an object of the wrong class (the caller keeps it).
  // Null clears the link and destroys the old object.
  int SetPsfFileObj(int kind, MdtBase::PsfComp* obj);
  // The MDD (kind 1) or MLD (kind 0), read from disk on first use; the core
  // becomes its owner. A file that fails to read is reported once ("Errors
  // while parsing MDD file %s\n") and its object is returned all the same.
  // Null for any other kind, or when the file does not exist; a missing file
  // is remembered and not looked for again until a reload.
  MdtBase::PsfComp* GetPsfFileObj(int kind);
  // True when the object of `kind` has been read (never reads).
  bool IsPsfFileObjLoaded(int kind) const;
  // True when a look for the file of `kind` found nothing.
  bool IsPsfFileMissing(int kind) const;

  // Brings the object of `kind` (1 MDD, 0 MLD, 2 both: the sum) in line
  // with the file on disk:
  //  - loaded and the file's date cannot be read (it is gone): kept, 1;
  //  - loaded and the file is not newer than the object: kept unread, 0;
  //  - otherwise read (a loaded object is emptied and reused): the reader's
  //    error count; a file that does not exist marks the kind missing, 0;
  //  - a definition whose DRIVER_STATE (LIBRARY_STATE, OS_STATE) option is
  //    OBSOLETE is given up: destroyed, marked missing, 0.
  // -1 for an unknown kind.
  int ReloadPsfFileObj(int kind);
  // Destroys the object of `kind` (1 MDD, 0 MLD, 2 both); the number of
  // objects destroyed. Pointers into them become invalid.
  int Destroy(int kind);

 private:
  std::unique_ptr<SwCoreImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWCORE_H
