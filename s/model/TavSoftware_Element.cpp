#include <cstring>

#include "Element.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

namespace {
// The type tag each sequence holds, indexed by NodeType (entry 0 unused).
constexpr const char* kSeqTags[] = {nullptr, "TavSoftware_Param"};
constexpr int kLastNodeType = 1;
}  // namespace

struct ElementImp {
  detail::PropSeqSet seqs{1, kLastNodeType, true};
};

Element::Element() : MdtBase::Property(), imp_(std::make_unique<ElementImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Element");
}

Element::~Element() = default;

PropSeq& Element::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }

const PropSeq& Element::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* Element::GetPropertyByName(int nodeType, const String& name) {
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* Element::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->seqs.FindByName(nodeType, name);
}

int Element::AddProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Add(nodeType, child);
}

int Element::DelProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Del(nodeType, child);
}

int Element::DelProperty(int nodeType, const String& name) {
  return imp_->seqs.Del(nodeType, name);
}

int Element::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

bool Element::VerifyPropType(int nodeType, const MdtBase::Property* child) const {
  if (!child || nodeType < 1 || nodeType > kLastNodeType) return false;
  const char* tag = BaseNode::GetBaseNode(child);
  return tag && *tag && std::strcmp(tag, kSeqTags[nodeType]) == 0;
}

}  // namespace TavSoftware
