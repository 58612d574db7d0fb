#include <algorithm>

#include "SwCore.h"
#include "SwRepos.h"
#include "SwReposMan.h"

namespace TavSoftware {

struct SwReposManImp {
  std::vector<SwRepos*> repos;
  int installed = 0;

  ~SwReposManImp() {
    for (SwRepos* r : repos) {
      r->DestroyPsfFileObj(SwRepos::ANY);
      delete r;
    }
  }
};

namespace {

String AbsoluteNormalized(const String& dir) {
  return Port::FileName(dir).GetAbsolutePath().GetFullName();
}

}  // namespace

SwReposMan::SwReposMan() : SwReposMan(true) {}

SwReposMan::SwReposMan(bool addInstalled) : imp_(std::make_unique<SwReposManImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_SwReposMan");
  if (!addInstalled) return;
  String root;
  // Without an installation there is nothing to add, and nothing to say:
  // callers add their own repositories.
  if (!Port_Env::GetEnv("QUARLY_VEK", root) || root.empty()) return;
  String swDir = MdtBase::BaseUtils::CreateFileNameDir(root, "sw").GetFullName();
  if (!Port::File::isdir(swDir)) return;
  std::vector<String> subdirs;
  MdtBase::BaseUtils::ListSubDirs(swDir, subdirs);
  for (const String& sub : subdirs) {
    String path = MdtBase::BaseUtils::CreateFileNameDir(swDir, sub).GetFullName();
    if (!SwRepos::IsRepository(path)) continue;
    AddSwRepos(path, SwRepos::INSTALLED);
    ++imp_->installed;
  }
}

SwReposMan::~SwReposMan() = default;

int SwReposMan::AddSwRepos(const String& dir, int type) { return AddSwRepos(dir, type, false); }

int SwReposMan::AddSwRepos(const String& dir, int type, bool lookLater) {
  auto* repos = new SwRepos();
  repos->SetOwner(this);
  repos->SetReposDir(AbsoluteNormalized(dir));
  repos->SetReposType(type);
  if (lookLater)
    repos->ListPsfFiles();
  else
    repos->ParsePsfFiles(SwRepos::ANY);
  imp_->repos.insert(imp_->repos.begin(), repos);
  return 0;
}

int SwReposMan::RemoveSwRepos(const String& dir) {
  String wanted = AbsoluteNormalized(dir);
  for (auto it = imp_->repos.begin(); it != imp_->repos.end(); ++it) {
    if ((*it)->GetReposDir() != wanted) continue;
    SwRepos* repos = *it;
    imp_->repos.erase(it);
    repos->DestroyPsfFileObj(SwRepos::ANY);
    delete repos;
    return 0;
  }
  return 1;
}

SwRepos* SwReposMan::GetSwReposForDir(const String& dir) {
  for (SwRepos* r : imp_->repos)
    if (r->GetReposDir() == dir) return r;
  return nullptr;
}

int SwReposMan::SwapOrder(const String& dirA, const String& dirB) {
  SwRepos* a = GetSwReposForDir(dirA);
  SwRepos* b = GetSwReposForDir(dirB);
  if (!a || !b) return -1;
  auto ia = std::find(imp_->repos.begin(), imp_->repos.end(), a);
  auto ib = std::find(imp_->repos.begin(), imp_->repos.end(), b);
  std::iter_swap(ia, ib);
  return 0;
}

SwCore* SwReposMan::GetCoreByName(const String& name, const String& version, int flag) {
  return static_cast<SwCore*>(
      SwRepos::GetCoreByName(imp_->repos, SwRepos::ANY, name, version, flag));
}

int SwReposMan::GetSwCoreSeqRef(std::vector<SwCore*>& out) {
  for (SwRepos* r : imp_->repos) {
    if (!r->GetValid()) continue;
    const std::vector<SwCore*>& cores = r->GetSwCoreSeqRef();
    out.insert(out.end(), cores.begin(), cores.end());
  }
  return static_cast<int>(out.size());
}

int SwReposMan::ParsePsfFiles(const String&) {
  int sum = 0;
  for (SwRepos* r : imp_->repos) {
    sum += r->ParsePsfFiles(SwRepos::DRIVER);
    sum += r->ParsePsfFiles(SwRepos::LIBRARY);
  }
  return sum;
}

int SwReposMan::Rescan() {
  int sum = 0;
  for (SwRepos* r : imp_->repos) sum += r->Rescan();
  return sum;
}

std::vector<SwRepos*>& SwReposMan::GetSwReposSeqRef() { return imp_->repos; }
const std::vector<SwRepos*>& SwReposMan::GetSwReposSeqRef() const { return imp_->repos; }
int SwReposMan::GetInstalledReposCount() const { return imp_->installed; }

}  // namespace TavSoftware
