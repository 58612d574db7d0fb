#include "MdtBase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <ostream>

namespace MdtBase {

namespace {

std::atomic<uint64_t> g_nameEpoch{0};
thread_local BaseNode::NotifyObserver t_observer = nullptr;
thread_local void* t_observerData = nullptr;

bool EqNoCase(std::string_view a, std::string_view b) { return Port::EqualsNoCase(a, b); }
}  // namespace

// ---------------------------------------------------------------------------
// BaseNode
// ---------------------------------------------------------------------------
BaseNode::BaseNode() = default;
namespace {
// Process-wide: a watched node may die on any thread.
std::atomic<BaseNode::DestroyedHook> g_destroyedHook{nullptr};
}  // namespace

// Counts of the few nodes ever notified, kept apart so that the rest carry
// no counter.
struct NotifyCounts {
  std::mutex mu;
  std::unordered_map<const BaseNode*, int> counts;
};
NotifyCounts& Counts() {
  static NotifyCounts* counts = new NotifyCounts();  // nodes in static objects die late
  return *counts;
}

BaseNode::~BaseNode() {
  if (counted_) {
    NotifyCounts& c = Counts();
    std::lock_guard<std::mutex> lock(c.mu);
    c.counts.erase(this);
  }
  if (!watched_) return;
  if (DestroyedHook hook = g_destroyedHook.load()) hook(this);
}

void BaseNode::SetDestroyedHook(DestroyedHook hook) { g_destroyedHook.store(hook); }

// One link of a tag chain: the tag and the chain it extends. Chains are
// made once per (chain, tag) pair and live as long as the process, so a node
// may point at one without owning it.
struct BaseNode::TagChain {
  const char* tag;
  const TagChain* parent;
  int depth;
  // Which of kKnownTags the chain holds, so that the base layer's own
  // checks, asked once per node while a tree is walked, compare no text.
  unsigned known;
};

namespace {
using TagChain = BaseNode::TagChain;

constexpr const char kValueTag[] = "MdtBas_MdtValue";
constexpr const char kNameValueTag[] = "MdtBas_NameValue";
constexpr const char kPsfCompTag[] = "MdtBas_PsfComp";
constexpr const char kPropertyTag[] = "MdtBas_Property";
constexpr const char kStrValTag[] = "MdtBas_StrVal";
constexpr const char* kKnownTags[] = {kValueTag, kNameValueTag, kPsfCompTag, kPropertyTag};

unsigned KnownBits(const char* tag) {
  unsigned bits = 0;
  for (unsigned i = 0; i < std::size(kKnownTags); ++i)
    if (std::strcmp(tag, kKnownTags[i]) == 0) bits |= 1u << i;
  return bits;
}

struct ChainKeyHash {
  size_t operator()(const std::pair<const TagChain*, const char*>& k) const {
    return std::hash<const void*>()(k.first) * 31 + std::hash<const void*>()(k.second);
  }
};

// The chains of the process. Never destroyed: nodes held in static objects
// may still ask for their tags while the process ends.
struct TagChains {
  std::mutex mu;
  std::unordered_map<std::pair<const TagChain*, const char*>, const TagChain*, ChainKeyHash> made;
  std::deque<TagChain> store;
};

TagChains& Chains() {
  static TagChains* chains = new TagChains();
  return *chains;
}

// Each constructor adds its tag, so the same few pairs are asked for all
// the time; a small table answers them without the lock. A link names its
// own key and never changes, so one pointer per slot is all a reader needs.
constexpr size_t kChainCacheSize = 512;
std::atomic<const TagChain*> g_chainCache[kChainCacheSize];

// Out of line, so that the cached path, taken for nearly every node made,
// stays a few instructions.
[[gnu::noinline]] const TagChain* ExtendSlow(const TagChain* parent, const char* tag,
                                             std::atomic<const TagChain*>& slot) {
  TagChains& chains = Chains();
  const TagChain* chain;
  {
    std::lock_guard<std::mutex> lock(chains.mu);
    auto [it, added] = chains.made.try_emplace({parent, tag}, nullptr);
    if (added)
      it->second = &chains.store.emplace_back(TagChain{tag, parent, parent ? parent->depth + 1 : 1,
                                                       (parent ? parent->known : 0) | KnownBits(tag)});
    chain = it->second;
  }
  slot.store(chain, std::memory_order_release);
  return chain;
}

inline const TagChain* Extend(const TagChain* parent, const char* tag) {
  const auto p = reinterpret_cast<uintptr_t>(parent);
  const auto t = reinterpret_cast<uintptr_t>(tag);
  auto& slot = g_chainCache[((p >> 4) ^ (t >> 2) ^ (t >> 9)) % kChainCacheSize];
  if (const TagChain* c = slot.load(std::memory_order_acquire);
      c && c->parent == parent && c->tag == tag)
    return c;
  return ExtendSlow(parent, tag, slot);
}
}  // namespace

void BaseNode::AddBaseNode(BaseNode* node, const char* tag) {
  if (!node || !tag) return;
  const TagChain* base = node->tags_;
  // Deeper than any class of the library: the most derived tag wins.
  if (base && base->depth >= kMaxTags) base = base->parent;
  node->tags_ = Extend(base, tag);
}

const char* BaseNode::GetBaseNode(const BaseNode* node) {
  if (!node || !node->tags_) return "";
  return node->tags_->tag;
}

bool BaseNode::IsBaseNodeType(const BaseNode* node, const char* tag) {
  if (!node || !tag) return false;
  for (unsigned i = 0; i < std::size(kKnownTags); ++i)
    if (tag == kKnownTags[i]) return node->tags_ && (node->tags_->known >> i & 1u);
  // The same literal is mostly the same pointer; the text decides otherwise.
  for (const TagChain* c = node->tags_; c; c = c->parent)
    if (c->tag == tag) return true;
  for (const TagChain* c = node->tags_; c; c = c->parent)
    if (std::strcmp(c->tag, tag) == 0) return true;
  return false;
}

void BaseNode::NotifyPropertyChanged() {
  {
    NotifyCounts& c = Counts();
    std::lock_guard<std::mutex> lock(c.mu);
    ++c.counts[this];
    counted_ = true;
  }
  if (t_observer) t_observer(this, t_observerData);
}

int BaseNode::GetNotifyCount() const {
  if (!counted_) return 0;
  NotifyCounts& c = Counts();
  std::lock_guard<std::mutex> lock(c.mu);
  auto it = c.counts.find(this);
  return it == c.counts.end() ? 0 : it->second;
}

void BaseNode::SetNotifyObserver(NotifyObserver observer, void* data) {
  t_observer = observer;
  t_observerData = data;
}

// ---------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------
MdtValue::MdtValue() { AddBaseNode(this, kValueTag); }
MdtValue::~MdtValue() = default;

StrVal::StrVal() { AddBaseNode(this, kStrValTag); }
StrVal::StrVal(const String& text) : StrVal() { text_ = text; }
int StrVal::SetValue(const String& text) {
  text_ = text;
  SetValid(true);
  return 0;
}
MdtValue* StrVal::Clone() const { return new StrVal(text_); }

IntVal::IntVal() { AddBaseNode(this, "MdtBas_IntVal"); }
IntVal::IntVal(const String& text) : IntVal() { SetValue(text); }
IntVal::IntVal(long long value) : IntVal() { SetInt(value); }

int IntVal::SetValue(const String& text) {
  text_ = text;
  String t = text;
  t.Trim(Port::kTrimBoth);
  value_ = 0;
  SetValid(false);
  if (t.empty()) return 1;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(t.c_str(), &end, 0);
  if (errno != 0 || end != t.c_str() + t.size()) {
    // Large unsigned hex constants (addresses) are still integers.
    errno = 0;
    unsigned long long u = std::strtoull(t.c_str(), &end, 0);
    if (errno != 0 || end != t.c_str() + t.size() || t[0] == '-') return 1;
    v = static_cast<long long>(u);
  }
  value_ = v;
  SetValid(true);
  return 0;
}

void IntVal::SetInt(long long value) {
  value_ = value;
  text_ = std::to_string(value);
  SetValid(true);
}

MdtValue* IntVal::Clone() const {
  auto* c = new IntVal();
  c->text_ = text_;
  c->value_ = value_;
  c->SetValid(MdtValue::IsValid());
  return c;
}

BoolVal::BoolVal() { AddBaseNode(this, "MdtBas_BoolVal"); }
BoolVal::BoolVal(const String& text) : BoolVal() { SetValue(text); }

int BoolVal::SetValue(const String& text) {
  text_ = text;
  String t = text;
  t.Trim(Port::kTrimBoth);
  static const char* const kTrue[] = {"true", "yes", "on", "1"};
  static const char* const kFalse[] = {"false", "no", "off", "0"};
  for (const char* w : kTrue)
    if (EqNoCase(t, w)) {
      value_ = true;
      SetValid(true);
      return 0;
    }
  for (const char* w : kFalse)
    if (EqNoCase(t, w)) {
      value_ = false;
      SetValid(true);
      return 0;
    }
  value_ = false;
  SetValid(false);
  return 1;
}

MdtValue* BoolVal::Clone() const {
  auto* c = new BoolVal();
  c->text_ = text_;
  c->value_ = value_;
  c->SetValid(MdtValue::IsValid());
  return c;
}

FileNameVal::FileNameVal() { AddBaseNode(this, "MdtBas_FileNameVal"); }
FileNameVal::FileNameVal(const String& text) : FileNameVal() { SetValue(text); }
int FileNameVal::SetValue(const String& text) {
  name_ = Port::FileName(text);
  SetValid(true);
  return 0;
}
MdtValue* FileNameVal::Clone() const { return new FileNameVal(name_.GetFullName()); }

ListStrVal::ListStrVal() { AddBaseNode(this, "MdtBas_ListStrVal"); }
ListStrVal::ListStrVal(const String& text, const String& separators) : ListStrVal() {
  separators_ = separators;
  SetValue(text);
}

int ListStrVal::SetValue(const String& text) {
  text_ = text;
  items_.clear();
  std::string_view rest(text_);
  const std::string_view seps =
      separators_.empty() ? std::string_view(" ") : std::string_view(separators_);
  // The sets are a character or two: compared in place rather than searched.
  auto isSep = [seps](char c) {
    for (char sep : seps)
      if (c == sep) return true;
    return false;
  };
  // Room for every word at once: a list grown one word at a time leaves
  // each smaller block behind.
  size_t words = 1;
  for (char c : rest) words += isSep(c);
  items_.reserve(words);
  while (!rest.empty()) {
    size_t p = 0;
    while (p < rest.size() && !isSep(rest[p])) ++p;
    if (p == rest.size()) p = std::string_view::npos;
    std::string_view item = BaseUtils::TrimView(rest.substr(0, p));
    if (!item.empty()) items_.emplace_back(item);
    if (p == std::string_view::npos) break;
    rest.remove_prefix(p + 1);
  }
  SetValid(true);
  return 0;
}

MdtValue* ListStrVal::Clone() const {
  auto* c = new ListStrVal();
  c->text_ = text_;
  c->separators_ = separators_;
  c->items_ = items_;
  c->SetValid(MdtValue::IsValid());
  return c;
}

ListPsfCompVal::ListPsfCompVal() { AddBaseNode(this, "MdtBas_ListPsfCompVal"); }
ListPsfCompVal::~ListPsfCompVal() {
  for (auto* c : items_) delete c;
}
void ListPsfCompVal::Add(PsfComp* comp) {
  if (!comp) return;
  comp->SetOwner(GetOwner());
  items_.push_back(comp);
}
int ListPsfCompVal::SetValue(const String&) { return 1; }
String ListPsfCompVal::GetValueStr() const {
  String out = "(";
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i) out += ", ";
    out += items_[i]->GetName();
    out += " = ";
    out += items_[i]->GetValueStr();
  }
  out += ")";
  return out;
}
MdtValue* ListPsfCompVal::Clone() const {
  auto* c = new ListPsfCompVal();
  for (auto* item : items_) c->items_.push_back(item->ClonePsfComp());
  return c;
}

