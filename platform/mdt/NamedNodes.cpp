// Named nodes, PSF components with their file and line, properties with
// their sub-components, and the PSF file.
#include "MdtBase.h"
#include "MdtParse.h"
#include "MdtTags.h"

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
}  // namespace

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

}  // namespace MdtBase
