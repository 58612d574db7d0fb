// A query facade over a repository manager: core directories, compiler and
// linker flags, descriptions, array layouts, the OSs and board-support
// packages of a processor, versions, libraries and drivers, as plain
// strings and vectors of strings with fixed separators.
#ifndef TAVSOFTWARE_SWDB_H
#define TAVSOFTWARE_SWDB_H

#include <boost/shared_ptr.hpp>
#include <memory>
#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

class SwReposMan;
struct SwDbImp;

// Every query answers empty (an empty string or vector) when nothing fits,
// also for a facade made on a null manager. Names and versions are
// compared ignoring case unless said otherwise; a version "*" or empty
// stands for any version (the first core found).
class TAVSW_API SwDb {
 public:
  // A new facade on `man`, which it does not own. REQUIRES: `man` outlives
  // the facade and its copies.
  static boost::shared_ptr<SwDb> CreateSwDb(SwReposMan* man);

  SwDb(const SwDb& other);
  SwDb& operator=(const SwDb& other);
  virtual ~SwDb();

  // The absolute path of the core's "data" directory.
  String GetSwCoreDir(const String& name, const String& version) const;
  // The option "APP_COMPILER_FLAGS" ("APP_LINKER_FLAGS") of the library or
  // OS definition of that name and version.
  String GetSwCoreAppCompilerFlags(const String& name, const String& version) const;
  String GetSwCoreAppLinkerFlags(const String& name, const String& version) const;
  // The columns of the array definition named exactly `arrayName` (at top
  // level, else inside a category) of that library or OS definition, each
  // as "column,TYPE,DESC:" and all concatenated: "c1,int,Count:c2,string,:".
  String GetSwCoreArraySpec(const String& name, const String& version,
                            const String& arrayName) const;
  // The option "DESC" of the first OS (library) core of that name and,
  // unless `version` is empty, version, deprecated ones included.
  String GetOsDesc(const String& name, const String& version) const;
  String GetLibDesc(const String& name, const String& version) const;
  // "name:version:DESC:" for each OS (board-support package) fit for the
  // processor type and version, deprecated ones left out, concatenated.
  String GetSupportedOSsForProc(const String& procType, const String& procVersion) const;
  String GetThirdPartyOSsForProc(const String& procType, const String& procVersion) const;
  // The active versions of the cores of that name, newest first: `kind` 1
  // or 2 asks the library/OS definitions, any other kind the drivers'.
  std::vector<String> GetAvailableComponentVersions(const String& name, int kind) const;
  // "name_vversion" (dotted version) of each library usable with the OS.
  std::vector<String> GetSwLibrariesForOS(const String& osName, const String& osVersion) const;
  // "name_vversion" of each driver fit for the IP, generic ones after them.
  std::vector<String> GetDriversForHwComponent(const String& ipType,
                                               const String& ipVersion) const;

 private:
  explicit SwDb(SwReposMan* man);
  std::unique_ptr<SwDbImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWDB_H