BaseNodePtrVal::BaseNodePtrVal() { AddBaseNode(this, "MdtBas_BaseNodePtrVal"); }
BaseNodePtrVal::BaseNodePtrVal(BaseNode* node) : BaseNodePtrVal() { node_ = node; }
int BaseNodePtrVal::SetValue(const String&) { return 1; }
MdtValue* BaseNodePtrVal::Clone() const { return new BaseNodePtrVal(node_); }

ListBaseNodePtrVal::ListBaseNodePtrVal(bool owns) : owns_(owns) {
  AddBaseNode(this, "MdtBas_ListBaseNodePtrVal");
}
ListBaseNodePtrVal::~ListBaseNodePtrVal() {
  if (owns_)
    for (auto* n : items_) delete n;
}
void ListBaseNodePtrVal::Add(BaseNode* node) {
  if (node) items_.push_back(node);
}
int ListBaseNodePtrVal::SetValue(const String&) { return 1; }

String ListBaseNodePtrVal::GetValueStr() const {
  String out = "(";
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i) out += ",";
    const BaseNode* n = items_[i];
    if (BaseNode::IsBaseNodeType(n, "MdtBas_ListStrVal")) {
      const auto* l = static_cast<const ListStrVal*>(n);
      out += "(";
      for (size_t j = 0; j < l->GetList().size(); ++j) {
        if (j) out += ",";
        out += l->GetList()[j];
      }
      out += ")";
    } else if (BaseNode::IsBaseNodeType(n, kValueTag)) {
      out += static_cast<const MdtValue*>(n)->GetValueStr();
    } else if (BaseNode::IsBaseNodeType(n, kNameValueTag)) {
      out += static_cast<const NameValue*>(n)->GetValueStr();
    }
  }
  out += ")";
  return out;
}

