#include <cstring>

#include "Interface.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

namespace {
// The type tag each sequence holds, indexed by NodeType (entry 0 unused).
constexpr const char* kSeqTags[] = {nullptr, "TavSoftware_Property", "TavSoftware_Function"};
constexpr int kLastNodeType = 2;
}  // namespace

struct InterfaceImp {
  detail::PropSeqSet seqs{1, kLastNodeType, false};
};

Interface::Interface() : MdtBase::Property(), imp_(std::make_unique<InterfaceImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Interface");
}

Interface::~Interface() = default;

PropSeq& Interface::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }

const PropSeq& Interface::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* Interface::GetPropertyByName(int nodeType, const String& name) {
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* Interface::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->seqs.FindByName(nodeType, name);
}

int Interface::AddProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Add(nodeType, child);
}

int Interface::DelProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Del(nodeType, child);
}

int Interface::DelProperty(int nodeType, const String& name) {
  return imp_->seqs.Del(nodeType, name);
}

int Interface::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

bool Interface::VerifyPropType(int nodeType, const MdtBase::Property* child) const {
  if (!child || nodeType < 1 || nodeType > kLastNodeType) return false;
  const char* tag = BaseNode::GetBaseNode(child);
  return tag && *tag && std::strcmp(tag, kSeqTags[nodeType]) == 0;
}

}  // namespace TavSoftware
