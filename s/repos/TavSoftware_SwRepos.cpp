#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "Mld.h"
#include "SwCore.h"
#include "SwRepos.h"
#include "repos/CoreRenames.h"

namespace TavSoftware {

namespace {

const char* const kCategoryNames[] = {"pcores", "drivers", "sw_services", "bsp", "sw_apps"};

// `dir` and `name` as one path, as Port::FileName::PushPathEnd joins them;
// made in place, since a scan joins two paths per core.
String JoinPath(const String& dir, std::string_view name) {
  String out;
  out.reserve(dir.size() + 1 + name.size());
  out += dir;
  if (name.empty()) return out;
  if (!out.empty() && out.back() != '/') out += '/';
  out += name;
  return out;
}

// The definition file's name of a core `name` of `kind`, as the scan looks for it.
String DefinitionName(const String& name, int kind) {
  const char* extension = kind == SwRepos::DRIVER ? ".mdd" : ".mld";
  String stem = name + "_v" + SwCore::GetPsfVerFilenameStr();
  // Without a dot in the name the extension is simply added.
  if (name.find('.') == String::npos) return stem + extension;
  Port::FileName f(stem);
  f.SetExtension(extension);
  return f.GetFullName();
}

// The definition file a scanned core stands for.
String DefinitionPath(const SwCore* core, int fileKind) {
  Port::FileName f(core->GetCoreDir());
  f.PushPathEnd(core->GetName() + "_v" + SwCore::GetPsfVerFilenameStr());
  f.SetExtension(fileKind == SwCore::MDD ? ".mdd" : ".mld");
  return f.GetFullName();
}

}  // namespace

struct SwReposImp {
  int num = 0;
  int type = SwRepos::INSTALLED;
  bool valid = true;
  String dir;
  String psfVersion = "_v2_1_0";
  std::vector<SwCore*> cores;
  // Core directories of the cores in the list, so a second scan adds only
  // what is new.
  std::unordered_set<std::string> coreDirs;
  // Cores a rescan took out of the list. Components may still link to them,
  // so they live as long as the repository.
  std::vector<SwCore*> retired;
  // The cores of each name (lower case), in list order: a lookup goes
  // straight to the few of one name instead of walking thousands. Made on
  // demand and made again once the list or a core's name may have changed.
  std::unordered_map<std::string, std::vector<SwCore*>> byName;
  bool byNameStale = true;
  unsigned long indexedRenames = 0;
  const SwCore* const* indexedData = nullptr;
  size_t indexedSize = 0;

  // Core directories listed by ListPsfFiles whose definition file is looked
  // for only when asked, in the order a scan would add them; they join
  // `cores` in that order once the list itself is asked for (Settle).
  struct Listed;
  std::vector<Listed> listed;
  // The entries of `listed` of each name (lower case), and the cores of
  // each name handed out so far while entries are listed.
  std::unordered_map<std::string, std::vector<size_t>> listedByName;
  std::unordered_map<std::string, std::vector<SwCore*>> lookedUp;
  // The category directories of the listed entries, held open: each
  // definition file is looked up from its category, not from the root.
  struct Category {
    size_t prefix;  // length of the directory and its "/" in a data path
    std::unique_ptr<Port::Dir> at;
  };
  std::vector<Category> categories;
  unsigned long listedRenames = 0;
  const SwCore* const* listedData = nullptr;
  size_t listedSize = 0;
  SwRepos* owner = nullptr;

  ~SwReposImp();