MdtValue* ListBaseNodePtrVal::Clone() const {
  auto* c = new ListBaseNodePtrVal(owns_);
  for (auto* n : items_) {
    if (owns_ && BaseNode::IsBaseNodeType(n, kValueTag))
      c->items_.push_back(static_cast<const MdtValue*>(n)->Clone());
    else if (!owns_)
      c->items_.push_back(n);
  }
  return c;
}

// ---------------------------------------------------------------------------
// NameValue, PsfComp, Property, PsfFile
// ---------------------------------------------------------------------------
NameValue::NameValue() { AddBaseNode(this, kNameValueTag); }
NameValue::NameValue(const String& name) : NameValue() { name_ = name; }

uint64_t NameValue::NameEpoch() { return g_nameEpoch.load(std::memory_order_relaxed); }
void NameValue::NoteRename() { g_nameEpoch.fetch_add(1, std::memory_order_relaxed); }
NameValue::~NameValue() { delete value_; }

String NameValue::GetValueStr() const { return value_ ? value_->GetValueStr() : String(); }

int NameValue::SetValueStr(const String& text) {
  if (!value_) SetMdtValuePtr(new StrVal());
  return value_->SetValue(text);
}

void NameValue::SetStrVal(const String& text) {
  if (value_ && std::strcmp(GetBaseNode(value_), kStrValTag) == 0) {
    value_->SetValue(text);
    return;
  }
  SetMdtValuePtr(new StrVal(text));
}

void NameValue::SetMdtValuePtr(MdtValue* value) {
  if (value == value_) return;
  delete value_;
  value_ = value;
  if (value_) value_->SetOwner(this);
}

void Comment::Print(const Comment& comment, UtStreamWriter* writer, const char* prefix) {
  if (!writer) return;
  for (const auto& line : comment.lines_) writer->writeline(String(prefix ? prefix : "") + line);
}

PsfComp::PsfComp() { AddBaseNode(this, kPsfCompTag); }
PsfComp::PsfComp(const String& name) : NameValue(name) { AddBaseNode(this, kPsfCompTag); }
PsfComp::~PsfComp() {
  if (extra_ && extra_->nvs)
    for (NameValue* nv : *extra_->nvs) delete nv;
}

const Comment& PsfComp::NoComment() {
  static const Comment kNone;
  return kNone;
}

void PsfComp::AddNV(NameValue* nv) {
  if (!nv) return;
  nv->SetOwner(this);
  auto& nvs = Extra().nvs;
  if (!nvs) nvs = std::make_unique<std::vector<NameValue*>>();
  nvs->push_back(nv);
}

NameValue* PsfComp::GetNVByName(const String& name) const {
  return extra_ && extra_->nvs ? NVUtil::GetNVByName(*extra_->nvs, name, 0) : nullptr;
}

const std::vector<NameValue*>& PsfComp::GetNVSeqRef() const {
  static const std::vector<NameValue*> kNone;
  return extra_ && extra_->nvs ? *extra_->nvs : kNone;
}

struct SharedFileName::Rep {
  std::atomic<long> refs{1};
  String name;
};

