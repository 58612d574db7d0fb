#include "LspKnowledge.h"

#include <algorithm>
#include <set>

#include "Block.h"
#include "Category.h"
#include "Command.h"
#include "Mdd.h"
#include "Mld.h"
#include "SwRTUtil.h"
#include "SwRepos.h"

namespace tavsw::lsp {
namespace {

using TavSoftware::SwCore;

// The option of a definition file by name; null when it has none.
const MdtBase::Property* OptionOf(const MdtBase::PsfFile* def, const char* name) {
  if (auto* mdd = dynamic_cast<const TavSoftware::Mdd*>(def))
    return mdd->GetPropertyByName(TavSoftware::Mdd::OPTIONS, name);
  if (auto* mld = dynamic_cast<const TavSoftware::Mld*>(def))
    return mld->GetPropertyByName(TavSoftware::Mld::OPTIONS, name);
  return nullptr;
}

bool IsOs(SwCore* core) {
  const MdtBase::Property* type = OptionOf(Knowledge::DefinitionOf(core), "MLD_TYPE");
  return type && Port::EqualsNoCase(type->GetValueStr(), "os");
}

bool OfKind(SwCore* core, CoreKind kind) {
  if (kind == kDriverCore) return core->GetPsfKind() == 1;
  if (core->GetPsfKind() != 0 || !Knowledge::DefinitionOf(core)) return false;
  return IsOs(core) == (kind == kOsCore);
}

void AddDeclared(const MdtBase::PropSeq& seq, std::vector<const MdtBase::Property*>& out) {
  for (const MdtBase::Property* p : seq)
    if (p) out.push_back(p);
}

}  // namespace

CoreKind CoreKindOf(const std::string& blockKind) {
  if (blockKind == "OS") return kOsCore;
  if (blockKind == "LIBRARY") return kLibraryCore;
  return kDriverCore;
}

Knowledge::Knowledge(std::vector<std::string> repos) : repos_(std::move(repos)) {}

void Knowledge::Refresh() {
  if (!man_) {
    // A directory that is not there is reported by the checks; the others
    // still serve.
    RepoOptions options;
    for (const std::string& d : repos_)
      if (Port::File::isdir(d)) options.dirs.push_back(d);
    man_ = options.Scan();
    if (!man_) man_ = std::make_unique<TavSoftware::SwReposMan>(true);
    return;
  }
  man_->Rescan();
}

SwCore* Knowledge::Core(CoreKind kind, const std::string& name, const std::string& version) {
  if (!man_ || name.empty()) return nullptr;
  MdtBase::BaseNode* def = TavSoftware::SwRepos::GetCoreByName(man_->GetSwReposSeqRef(), kind,
                                                                 name, version);
  MdtBase::BaseNode* owner = def ? def->GetOwner() : nullptr;
  return MdtBase::BaseNode::IsBaseNodeType(owner, "TavSoftware_SwCore")
             ? static_cast<SwCore*>(owner)
             : nullptr;
}

MdtBase::PsfFile* Knowledge::DefinitionOf(SwCore* core) {
  if (!core) return nullptr;
  return dynamic_cast<MdtBase::PsfFile*>(core->GetPsfFileObj(core->GetPsfKind() == 1 ? 1 : 0));
}

std::vector<SwCore*> Knowledge::Cores(CoreKind kind) {
  std::vector<SwCore*> out;
  if (!man_) return out;
  for (TavSoftware::SwRepos* repos : man_->GetSwReposSeqRef()) {
    auto& cores = repos->GetSwCoreSeqRef();
    // A lookup sees the core scanned last first.
    for (auto it = cores.rbegin(); it != cores.rend(); ++it)
      if (OfKind(*it, kind)) out.push_back(*it);
  }
  return out;
}

std::vector<SwCore*> Knowledge::Versions(CoreKind kind, const std::string& name) {
  std::vector<SwCore*> out;
  std::set<std::string> seen;
  for (SwCore* c : Cores(kind))
    if (Port::EqualsNoCase(c->GetName(), name) && seen.insert(c->GetVersion()).second)
      out.push_back(c);
  // Versions are ordered byte-wise, newest first.
  std::stable_sort(out.begin(), out.end(),
                   [](SwCore* a, SwCore* b) { return a->GetVersion() > b->GetVersion(); });
  return out;
}

std::vector<std::string> Knowledge::Names(CoreKind kind) {
  std::vector<std::string> out;
  std::set<std::string> seen;
  for (SwCore* c : Cores(kind)) {
    String lower = c->GetName();
    if (seen.insert(lower.MakeLower()).second) out.push_back(c->GetName());
  }
  return out;
}

std::vector<const MdtBase::Property*> Knowledge::Declared(const MdtBase::PsfFile* def) {
  std::vector<const MdtBase::Property*> out;
  if (auto* mdd = dynamic_cast<const TavSoftware::Mdd*>(def)) {
    AddDeclared(mdd->GetPropSeqRef(TavSoftware::Mdd::PARAMETERS), out);
    for (const MdtBase::Property* b : mdd->GetPropSeqRef(TavSoftware::Mdd::BLOCKS))
      if (auto* block = dynamic_cast<const TavSoftware::Block*>(b))
        AddDeclared(block->GetPropSeqRef(TavSoftware::Block::PARAMETERS), out);
    AddDeclared(mdd->GetPropSeqRef(TavSoftware::Mdd::ARRAYS), out);
    for (const MdtBase::Property* b : mdd->GetPropSeqRef(TavSoftware::Mdd::BLOCKS))
      if (auto* block = dynamic_cast<const TavSoftware::Block*>(b))
        AddDeclared(block->GetPropSeqRef(TavSoftware::Block::ARRAYS), out);
  } else if (auto* mld = dynamic_cast<const TavSoftware::Mld*>(def)) {
    AddDeclared(mld->GetPropSeqRef(TavSoftware::Mld::PARAMETERS), out);
    for (const MdtBase::Property* c : mld->GetPropSeqRef(TavSoftware::Mld::CATEGORIES))
      if (auto* cat = dynamic_cast<const TavSoftware::Category*>(c))
        AddDeclared(cat->GetPropSeqRef(TavSoftware::Category::PARAMETERS), out);
    AddDeclared(mld->GetPropSeqRef(TavSoftware::Mld::ARRAYS), out);
    for (const MdtBase::Property* c : mld->GetPropSeqRef(TavSoftware::Mld::CATEGORIES))
      if (auto* cat = dynamic_cast<const TavSoftware::Category*>(c))
        AddDeclared(cat->GetPropSeqRef(TavSoftware::Category::ARRAYS), out);
  }
  // A file read in part (a line the reader refused) may hold a nameless entry.
  std::erase_if(out, [](const MdtBase::Property* p) { return p->GetName().empty(); });
  return out;
}

const MdtBase::Property* Knowledge::DeclaredByName(const MdtBase::PsfFile* def,
                                                   const std::string& name) {
  for (const MdtBase::Property* p : Declared(def))
    if (Port::EqualsNoCase(p->GetName(), name)) return p;
  return nullptr;
}

std::string Knowledge::State(SwCore* core) {
  const MdtBase::PsfFile* def = DefinitionOf(core);
  for (const char* option : {"DRIVER_STATE", "OS_STATE", "LIBRARY_STATE"})
    if (const MdtBase::Property* p = OptionOf(def, option)) {
      String state = p->GetValueStr();
      return state.Trim().MakeUpper();
    }
  return "";
}

bool Knowledge::Supports(SwCore* core, const std::string& ipType, const std::string& ipVersion) {
  const MdtBase::Property* list = OptionOf(DefinitionOf(core), "SUPPORTED_PERIPHERALS");
  auto* words = list ? dynamic_cast<const MdtBase::ListStrVal*>(list->GetMdtValuePtr()) : nullptr;
  if (!words || words->GetList().empty()) return true;
  for (const String& pattern : words->GetList())
    if (TavSoftware::SwRTUtil::CheckMatch(ipType, ipVersion, pattern)) return true;
  return false;
}

boost::shared_ptr<TavHwDb::HwDbFile> Knowledge::Hw(const std::string& path) {
  int64_t stamp = 0;
  if (path.empty() || !Port::File::getdatetime(path, stamp)) return nullptr;
  HwEntry& entry = hw_[path];
  if (entry.db && entry.stamp == stamp) return entry.db;
  MsgCapture capture;
  int errors = 0;
  entry.db = TavHwDb::HwDbFile::Read(path, errors);
  entry.stamp = stamp;
  entry.messages = capture.Messages();
  return entry.db;
}

const std::vector<MsgRecord>& Knowledge::HwMessages(const std::string& path) const {
  static const std::vector<MsgRecord> kNone;
  auto it = hw_.find(path);
  return it == hw_.end() ? kNone : it->second.messages;
}

std::vector<std::string> Closest(const std::string& typed, const std::vector<std::string>& known,
                                 size_t count) {
  std::vector<std::pair<size_t, std::string>> scored;
  for (const std::string& k : known) {
    const size_t d = EditDistance(typed, k, true);
    // A third of the longer name, at least two edits: "C_BAUDRAT" finds
    // C_BAUDRATE, "x" finds nothing.
    const size_t limit = std::max<size_t>(2, std::max(typed.size(), k.size()) / 3);
    if (d > 0 && d <= limit && d < k.size()) scored.emplace_back(d, k);
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> out;
  for (const auto& [d, name] : scored)
    if (out.size() < count) out.push_back(name);
  return out;
}

}  // namespace tavsw::lsp
