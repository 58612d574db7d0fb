// The ordered list of software repositories that answers core lookups.
#ifndef TAVSOFTWARE_SWREPOSMAN_H
#define TAVSOFTWARE_SWREPOSMAN_H

#include <memory>
#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

class SwCore;
class SwRepos;
struct SwReposManImp;

// Owns its repositories; the front of the list is searched first. Type tag
// "TavSoftware_SwReposMan".
class TAVSW_API SwReposMan : public MdtBase::BaseNode {
 public:
  // SwReposMan(true).
  SwReposMan();
  // With `addInstalled`, adds every repository under $QUARLY_VEK/sw (type 1);
  // when the variable is unset or names no directory nothing is added.
  explicit SwReposMan(bool addInstalled);
  // Destroys every repository, its cores and their file objects.
  ~SwReposMan() override;

  // Scans the absolute form of `dir` as a repository of `type` and puts it
  // at the front of the list. 0. A directory already listed is added again.
  int AddSwRepos(const String& dir, int type);
  // The same; with `lookLater` the repository is listed (SwRepos::
  // ListPsfFiles) instead of scanned, so that a few lookups by name do not
  // look at every core.
  int AddSwRepos(const String& dir, int type, bool lookLater);
  // Destroys the first repository whose directory is the normalised absolute
  // form of `dir` (pointers to its cores become invalid): 0; 1 when none.
  int RemoveSwRepos(const String& dir);
  // The first repository whose directory text equals `dir` exactly; null
  // when none.
  SwRepos* GetSwReposForDir(const String& dir);
  // Exchanges the places of the two repositories: 0; -1 unless both
  // directories name one (GetSwReposForDir).
  int SwapOrder(const String& dirA, const String& dirB);
  // The core of that name (and version, unless empty) from the first
  // repository in list order that has one; null when none. Not owned.
  SwCore* GetCoreByName(const String& name, const String& version, int flag = 0);
  // Appends the cores of every valid repository, list order then scanning
  // order; the size of `out`.
  int GetSwCoreSeqRef(std::vector<SwCore*>& out);
  // Scans every repository again for core directories not yet listed
  // (SwRepos::ParsePsfFiles(1) and (2)); the summed counts of the scans.
  // Definition files are still read on first use. `text` is not used.
  int ParsePsfFiles(const String& text = String());
  // The sum of every repository's Rescan().
  int Rescan();
  std::vector<SwRepos*>& GetSwReposSeqRef();
  const std::vector<SwRepos*>& GetSwReposSeqRef() const;
  // How many repositories the constructor added from the installation root.
  int GetInstalledReposCount() const;

 private:
  std::unique_ptr<SwReposManImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWREPOSMAN_H