SharedFileName::SharedFileName(const String& name) : rep_(new Rep) { rep_->name = name; }
SharedFileName::SharedFileName(const SharedFileName& other) : rep_(other.rep_) {
  if (rep_) rep_->refs.fetch_add(1, std::memory_order_relaxed);
}
SharedFileName& SharedFileName::operator=(const SharedFileName& other) {
  SharedFileName copy(other);
  std::swap(rep_, copy.rep_);
  return *this;
}
SharedFileName::~SharedFileName() {
  if (rep_ && rep_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete rep_;
}
const String& SharedFileName::Get() const {
  static const String kEmpty;
  return rep_ ? rep_->name : kEmpty;
}

void PsfComp::SetFileName(const String& fileName) {
  // Nodes copied one after another name the same few files (a merge takes
  // from a definition file and the MSS in turn): the names made last on
  // this thread are shared instead of made again for each node.
  constexpr size_t kKept = 4;
  thread_local SharedFileName kept[kKept];
  thread_local size_t next = 0;
  for (const SharedFileName& k : kept)
    if (k && k.Get() == fileName) {
      file_ = k;
      return;
    }
  kept[next] = SharedFileName(fileName);
  file_ = kept[next];
  next = (next + 1) % kKept;
}

PsfComp* PsfComp::ClonePsfComp() const {
  auto* c = new PsfComp(GetName());
  if (GetMdtValuePtr()) c->SetMdtValuePtr(GetMdtValuePtr()->Clone());
  c->SetComment(GetComment());
  c->file_ = file_;
  c->psfLine_ = psfLine_;
  c->SetLocInFile(GetLocInFile());
  return c;
}

Property::Property() { AddBaseNode(this, kPropertyTag); }
Property::Property(const String& name) : PsfComp(name) { AddBaseNode(this, kPropertyTag); }
Property::~Property() {
  ClearPsfComps();
  delete reinterpret_cast<PsfCompSeq*>(subs_.load(std::memory_order_acquire));
}

// The sub-components still to be made: one block of records. A record is
// its maker's number and the lengths of name, text and extra (a byte each
// when below 128), then their bytes; a statement's attributes cost little
// more than their text.
struct Property::Later {
  uint32_t size = 0;  // bytes of records
  // Where the statement stood: kept apart from the node's own file and
  // line, which a writer may stamp over before these are made.
  int line = 0;
  SharedFileName file;
  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
};

namespace {
std::mutex g_laterMu;

// The makers records name by number: the readers use a handful. Number 0
// is no maker; kMakerInline marks a maker written out in full, for a
// process that uses more than the table holds.
constexpr unsigned kMakers = 255, kMakerInline = 255;
std::atomic<Property::ValueMaker> g_makers[kMakers];
std::atomic<unsigned> g_makerCount{1};
std::mutex g_makersMu;

unsigned MakerNumber(Property::ValueMaker make) {
  if (!make) return 0;
  unsigned n = g_makerCount.load(std::memory_order_acquire);
  for (unsigned i = 1; i < n; ++i)
    if (g_makers[i].load(std::memory_order_relaxed) == make) return i;
  std::lock_guard<std::mutex> lock(g_makersMu);
  n = g_makerCount.load(std::memory_order_relaxed);
  for (unsigned i = 1; i < n; ++i)
    if (g_makers[i].load(std::memory_order_relaxed) == make) return i;
  if (n == kMakers) return kMakerInline;
  g_makers[n].store(make, std::memory_order_relaxed);
  g_makerCount.store(n + 1, std::memory_order_release);
  return n;
}

size_t LengthBytes(size_t n) {
  size_t bytes = 1;
  while (n >= 128) {
    n >>= 7;
    ++bytes;
  }
  return bytes;
}
char* PutLength(char* out, size_t n) {
  while (n >= 128) {
    *out++ = static_cast<char>((n & 127) | 128);
    n >>= 7;
  }
  *out++ = static_cast<char>(n);
  return out;
}
const char* GetLength(const char* in, size_t& n) {
  n = 0;
  for (unsigned shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*in++);
    n |= static_cast<size_t>(byte & 127) << shift;
    if (!(byte & 128)) return in;
  }
}

size_t RecordBytes(const Property::LaterPsfComp& c, unsigned maker) {
  return 1 + (maker == kMakerInline ? sizeof(Property::ValueMaker) : 0) +
         LengthBytes(c.name.size()) + LengthBytes(c.text.size()) + LengthBytes(c.extra.size()) +
         c.name.size() + c.text.size() + c.extra.size();
}

char* PutRecord(char* out, const Property::LaterPsfComp& c, unsigned maker) {
  *out++ = static_cast<char>(maker);
  if (maker == kMakerInline) {
    std::memcpy(out, &c.make, sizeof c.make);
    out += sizeof c.make;
  }
  for (std::string_view part : {c.name, c.text, c.extra}) out = PutLength(out, part.size());
  for (std::string_view part : {c.name, c.text, c.extra}) {
    if (part.empty()) continue;  // an empty view may have no data at all
    std::memcpy(out, part.data(), part.size());
    out += part.size();
  }
  return out;
}

const char* GetRecord(const char* in, Property::LaterPsfComp& c) {
  const auto maker = static_cast<unsigned char>(*in++);
  if (maker == kMakerInline) {
    std::memcpy(&c.make, in, sizeof c.make);
    in += sizeof c.make;
  } else {
    c.make = maker ? g_makers[maker].load(std::memory_order_relaxed) : nullptr;
  }
  size_t name, text, extra;
  in = GetLength(in, name);
  in = GetLength(in, text);
  in = GetLength(in, extra);
  c.name = std::string_view(in, name);
  c.text = std::string_view(in + name, text);
  c.extra = std::string_view(in + name + text, extra);
  return in + name + text + extra;
}

PsfComp* MakeComp(const Property::LaterPsfComp& c, const SharedFileName& file, int line) {
  auto* comp = new PsfComp(String(c.name));
  comp->SetFileNameShared(file);
  comp->SetLineNum(line);
  if (c.make) comp->SetMdtValuePtr(c.make(*comp, c.text, c.extra));
  return comp;
}
}  // namespace

void Property::DeleteLater(Later* later) {
  const size_t bytes = sizeof(Later) + later->size;
  later->~Later();
  NodeArena::Release(later, bytes);
}

void Property::SetPsfCompsLater(const std::vector<LaterPsfComp>& comps) {
  if (comps.empty()) return;
  if (subs_.load(std::memory_order_acquire) != 0) {
    // Some are there already: these follow them, made now.
    PsfCompSeq& seq = GetPsfCompSeqRef();
    for (const auto& c : comps) seq.push_back(MakeComp(c, GetSharedFileName(), GetLineNum()));
    return;
  }
  thread_local std::vector<unsigned> makers;
  makers.clear();
  size_t size = 0;
  for (const auto& c : comps) {
    makers.push_back(MakerNumber(c.make));
    size += RecordBytes(c, makers.back());
  }
  // Drawn with the node's own storage: as many as there are parameters.
  void* mem = NodeArena::Allocate(sizeof(Later) + size);
  auto* later = new (mem) Later;
  later->size = static_cast<uint32_t>(size);
  later->line = GetLineNum();
  later->file = GetSharedFileName();
  char* out = later->Bytes();
  for (size_t i = 0; i < comps.size(); ++i) out = PutRecord(out, comps[i], makers[i]);
  subs_.store(reinterpret_cast<uintptr_t>(later) | kLaterBit, std::memory_order_release);
}

