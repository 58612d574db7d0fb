#include "PropSeqSet.h"

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
    : first_(first),
      last_(last),
      single_(single),
      seqs_(single ? 1 : static_cast<size_t>(last - first + 1)) {}

PropSeqSet::~PropSeqSet() { Clear(); }

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

MdtBase::Property* PropSeqSet::FindByName(int nodeType, const Port::String& name) const {
  if (!IsValid(nodeType)) return nullptr;
  return MdtBase::PropertyUtil::GetPropertyByName(Get(nodeType), name, 0);
}

int PropSeqSet::Add(int nodeType, MdtBase::Property* child) {
  if (!child || !IsValid(nodeType)) return -1;
  child->SetNodeType(nodeType);
  auto& seq = Get(nodeType);
  seq.push_back(child);
  return static_cast<int>(seq.size());
}

int PropSeqSet::Del(int nodeType, MdtBase::Property* child) {
  if (!child) return -1;
  if (!IsValid(nodeType)) return 1;
  return MdtBase::PropertyUtil::DelPropertyByPtr(Get(nodeType), child, 1);
}

int PropSeqSet::Del(int nodeType, const Port::String& name) {
  MdtBase::Property* p = FindByName(nodeType, name);
  if (!p) return -1;
  return Del(nodeType, p);
}

int PropSeqSet::DelSeq(int nodeType) {
  if (!IsValid(nodeType)) return 0;
  auto& seq = Get(nodeType);
  for (auto* p : seq) delete p;
  seq.clear();
  return 0;
}

void PropSeqSet::Clear() {
  for (auto& seq : seqs_) {
    for (auto* p : seq) delete p;
    seq.clear();
  }
}

}  // namespace TavSoftware::detail
