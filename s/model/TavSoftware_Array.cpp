#include <cstring>

#include "Array.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

namespace {
// The type tag each sequence holds, indexed by NodeType (entry 0 unused).
constexpr const char* kSeqTags[] = {nullptr, "TavSoftware_Property", "TavSoftware_Param"};
constexpr int kLastNodeType = 2;
}  // namespace

struct ArrayImp {
  detail::PropSeqSet seqs{1, kLastNodeType, false};
};

Array::Array() : MdtBase::Property(), imp_(std::make_unique<ArrayImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Array");
}

Array::~Array() = default;

PropSeq& Array::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }

const PropSeq& Array::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* Array::GetPropertyByName(int nodeType, const String& name) {
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* Array::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->seqs.FindByName(nodeType, name);
}

int Array::AddProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Add(nodeType, child);
}

int Array::DelProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Del(nodeType, child);
}

int Array::DelProperty(int nodeType, const String& name) { return imp_->seqs.Del(nodeType, name); }

int Array::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

bool Array::VerifyPropType(int nodeType, const MdtBase::Property* child) const {
  if (!child || nodeType < 1 || nodeType > kLastNodeType) return false;
  const char* tag = BaseNode::GetBaseNode(child);
  return tag && *tag && std::strcmp(tag, kSeqTags[nodeType]) == 0;
}

}  // namespace TavSoftware