void Property::MakeLaterCompsNow() const {
  // Made once, by whichever reader comes first; a const node may be looked
  // at from several threads. Nodes given later sub-components are never
  // const objects, so making them here is sound.
  std::lock_guard<std::mutex> lock(g_laterMu);
  const uintptr_t v = subs_.load(std::memory_order_relaxed);
  if (!(v & kLaterBit)) return;
  auto* later = reinterpret_cast<Later*>(v & ~kMarkBits);
  const bool owned = v & kOwnedBit;
  auto* self = const_cast<Property*>(this);
  const char* begin = later->Bytes();
  const char* end = begin + later->size;
  LaterPsfComp comp;
  size_t count = 0;
  for (const char* in = begin; in < end; ++count) in = GetRecord(in, comp);
  auto seq = std::make_unique<PsfCompSeq>();
  seq->reserve(count);
  for (const char* in = begin; in < end;) {
    in = GetRecord(in, comp);
    PsfComp* c = MakeComp(comp, later->file, later->line);
    if (owned) c->SetOwner(self);
    seq->push_back(c);
  }
  self->subs_.store(reinterpret_cast<uintptr_t>(seq.release()), std::memory_order_release);
  DeleteLater(later);
}

PsfCompSeq* Property::Seq() const {
  uintptr_t v = subs_.load(std::memory_order_acquire);
  if (v & kLaterBit) {
    MakeLaterCompsNow();
    v = subs_.load(std::memory_order_acquire);
  }
  return reinterpret_cast<PsfCompSeq*>(v);
}

PsfCompSeq& Property::GetPsfCompSeqRef() {
  if (PsfCompSeq* seq = Seq()) return *seq;
  // Callers may fill the sequence they are handed.
  auto* seq = new PsfCompSeq();
  subs_.store(reinterpret_cast<uintptr_t>(seq), std::memory_order_release);
  return *seq;
}

const PsfCompSeq& Property::GetPsfCompSeqRef() const {
  static const PsfCompSeq kNone;
  const PsfCompSeq* seq = Seq();
  return seq ? *seq : kNone;
}

int Property::AddPsfComp(PsfComp* comp) {
  if (!comp) {
    const PsfCompSeq* seq = Seq();
    return seq ? static_cast<int>(seq->size()) : 0;
  }
  PsfCompSeq& seq = GetPsfCompSeqRef();
  seq.push_back(comp);
  return static_cast<int>(seq.size());
}

PsfComp* Property::GetPsfCompByName(std::string_view name) {
  const PsfCompSeq* seq = Seq();
  return seq ? PsfCompUtil::GetPsfCompByName(*seq, name, 0) : nullptr;
}
const PsfComp* Property::GetPsfCompByName(std::string_view name) const {
  const PsfCompSeq* seq = Seq();
  return seq ? PsfCompUtil::GetPsfCompByName(*seq, name, 0) : nullptr;
}
String Property::GetPsfCompValueStr(std::string_view name) const {
  const PsfComp* c = GetPsfCompByName(name);
  return c ? c->GetValueStr() : String();
}
void Property::ClearPsfComps() {
  const uintptr_t v = subs_.load(std::memory_order_acquire);
  if (!v) return;
  // Sub-components never made need not be made to go.
  if (v & kLaterBit) {
    subs_.store(0, std::memory_order_release);
    DeleteLater(reinterpret_cast<Later*>(v & ~kMarkBits));
    return;
  }
  // The sequence itself stays: a caller may still hold it.
  auto* seq = reinterpret_cast<PsfCompSeq*>(v);
  for (auto* c : *seq) delete c;
  seq->clear();
}

PsfFile::PsfFile() { AddBaseNode(this, "MdtBas_PsfFile"); }
PsfFile::~PsfFile() = default;

// ---------------------------------------------------------------------------
// Utilities
// ---------------------------------------------------------------------------
Property* PropertyUtil::GetPropertyByName(const PropSeq& seq, std::string_view name, int from) {
  for (size_t i = from > 0 ? static_cast<size_t>(from) : 0; i < seq.size(); ++i)
    if (seq[i] && EqNoCase(seq[i]->GetName(), name)) return seq[i];
  return nullptr;
}

int PropertyUtil::DelPropertyByPtr(PropSeq& seq, Property* p, int destroy) {
  if (!p) return 1;
  for (auto it = seq.begin(); it != seq.end(); ++it) {
    if (*it == p) {
      seq.erase(it);
      if (destroy) delete p;
      return 0;
    }
  }
  return 1;
}

int PropertyUtil::AssignOwner(Property* p, BaseNode* owner) {
  if (!p) return 0;
  if (owner) p->SetOwner(owner);
  // Plain components still to be made are made with this owner. The mark
  // goes beside the pointer, without the lock: a reader walks every
  // parameter this way.
  uintptr_t v = p->subs_.load(std::memory_order_acquire);
  while (v & Property::kLaterBit) {
    if (p->subs_.compare_exchange_weak(v, v | Property::kOwnedBit, std::memory_order_acq_rel))
      return 0;
  }
  for (auto* c : std::as_const(*p).GetPsfCompSeqRef()) {
    c->SetOwner(p);
    if (BaseNode::IsBaseNodeType(c, kPropertyTag))
      AssignOwner(static_cast<Property*>(c), nullptr);
  }
  return 0;
}

