// A property's sub-components kept as text until first looked at: a large
// definition file has hundreds of thousands, and most are never asked for.
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
std::atomic<PropertyLater::ValueMaker> g_makers[kMakers];
std::atomic<unsigned> g_makerCount{1};
std::mutex g_makersMu;

unsigned MakerNumber(PropertyLater::ValueMaker make) {
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

size_t RecordBytes(const PropertyLater::LaterPsfComp& c, unsigned maker) {
  return 1 + (maker == kMakerInline ? sizeof(PropertyLater::ValueMaker) : 0) +
         LengthBytes(c.name.size()) + LengthBytes(c.text.size()) + LengthBytes(c.extra.size()) +
         c.name.size() + c.text.size() + c.extra.size();
}

char* PutRecord(char* out, const PropertyLater::LaterPsfComp& c, unsigned maker) {
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

const char* GetRecord(const char* in, PropertyLater::LaterPsfComp& c) {
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

PsfComp* MakeComp(const PropertyLater::LaterPsfComp& c, const SharedFileName& file, int line) {
  auto* comp = new PsfComp(String(c.name));
  comp->SetFileNameShared(file);
  comp->SetLineNum(line);
  if (c.make) comp->SetMdtValuePtr(c.make(*comp, c.text, c.extra));
  return comp;
}
}  // namespace

void Property::DeleteLater(Later* later) {
  later->~Later();
  ::operator delete(later);
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
  void* mem = ::operator new(sizeof(Later) + size);
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

}  // namespace MdtBase
