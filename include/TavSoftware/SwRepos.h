// One software repository: a directory tree of versioned cores.
#ifndef TAVSOFTWARE_SWREPOS_H
#define TAVSOFTWARE_SWREPOS_H

#include <memory>
#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

class SwCore;
struct SwReposImp;

// Layout under the repository root (names exact, with case): category
// directories "pcores" and "drivers" hold driver cores, "sw_services" and
// "bsp" library and OS cores, "sw_apps" only marks a repository. A category
// missing under the root is looked for one level deeper. Each subdirectory
// <name>_v<version> of a category directory with data/<name>_v2_1_0.mdd
// (.mld) is a core. The scan goes exactly these depths and never reads a
// definition file. Type tag "TavSoftware_SwRepos".
class TAVSW_API SwRepos : public MdtBase::BaseNode {
 public:
  // The kind of core asked for.
  enum NodeType { ANY = 0, DRIVER = 1, LIBRARY = 2, OS = 3 };
  // 1 marks a repository found under the installation root.
  enum SwReposType { USER = 0, INSTALLED = 1 };

  SwRepos();
  // Owns its cores and destroys them with itself (also those a rescan took
  // out of the list, so links from components stay valid until then).
  ~SwRepos() override;

  int GetReposNum() const;
  void SetReposNum(int num);
  int GetReposType() const;
  void SetReposType(int type);
  bool GetValid() const;
  void SetValid(bool valid);
  // Stored and returned normalised.
  String GetReposDir() const;
  void SetReposDir(const String& dir);
  String GetPsfVersion() const;
  void SetPsfVersion(const String& version);
  // The cores in scanning order.
  std::vector<SwCore*>& GetSwCoreSeqRef();
  const std::vector<SwCore*>& GetSwCoreSeqRef() const;

  // Scans the repository directory and appends a core per core directory
  // found: kind 0 both families, 1 driver cores, 2 library/OS cores (other
  // kinds scan nothing). Reads no definition file. Cores found by earlier
  // calls are kept as they are and their directories are not added twice.
  // The number of cores in the list.
  int ParsePsfFiles(int kind);
  // Lists the core directories of both families as ParsePsfFiles(0) would
  // scan them, but looks for a directory's definition file only when it is
  // needed: a lookup by name looks at the directories of that name, and the
  // list (or anything that walks it) looks at the rest first.
  void ListPsfFiles();
  // True when the repository has a core, looking no further than the first.
  bool HasCores() const;
  // Brings the list in line with the disk: 0 both families, 1 driver cores,
  // 2 and 3 library/OS cores. Cores whose file is gone (or became
  // OBSOLETE) leave the list, loaded files that changed on disk are read
  // again, unchanged ones are not, and core directories not yet in the list
  // are appended. The number of cores taken out, added or read again; 1 for
  // an unknown kind (nothing done).
  int RescanPsfFiles(int kind);
  // RescanPsfFiles(1) + (2) + (3).
  int Rescan();
  // Every core's Destroy: 0 both files, 1 the MDD, 2 and 3 the MLD; other
  // kinds do nothing.
  void DestroyPsfFileObj(int kind);

  // The core of that name (ignoring case) and, unless `version` is empty,
  // that version (ignoring case); the core scanned last wins. Kind 0 gives
  // the SwCore, 1 its Mdd, 2 its Mld, 3 its Mld when MLD_TYPE is "os";
  // cores whose file cannot be had (or, for 3, is not an OS) are passed
  // over. Null when none. `flag` has no effect.
  MdtBase::BaseNode* GetCoreByName(int kind, const String& name, const String& version,
                                   int flag = 0);
  // The first non-null result over `repos` in vector order.
  static MdtBase::BaseNode* GetCoreByName(std::vector<SwRepos*>& repos, int kind,
                                          const String& name, const String& version, int flag = 0);
  // True when `dir` has an immediate subdirectory named like a category.
  static bool IsRepository(const String& dir);
  // The category directories of `names` under `root`, name by name: root/name
  // when it is a directory, else every root/<sub>/name that is one.
  std::vector<Port::FileName> CollectCoreRootDirectories(const String& root,
                                                         const std::vector<String>& names);
  // root/name, else the first root/<sub>/name; empty when neither exists.
  Port::FileName FindCoreRootDirectory(const String& root, const String& name);
  // Appends the cores named `name` (ignoring case) to `out`, highest version
  // first (byte-wise); the number appended.
  int GetSwCoreSeqByName(const String& name, std::vector<SwCore*>& out);

 private:
  std::unique_ptr<SwReposImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWREPOS_H