int PropertyUtil::CopyPropertyBase(const Property* src, Property* dst) {
  if (!src || !dst || src == dst) return 0;
  dst->SetName(src->GetName());
  dst->SetMdtValuePtr(src->GetMdtValuePtr() ? src->GetMdtValuePtr()->Clone() : nullptr);
  dst->SetComment(src->GetComment());
  // The copy names the file of its source: it shares the source's name.
  dst->SetFileNameShared(src->GetSharedFileName());
  dst->SetLineNum(src->GetLineNum());
  dst->ClearPsfComps();
  const PsfCompSeq& from = src->GetPsfCompSeqRef();
  if (from.size() > 1) dst->GetPsfCompSeqRef().reserve(from.size());
  for (const auto* c : from) {
    PsfComp* copy = c->ClonePsfComp();
    copy->SetOwner(dst);
    dst->AddPsfComp(copy);
  }
  return 0;
}

int PropertyUtil::MergeProperty(const Property* def, const Property* inst, Property* dst) {
  if (!def || !dst) return 1;
  int errors = CopyPropertyBase(def, dst);
  if (inst && inst->GetMdtValuePtr()) dst->SetValueStr(inst->GetValueStr());
  return errors;
}

void PropertyUtil::InitAllowedValuesMap(AllowedValuesMap& map,
                                        const std::vector<std::pair<String, String>>& pairs) {
  for (const auto& [name, values] : pairs) {
    String key = name;
    key.MakeUpper();
    std::vector<String> list;
    std::string_view rest(values);
    while (true) {
      size_t p = rest.find(':');
      list.emplace_back(rest.substr(0, p));
      if (p == std::string_view::npos) break;
      rest.remove_prefix(p + 1);
    }
    map[key] = std::move(list);
  }
}

bool PropertyUtil::CheckValueMatch(const AllowedValuesMap& map, const String& name,
                                   const String& value) {
  String key = name;
  key.MakeUpper();
  auto it = map.find(key);
  if (it == map.end()) return true;
  for (const auto& allowed : it->second)
    if (EqNoCase(allowed, value)) return true;
  return false;
}

void PropertyUtil::PrintProperty(const PsfComp* p, const String& keyword, UtStreamWriter* writer,
                                 int withComment) {
  if (!p || !writer) return;
  if (withComment) Comment::Print(p->GetComment(), writer, "# ");
  String line = " ";
  line += keyword;
  line += " ";
  line += p->GetName();
  line += " = ";
  line += p->GetValueStr();
  writer->writeline(line);
}

void PropertyUtil::PrintPropertyList(const PropSeq& seq, const String& keyword,
                                     UtStreamWriter* writer, int withComment) {
  for (const auto* p : seq) PrintProperty(p, keyword, writer, withComment);
}

PsfComp* PsfCompUtil::GetPsfCompByName(const PsfCompSeq& seq, std::string_view name, int from) {
  for (size_t i = from > 0 ? static_cast<size_t>(from) : 0; i < seq.size(); ++i)
    if (seq[i] && EqNoCase(seq[i]->GetName(), name)) return seq[i];
  return nullptr;
}

int PsfCompUtil::DelPsfCompByPtr(PsfCompSeq& seq, PsfComp* p, int destroy) {
  if (!p) return 1;
  for (auto it = seq.begin(); it != seq.end(); ++it) {
    if (*it == p) {
      seq.erase(it);
      if (destroy) delete p;
      return 0;
    }
  }
  return 1;
}

void PsfCompUtil::PrintComment(const PsfComp* node, UtStreamWriter* writer, const char* prefix) {
  if (node) Comment::Print(node->GetComment(), writer, prefix);
}

NameValue* NVUtil::GetNVByName(const NVSeq& seq, const String& name, int from) {
  for (size_t i = from > 0 ? static_cast<size_t>(from) : 0; i < seq.size(); ++i)
    if (seq[i] && EqNoCase(seq[i]->GetName(), name)) return seq[i];
  return nullptr;
}

namespace {
// The SPACESET test, spelled out: the readers trim every word they take, and
// find_first_not_of searches the set once per character.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
}  // namespace

std::string_view BaseUtils::TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string_view BaseUtils::TrimLeadingView(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return s.substr(b);
}

std::string_view BaseUtils::GetWordTillChar(std::string_view& text, char c) {
  size_t p = text.find(c);
  std::string_view word = TrimView(text.substr(0, p));
  text = p == std::string_view::npos ? std::string_view() : TrimLeadingView(text.substr(p + 1));
  return word;
}

String BaseUtils::GetWordTillChar(String& text, char c, const String&) {
  std::string_view view(text);
  String word(GetWordTillChar(view, c));
  text = String(view);
  return word;
}

std::string_view BaseUtils::GetWordSurroundedByChar(std::string_view& text, char quote, char sep) {
  size_t open = text.find(quote);
  size_t sepPos = text.find(sep);
  if (open == std::string_view::npos || (sepPos != std::string_view::npos && sepPos < open)) {
    // No quoted word before the next separator: take the plain word.
    return GetWordTillChar(text, sep);
  }
  size_t close = text.find(quote, open + 1);
  std::string_view word;
  if (close == std::string_view::npos) {
    // An unbalanced quote takes the rest of the text.
    word = text.substr(open + 1);
    text = std::string_view();
    return word;
  }
  word = text.substr(open + 1, close - open - 1);
  size_t next = text.find(sep, close + 1);
  text =
      next == std::string_view::npos ? std::string_view() : TrimLeadingView(text.substr(next + 1));
  return word;
}

String BaseUtils::GetWordSurroundedByChar(String& text, char quote, char sep, const String&) {
  std::string_view view(text);
  String word(GetWordSurroundedByChar(view, quote, sep));
  text = String(view);
  return word;
}

bool BaseUtils::SeperateDirAndVer(const String& dir, String& name, String& version) {
  name.clear();
  version.clear();
  // The version starts at the last "_v" followed by a digit, so names that
  // themselves contain "_v" (my_vga_v1_00_a) split correctly.
  size_t pos = String::npos;
  for (size_t i = dir.size(); i-- > 0;) {
    if (i + 2 < dir.size() && dir[i] == '_' && (dir[i + 1] == 'v' || dir[i + 1] == 'V') &&
        dir[i + 2] >= '0' && dir[i + 2] <= '9') {
      pos = i;
      break;
    }
  }
  if (pos == String::npos || pos == 0) return false;
  name = dir.substr(0, pos);
  version = dir.substr(pos + 2);
  for (auto& ch : version)
    if (ch == '_') ch = '.';
  return true;
}

