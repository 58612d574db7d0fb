#include "PropSeqSet.h"

#include <algorithm>
#include <functional>
#include <new>
#include <vector>

namespace TavSoftware::detail {

namespace {
// Handed out for unlisted NodeType values; emptied on every use so nothing
// added to it survives.
MdtBase::PropSeq& Scratch() {
  thread_local MdtBase::PropSeq scratch;
  for (auto* p : scratch) delete p;
  scratch.clear();
  return scratch;
}
}  // namespace

PropSeqSet::PropSeqSet(int first, int last, bool single)
    : first_(static_cast<int16_t>(first)), last_(static_cast<int16_t>(last)), single_(single) {
  seqs_ = static_cast<MdtBase::PropSeq*>(
      ::operator new(Count() * sizeof(MdtBase::PropSeq)));
  for (size_t i = 0; i < Count(); ++i) new (&seqs_[i]) MdtBase::PropSeq();
}

PropSeqSet::~PropSeqSet() {
  Clear();
  for (size_t i = 0; i < Count(); ++i) seqs_[i].~vector();
  ::operator delete(seqs_);
}

bool PropSeqSet::IsValid(int nodeType) const {
  return single_ || (nodeType >= first_ && nodeType <= last_);
}

MdtBase::PropSeq& PropSeqSet::Get(int nodeType) {
  if (single_) return seqs_[0];
  if (!IsValid(nodeType)) return Scratch();
  return seqs_[static_cast<size_t>(nodeType - first_)];
}

const MdtBase::PropSeq& PropSeqSet::Get(int nodeType) const {
  return const_cast<PropSeqSet*>(this)->Get(nodeType);
}

namespace {
// Below this length a scan is as quick as a lookup and needs no memory.
constexpr size_t kIndexFrom = 16;
// Children of a node that are put in address order before they die, when
// at least two of its lists are long.
constexpr size_t kSortedFrom = 1024;

std::string Lower(const Port::String& s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(Port::String::Lower(static_cast<unsigned char>(c)));
  return out;
}
}  // namespace

bool PropSeqSet::NameIndex::Current(const MdtBase::PropSeq& seq) const {
  return built && size == seq.size() && data == seq.data() &&
         back == (seq.empty() ? nullptr : seq.back()) && epoch == MdtBase::NameValue::NameEpoch();
}

void PropSeqSet::NameIndex::Note(const MdtBase::PropSeq& seq) {
  size = seq.size();
  data = seq.data();
  back = seq.empty() ? nullptr : seq.back();
  built = true;
}

void PropSeqSet::NameIndex::Rebuild(const MdtBase::PropSeq& seq) {
  first.clear();
  for (MdtBase::Property* p : seq) {
    if (!p) continue;
    p->SetIndexed();
    first.emplace(Lower(p->GetName()), p);
  }
  epoch = MdtBase::NameValue::NameEpoch();
  Note(seq);
}

PropSeqSet::NameIndex* PropSeqSet::IndexFor(int nodeType) const {
  if (!index_) index_ = std::make_unique<std::vector<NameIndex>>(Count());
  return &(*index_)[single_ ? 0 : static_cast<size_t>(nodeType - first_)];
}

void PropSeqSet::Invalidate(int nodeType) {
  if (index_ && IsValid(nodeType)) IndexFor(nodeType)->built = false;
}

MdtBase::Property* PropSeqSet::FindByName(int nodeType, const Port::String& name) const {
  if (!IsValid(nodeType)) return nullptr;
  const auto& seq = Get(nodeType);
  if (seq.size() < kIndexFrom) return MdtBase::PropertyUtil::GetPropertyByName(seq, name, 0);
  NameIndex* index = IndexFor(nodeType);
  if (!index->Current(seq)) index->Rebuild(seq);
  auto it = index->first.find(Lower(name));
  return it == index->first.end() ? nullptr : it->second;
}

void PropSeqSet::ReportDuplicate(const MdtBase::Property* child, const char* owner) {
  Port::String text = "Property " + child->GetName() + " already added to " + owner + "\n";
  const Port::String& file = child->GetFileNameStr();
  const int line = child->GetLineNum();
  if (!file.empty())
    text = file + (line > 0 ? " line " + std::to_string(line) : Port::String()) + " - " + text;
  Port_MsgManData::Issue(MsgSeverity::kError, text, file, line);
}

int PropSeqSet::Add(int nodeType, MdtBase::Property* child) {
  if (!child || !IsValid(nodeType)) return -1;
  child->SetNodeType(nodeType);
  auto& seq = Get(nodeType);
  NameIndex* index = index_ ? IndexFor(nodeType) : nullptr;
  const bool current = index && index->Current(seq);
  seq.push_back(child);
  if (current) {
    // Keeps the first holder of a name, as a scan would find it.
    child->SetIndexed();
    index->first.emplace(Lower(child->GetName()), child);
    index->Note(seq);
  }
  return static_cast<int>(seq.size());
}

int PropSeqSet::Del(int nodeType, MdtBase::Property* child) {
  if (!child) return -1;
  if (!IsValid(nodeType)) return 1;
  Invalidate(nodeType);
  return MdtBase::PropertyUtil::DelPropertyByPtr(Get(nodeType), child, 1);
}

int PropSeqSet::Del(int nodeType, const Port::String& name) {
  MdtBase::Property* p = FindByName(nodeType, name);
  if (!p) return -1;
  return Del(nodeType, p);
}

int PropSeqSet::DelSeq(int nodeType) {
  if (!IsValid(nodeType)) return 0;
  Invalidate(nodeType);
  auto& seq = Get(nodeType);
  for (auto* p : seq) delete p;
  seq.clear();
  return 0;
}

void PropSeqSet::Clear() {
  index_.reset();
  size_t total = 0, lists = 0;
  for (size_t i = 0; i < Count(); ++i) {
    total += seqs_[i].size();
    lists += seqs_[i].size() >= kLongList;
  }
  // In address order, as VisitInFileOrder, with room made for the sort
  // first: a destructor must not throw.
  std::vector<MdtBase::Property*> all;
  if (total >= kSortedFrom && lists > 1) {
    try {
      all.reserve(total);
    } catch (const std::bad_alloc&) {
      // No room to sort: the children die in sequence order.
    }
  }
  if (all.capacity() < total || total < kSortedFrom || lists < 2) {
    for (size_t i = 0; i < Count(); ++i) {
      for (auto* p : seqs_[i]) delete p;
      seqs_[i].clear();
    }
    return;
  }
  for (size_t i = 0; i < Count(); ++i) {
    all.insert(all.end(), seqs_[i].begin(), seqs_[i].end());
    seqs_[i].clear();
  }
  std::sort(all.begin(), all.end(), std::less<>());
  for (auto* p : all) delete p;
}

}  // namespace TavSoftware::detail