  // A core directory the scan found, in the order of the listing.
  struct Found {
    String data, name, version;
  };
  // The sub-directories of each directory of the categories `names`.
  using Listing = std::vector<std::pair<String, std::vector<String>>>;
  Listing List(SwRepos* self, const std::vector<String>& names) const;
  // The core of data directory `data`.
  static SwCore* NewCore(SwRepos* self, const String& data, const String& name,
                         const String& version, int kind);
  // Takes `core` out of the list and keeps it retired; with `keepDir` its
  // directory is still skipped by later scans.
  void Retire(SwCore* core, bool keepDir);
  // The cores named `name` (ignoring case) in list order, listed entries of
  // that name looked at first; null when none.
  const std::vector<SwCore*>* ByName(const String& name);
  // The same among the cores already in the list.
  const std::vector<SwCore*>* CoresInListByName(const String& name);

  // Lists the core directories of the families asked for, not yet in the
  // list, for a later look. A scan is a listing settled at once.
  void ListLater(SwRepos* self, bool drivers, bool libraries);
  // Whether entry `i` of `listed` is a core, looking once.
  bool IsCore(size_t i);
  // Looks at every listed entry not looked at yet and appends the cores.
  void Settle();
  // True when the repository has a core; looks no further than the first.
  bool HasCores();
};

struct SwReposImp::Listed {
  Found found;
  int kind;
  size_t category;  // in `categories`
  signed char state = 0;   // 0 not looked at, 1 a core, -1 none
  SwCore* core = nullptr;  // made once handed out by a lookup
};

SwReposImp::~SwReposImp() {
  for (SwCore* c : cores) delete c;
  for (SwCore* c : retired) delete c;
  for (Listed& l : listed) delete l.core;
}

SwCore* SwReposImp::NewCore(SwRepos* self, const String& data, const String& name,
                           const String& version, int kind) {
  SwCore* core = new SwCore(name, version);
  core->SetCoreDir(Port::FileName(data));
  core->SetPsfKind(kind == SwRepos::DRIVER ? SwCore::MDD : SwCore::MLD);
  core->SetOwner(self);
  return core;
}

const std::vector<SwCore*>* SwReposImp::ByName(const String& name) {
  // A renamed core may answer to another name now, and the list may have
  // been changed through a reference taken before: it is settled and
  // answers as always.
  if (!listed.empty() && (listedRenames != detail::g_coreRenames || listedData != cores.data() ||
                          listedSize != cores.size()))
    Settle();
  if (listed.empty()) return CoresInListByName(name);
  const std::string key = String(name).MakeLower();
  auto [it, added] = lookedUp.try_emplace(key);
  if (added) {
    // The cores in the list come first, then the listed entries of that
    // name that are cores, each directory once, as Settle will add them.
    if (const std::vector<SwCore*>* known = CoresInListByName(name)) it->second = *known;
    auto entries = listedByName.find(key);
    if (entries != listedByName.end()) {
      std::unordered_set<std::string_view> dirs;
      for (size_t i : entries->second) {
        Listed& l = listed[i];
        if (!IsCore(i) || !dirs.insert(l.found.data).second) continue;
        if (!l.core)
          l.core = NewCore(owner, l.found.data, l.found.name, l.found.version, l.kind);
        it->second.push_back(l.core);
      }
    }
  }
  return it->second.empty() ? nullptr : &it->second;
}

const std::vector<SwCore*>* SwReposImp::CoresInListByName(const String& name) {
  const unsigned long renames = detail::g_coreRenames;
  if (byNameStale || indexedData != cores.data() || indexedSize != cores.size() ||
      indexedRenames != renames) {
    byName.clear();
    for (SwCore* core : cores) byName[String(core->GetName()).MakeLower()].push_back(core);
    byNameStale = false;
    indexedData = cores.data();
    indexedSize = cores.size();
    indexedRenames = renames;
  }
  auto it = byName.find(String(name).MakeLower());
  return it == byName.end() ? nullptr : &it->second;
}

SwReposImp::Listing SwReposImp::List(SwRepos* self, const std::vector<String>& names) const {
  // Fixed depths only (category, core, data): a link back up the tree can
  // make a directory look endless, but never makes this walk longer.
  Listing listing;
  for (const Port::FileName& category : self->CollectCoreRootDirectories(dir, names)) {
    listing.emplace_back(category.GetFullName(), std::vector<String>());
    MdtBase::BaseUtils::ListSubDirs(listing.back().first, listing.back().second);
  }
  return listing;
}

void SwReposImp::ListLater(SwRepos* self, bool drivers, bool libraries) {
  Settle();
  owner = self;
  listedRenames = detail::g_coreRenames;
  listedData = cores.data();
  listedSize = cores.size();
  const std::pair<std::vector<String>, int> families[] = {
      {{"pcores", "drivers"}, SwRepos::DRIVER}, {{"sw_services", "bsp"}, SwRepos::LIBRARY}};
  for (const auto& [names, kind] : families) {
    if (!(kind == SwRepos::DRIVER ? drivers : libraries)) continue;
    for (const auto& [categoryDir, subdirs] : List(self, names)) {
      // A listed name is never empty: every core's data directory is this
      // prefix, the name and "/data", as JoinPath would make it.
      String prefix = categoryDir;
      if (!prefix.empty() && prefix.back() != '/') prefix += '/';
      categories.push_back({prefix.size(), std::make_unique<Port::Dir>(categoryDir)});
      for (const String& sub : subdirs) {
        Listed l;
        l.kind = kind;
        l.category = categories.size() - 1;
        if (!MdtBase::BaseUtils::SeperateDirAndVer(sub, l.found.name, l.found.version)) continue;
        l.found.data.reserve(prefix.size() + sub.size() + 5);
        l.found.data.append(prefix).append(sub).append("/data");
        if (coreDirs.count(l.found.data)) continue;
        listedByName[String(l.found.name).MakeLower()].push_back(listed.size());
        listed.push_back(std::move(l));
      }
    }
  }
}

bool SwReposImp::IsCore(size_t i) {
  Listed& l = listed[i];
  if (l.state == 0) {
    const Category& c = categories[l.category];
    const std::string relative = l.found.data.substr(c.prefix) + "/" +
                                 DefinitionName(l.found.name, l.kind);
    l.state = c.at->IsFile(relative) ? 1 : -1;
  }
  return l.state > 0;
}

void SwReposImp::Settle() {
  if (listed.empty()) return;
  for (size_t i = 0; i < listed.size(); ++i) IsCore(i);
  for (Listed& l : listed) {
    if (l.state < 0) continue;
    // Two categories may lead to one directory (through a link).
    if (!coreDirs.insert(l.found.data).second) {
      if (l.core) retired.push_back(l.core);
      continue;
    }
    cores.push_back(l.core ? l.core
                           : NewCore(owner, l.found.data, l.found.name, l.found.version, l.kind));
    byNameStale = true;
  }
  listed.clear();
  listedByName.clear();
  lookedUp.clear();
  categories.clear();
}

bool SwReposImp::HasCores() {
  if (!cores.empty()) return true;
  for (size_t i = 0; i < listed.size(); ++i)
    if (IsCore(i)) return true;
  return false;
}

void SwReposImp::Retire(SwCore* core, bool keepDir) {
  auto it = std::find(cores.begin(), cores.end(), core);
  if (it == cores.end()) return;
  cores.erase(it);
  byNameStale = true;
  if (!keepDir) coreDirs.erase(core->GetCoreDir().GetFullName());
  retired.push_back(core);
}

SwRepos::SwRepos() : imp_(std::make_unique<SwReposImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_SwRepos");
}

SwRepos::~SwRepos() = default;

int SwRepos::GetReposNum() const { return imp_->num; }
void SwRepos::SetReposNum(int num) { imp_->num = num; }
int SwRepos::GetReposType() const { return imp_->type; }
void SwRepos::SetReposType(int type) { imp_->type = type; }
bool SwRepos::GetValid() const { return imp_->valid; }
void SwRepos::SetValid(bool valid) { imp_->valid = valid; }
String SwRepos::GetReposDir() const { return imp_->dir; }
void SwRepos::SetReposDir(const String& dir) {
  Port::FileName f(dir);
  f.Normalize();
  imp_->dir = f.GetFullName();
}
String SwRepos::GetPsfVersion() const { return imp_->psfVersion; }
void SwRepos::SetPsfVersion(const String& version) { imp_->psfVersion = version; }
std::vector<SwCore*>& SwRepos::GetSwCoreSeqRef() {
  imp_->Settle();
  // The caller may change the list: lookups index it afresh.
  imp_->byNameStale = true;
  return imp_->cores;
}
const std::vector<SwCore*>& SwRepos::GetSwCoreSeqRef() const {
  imp_->Settle();
  return imp_->cores;
}

void SwRepos::ListPsfFiles() {
  // An empty directory would read as the current one.
  if (imp_->dir.empty()) return;
  imp_->ListLater(this, true, true);
}

bool SwRepos::HasCores() const { return imp_->HasCores(); }

int SwRepos::ParsePsfFiles(int kind) {
  imp_->Settle();
  // An empty directory would read as the current one.
  if (imp_->dir.empty()) return static_cast<int>(imp_->cores.size());
  const bool drivers = kind == ANY || kind == DRIVER, libraries = kind == ANY || kind == LIBRARY;
  if (drivers || libraries) {
    imp_->ListLater(this, drivers, libraries);
    imp_->Settle();
  }
  return static_cast<int>(imp_->cores.size());
}

int SwRepos::RescanPsfFiles(int kind) {
  bool mdd = kind == ANY || kind == DRIVER;
  bool mld = kind == ANY || kind == LIBRARY || kind == OS;
  if (!mdd && !mld) return 1;
  imp_->Settle();
  int changes = 0;
  std::vector<SwCore*> gone;
  std::vector<SwCore*> obsolete;
  for (SwCore* core : imp_->cores) {
    int fileKind = core->GetPsfKind();
    if (fileKind == SwCore::MDD ? !mdd : (fileKind != SwCore::MLD || !mld)) continue;
    if (core->IsPsfFileObjLoaded(fileKind)) {
      auto* obj = static_cast<MdtBase::PsfFile*>(core->GetPsfFileObj(fileKind));
      int64_t before = obj->GetDateTime();
      // 1: the file is gone (its object is kept for whoever points into it).
      int rc = core->ReloadPsfFileObj(fileKind);
      if (rc == 1) {
        gone.push_back(core);
      } else if (core->IsPsfFileMissing(fileKind)) {
        obsolete.push_back(core);
      } else if (obj->GetDateTime() != before) {
        ++changes;
      }
      continue;
    }
    // Not read yet: it is read fresh on first use, so only its presence on
    // disk matters here.
    if (!Port::File::isfile(DefinitionPath(core, fileKind))) {
      gone.push_back(core);
    } else if (core->IsPsfFileMissing(fileKind)) {
      // Back on disk after a look found nothing: read it to clear the mark.
      core->ReloadPsfFileObj(fileKind);
      if (core->IsPsfFileMissing(fileKind))
        gone.push_back(core);
      else
        ++changes;
    }
  }
  for (SwCore* core : gone) imp_->Retire(core, false);
  // An obsolete core's directory stays known, so the scan below does not
  // bring the core straight back.
  for (SwCore* core : obsolete) imp_->Retire(core, true);
  changes += static_cast<int>(gone.size() + obsolete.size());
  size_t had = imp_->cores.size();
  ParsePsfFiles(kind == ANY ? ANY : (mdd ? DRIVER : LIBRARY));
  changes += static_cast<int>(imp_->cores.size() - had);
  return changes;
}

int SwRepos::Rescan() {
  return RescanPsfFiles(DRIVER) + RescanPsfFiles(LIBRARY) + RescanPsfFiles(OS);
}

void SwRepos::DestroyPsfFileObj(int kind) {
  int fileKind;
  switch (kind) {
    case ANY:
      fileKind = SwCore::BOTH;
      break;
    case DRIVER:
      fileKind = SwCore::MDD;
      break;
    case LIBRARY:
    case OS:
      fileKind = SwCore::MLD;
      break;
    default:
      return;
  }
  for (SwCore* core : imp_->cores) core->Destroy(fileKind);
  // Cores handed out before the list was asked for; the others have no
  // files to destroy, and are not looked for.
  for (SwReposImp::Listed& l : imp_->listed)
    if (l.core) l.core->Destroy(fileKind);
}

MdtBase::BaseNode* SwRepos::GetCoreByName(int kind, const String& name, const String& version,
                                          int) {
  if (kind < ANY || kind > OS) return nullptr;
  const std::vector<SwCore*>* named = imp_->ByName(name);
  if (!named) return nullptr;
  for (auto it = named->rbegin(); it != named->rend(); ++it) {
    SwCore* core = *it;
    if (!version.empty() && !core->GetVersion().EqualsNoCase(version)) continue;
    if (kind == ANY) return core;
    if (kind == DRIVER) {
      if (MdtBase::PsfComp* mdd = core->GetPsfFileObj(SwCore::MDD)) return mdd;
      continue;
    }
    auto* mld = static_cast<Mld*>(core->GetPsfFileObj(SwCore::MLD));
    if (!mld) continue;
    if (kind == OS && !mld->GetPropertyValueStr(Mld::OPTIONS, "MLD_TYPE").EqualsNoCase("os"))
      continue;
    return mld;
  }
  return nullptr;
}

MdtBase::BaseNode* SwRepos::GetCoreByName(std::vector<SwRepos*>& repos, int kind,
                                          const String& name, const String& version, int flag) {
  for (SwRepos* r : repos) {
    if (!r) continue;
    if (MdtBase::BaseNode* hit = r->GetCoreByName(kind, name, version, flag)) return hit;
  }
  return nullptr;
}

bool SwRepos::IsRepository(const String& dir) {
  std::vector<String> subdirs;
  MdtBase::BaseUtils::ListSubDirs(dir, subdirs);
  for (const String& sub : subdirs)
    for (const char* category : kCategoryNames)
      if (sub == category) return true;
  return false;
}

std::vector<Port::FileName> SwRepos::CollectCoreRootDirectories(const String& root,
                                                                const std::vector<String>& names) {
  std::vector<Port::FileName> out;
  std::vector<String> subdirs;
  bool listed = false;
  for (const String& name : names) {
    String direct = JoinPath(root, name);
    if (Port::File::isdir(direct)) {
      out.emplace_back(direct);
      continue;
    }
    if (!listed) {
      MdtBase::BaseUtils::ListSubDirs(root, subdirs);
      listed = true;
    }
    for (const String& sub : subdirs) {
      String deeper = JoinPath(JoinPath(root, sub), name);
      if (Port::File::isdir(deeper)) out.emplace_back(deeper);
    }
  }
  return out;
}

Port::FileName SwRepos::FindCoreRootDirectory(const String& root, const String& name) {
  std::vector<Port::FileName> found = CollectCoreRootDirectories(root, {name});
  return found.empty() ? Port::FileName() : found.front();
}

int SwRepos::GetSwCoreSeqByName(const String& name, std::vector<SwCore*>& out) {
  imp_->Settle();
  std::vector<SwCore*> hits;
  for (SwCore* core : imp_->cores)
    if (core->GetName().EqualsNoCase(name)) hits.push_back(core);
  std::stable_sort(hits.begin(), hits.end(), [](const SwCore* a, const SwCore* b) {
    return b->GetVersion().Compare(a->GetVersion()) < 0;
  });
  out.insert(out.end(), hits.begin(), hits.end());
  return static_cast<int>(hits.size());
}

}  // namespace TavSoftware