int BaseUtils::ListSubDirs(const String& dir, std::vector<String>& out) {
  Port::UT_DIR d(dir);
  int n = 0;
  for (const auto& e : d.Entries()) {
    if (e.isDir) {
      out.push_back(e.name);
      ++n;
    }
  }
  return n;
}

Port::FileName BaseUtils::CreateFileNameDir(const String& dir, const String& name) {
  Port::FileName f(dir);
  f.PushPathEnd(name);
  return f;
}

String BaseUtils::GetDriveName(const String& path, bool) { return path; }

bool BaseUtils::DiffFiles(const String& a, const String& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  if (!fa || !fb) return true;
  std::istreambuf_iterator<char> ia(fa), ib(fb), end;
  while (ia != end && ib != end) {
    if (*ia != *ib) return true;
    ++ia;
    ++ib;
  }
  return (ia == end) != (ib == end);
}

// ---------------------------------------------------------------------------
// BaseParser
// ---------------------------------------------------------------------------
namespace {
thread_local BaseParser::State* t_state = nullptr;

BaseParser::State& DefaultState() {
  thread_local BaseParser::State state;
  return state;
}
}  // namespace

BaseParser::ParseScope::ParseScope() : previous_(t_state), state_(new State) {
  t_state = state_.get();
}

BaseParser::ParseScope::~ParseScope() { t_state = previous_; }

BaseParser::State& BaseParser::S() { return t_state ? *t_state : DefaultState(); }

namespace {
struct UnsavedEntry {
  String name;
  String normal;  // absolute and lexically normal
  const String* text;
};
thread_local std::vector<UnsavedEntry> t_unsaved;

String NormalPath(const String& name) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(std::string_view(name)), ec);
  if (ec) return name;
  return p.lexically_normal().string();
}

const String* UnsavedTextFor(const String& fileName) {
  if (t_unsaved.empty() || fileName.empty()) return nullptr;
  for (auto it = t_unsaved.rbegin(); it != t_unsaved.rend(); ++it)
    if (it->name == fileName) return it->text;
  const String normal = NormalPath(fileName);
  for (auto it = t_unsaved.rbegin(); it != t_unsaved.rend(); ++it)
    if (it->normal == normal) return it->text;
  return nullptr;
}
}  // namespace

void BaseParser::AddUnsavedText(const String& fileName, const String* text) {
  if (text) t_unsaved.push_back({fileName, NormalPath(fileName), text});
}

void BaseParser::WithdrawUnsavedText(const String* text) {
  std::erase_if(t_unsaved, [text](const UnsavedEntry& e) { return e.text == text; });
}

int BaseParser::InitData(const String& fileName, PsfFile* file) {
  State& s = S();
  s.stream.close();
  s.filename = fileName;
  s.sharedFilename = SharedFileName(fileName);
  s.lineno = 0;
  s.numerr = 0;
  s.comment.Clear();
  s.numEmptyLines = 0;
  s.globalCommentDone = false;
  if (const String* text = UnsavedTextFor(fileName)) {
    s.stream.openText(*text);
    return 0;
  }
  if (fileName.empty() || !s.stream.open(fileName)) {
    Port_MsgManData::Issue(MsgSeverity::kError,
                           "Cannot open file \"" + fileName + "\" for reading\n", fileName, 0);
    return 2;
  }
  int64_t stamp = 0;
  if (file && Port::File::getdatetime(fileName, stamp)) file->SetDateTime(stamp);
  return 0;
}

bool BaseParser::ReadLine(String& line) { return S().stream.readline(line); }
bool BaseParser::AtEof() { return S().stream.geteof(); }
void BaseParser::Close() { S().stream.close(); }

String BaseParser::Where() {
  const State& s = S();
  // Before the first line (or after a read of nothing) there is no line to
  // name, only the file.
  if (s.lineno <= 0) return s.filename + " - ";
  return s.filename + " line " + std::to_string(s.lineno) + " - ";
}

void BaseParser::PARSEERR(const String& text) {
  State& s = S();
  ++s.numerr;
  Port_MsgManData::Issue(MsgSeverity::kError, Where() + text, s.filename, s.lineno);
}

void BaseParser::PARSEWARN(const String& text) {
  State& s = S();
  Port_MsgManData::Issue(MsgSeverity::kWarning, Where() + text, s.filename, s.lineno);
}

void BaseParser::SetFileInfo(PsfComp* node) {
  if (!node) return;
  State& s = S();
  if (!s.sharedFilename) s.sharedFilename = SharedFileName(s.filename);
  node->SetFileNameShared(s.sharedFilename);
  node->SetLineNum(s.lineno);
}

String BaseParser::HandleEscapedCharacters(const String& text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      static const char kFrom[] = "ntr\\\"'";
      static const char kTo[] = "\n\t\r\\\"'";
      const char* hit = std::strchr(kFrom, text[i + 1]);
      if (hit && *hit) {  // a NUL after the backslash is no escape
        out += kTo[hit - kFrom];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

void BaseParser::ResetComment() {
  State& s = S();
  s.comment.Clear();
  s.numEmptyLines = 0;
  s.globalCommentDone = false;
}

void BaseParser::AddToComment(const String& text) {
  // The writer puts "# " before each line; dropping one blank here keeps a
  // comment stable across any number of read-write rounds.
  String line = text;
  if (!line.empty() && line[0] == ' ') line.erase(0, 1);
  S().comment.AddLine(line);
}

void BaseParser::CheckAddGlobalComment(PsfFile* file) {
  State& s = S();
  if (s.globalCommentDone || !file) return;
  if (s.numEmptyLines > 0 && !s.comment.IsEmpty()) {
    file->SetComment(s.comment);
    s.comment.Clear();
    s.globalCommentDone = true;
  }
}

void BaseParser::AssociateComment(PsfComp* node) {
  State& s = S();
  // Once a node took a comment, later comment blocks are never global.
  s.globalCommentDone = true;
  if (!node || s.comment.IsEmpty()) return;
  node->SetComment(s.comment);
  s.comment.Clear();
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------
struct UtStreamWriter::FileOut {
  std::string target;
  std::string temp;
  int fd = -1;
  std::string buffer;
  bool failed = false;
  int error = 0;  // errno of the first failure

  bool Fail(int err) {
    if (!failed) error = err;
    failed = true;
    return false;
  }
  bool FlushBuffer() {
    size_t off = 0;
    while (off < buffer.size()) {
      ssize_t n = ::write(fd, buffer.data() + off, buffer.size() - off);
      if (n < 0) {
        if (errno == EINTR) continue;
        return Fail(errno);
      }
      off += static_cast<size_t>(n);
    }
    buffer.clear();
    return true;
  }
  ~FileOut() {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
  }
};

namespace {
thread_local String t_writeFailure;

void SetWriteFailure(int err) { t_writeFailure = err ? std::strerror(err) : ""; }

// The file a chain of symbolic links at `path` ends in (`path` itself when
// it is no link, or names nothing yet); 0, else the errno that stops the walk.
int ResolveLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    link.resize(static_cast<size_t>(n));
    if (link.empty()) return ENOENT;
    if (link[0] != '/') {
      size_t slash = path.rfind('/');
      if (slash != std::string::npos) link = path.substr(0, slash + 1) + link;
    }
    path = link;
  }
  return ELOOP;
}
}  // namespace

const String& UtStreamWriter::LastFailure() { return t_writeFailure; }

UtStreamWriter* UtStreamWriter::ConstructUtStreamWriter(const String& fileName) {
  SetWriteFailure(0);
  if (fileName.empty()) {
    SetWriteFailure(ENOENT);
    return nullptr;
  }
  auto f = std::make_unique<FileOut>();
  f->target = fileName;
  // Renaming onto a link would replace the link itself; the user meant the
  // file it names.
  if (int err = ResolveLinks(f->target)) {
    SetWriteFailure(err);
    return nullptr;
  }
  struct stat st;
  const bool exists = ::stat(f->target.c_str(), &st) == 0;
  if (exists) {
    // The rename would put a regular file where the node was.
    if (!S_ISREG(st.st_mode)) {
      t_writeFailure = "not a regular file";
      return nullptr;
    }
    // Only the directory's permissions guard a rename; a file its owner made
    // read-only is refused as writing it in place would be (also for root,
    // whom access() never refuses).
    if (::access(f->target.c_str(), W_OK) != 0) {
      SetWriteFailure(errno);
      return nullptr;
    }
    if ((st.st_mode & 0222) == 0) {
      SetWriteFailure(EACCES);
      return nullptr;
    }
  }
  f->temp = f->target + ".tmpXXXXXX";
  int fd = ::mkstemp(f->temp.data());
  if (fd < 0) {
    SetWriteFailure(errno);
    f->temp.clear();
    return nullptr;
  }
  f->fd = fd;
  // Keep the mode of the file being replaced; a new file gets the usual
  // permissions rather than mkstemp's private ones.
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  // A file root rewrites for its user stays the user's. Owner and group go
  // first: chown clears the set-id bits the mode then restores.
  if (exists && ::geteuid() == 0 && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
    SetWriteFailure(errno);
    return nullptr;  // the FileOut removes the temporary file
  }
  ::fchmod(fd, mode);
  auto* w = new UtStreamWriter();
  w->file_ = std::move(f);
  return w;
}

UtStreamWriter::UtStreamWriter(std::ostream& out) : out_(&out) {}

UtStreamWriter::~UtStreamWriter() = default;

void UtStreamWriter::writeline(const String& text) {
  ++lines_;
  if (out_) {
    *out_ << text << '\n';
    return;
  }
  if (!file_ || file_->failed) return;
  file_->buffer += text;
  file_->buffer += '\n';
  // FlushBuffer records the failure; later lines are dropped.
  if (file_->buffer.size() >= (1u << 16)) file_->FlushBuffer();
}

void UtStreamWriter::write(const String& text) {
  lines_ += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  if (out_) {
    *out_ << text;
    return;
  }
  if (!file_ || file_->failed) return;
  file_->buffer += text;
  if (file_->buffer.size() >= (1u << 16)) file_->FlushBuffer();
}

bool UtStreamWriter::Commit() {
  if (out_) {
    out_->flush();
    return static_cast<bool>(*out_);
  }
  if (!file_ || committed_) return committed_;
  FileOut& f = *file_;
  // Every step is checked: a full disk often shows only at the flush, the
  // fsync or the close, and the old file must then stay.
  bool ok = !f.failed && f.FlushBuffer();
  if (ok && ::fsync(f.fd) != 0) ok = f.Fail(errno);
  if (::close(f.fd) != 0 && ok) ok = f.Fail(errno);
  f.fd = -1;
  if (ok && ::rename(f.temp.c_str(), f.target.c_str()) != 0) ok = f.Fail(errno);
  if (ok) {
    f.temp.clear();
    committed_ = true;
    SetWriteFailure(0);
    return true;
  }
  f.Fail(EIO);
  SetWriteFailure(f.error);
  return false;
}

bool UtStreamWriter::Failed() const {
  if (out_) return !*out_;
  return !file_ || file_->failed;
}

namespace {
thread_local String t_writeFilename;
}

void BaseWriter::InitData(void*) { t_writeFilename.clear(); }
String& BaseWriter::s_filename() { return t_writeFilename; }

void BaseWriter::SetFileInfo(PsfComp* node, const UtStreamWriter* writer) {
  if (!node) return;
  node->SetFileName(t_writeFilename);
  node->SetLineNum(writer ? writer->GetLineCount() : 0);
}

}  // namespace MdtBase
