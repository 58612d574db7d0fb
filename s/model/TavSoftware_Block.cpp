#include <cstring>

#include "Block.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

namespace {
// The type tag each sequence holds, indexed by NodeType (entry 0 unused).
constexpr const char* kSeqTags[] = {nullptr,
                                    "TavSoftware_Dep",
                                    "TavSoftware_Option",
                                    "TavSoftware_Param",
                                    "TavSoftware_Array",
                                    "TavSoftware_Interface"};
constexpr int kLastNodeType = 5;
}  // namespace

struct BlockImp {
  detail::PropSeqSet seqs{1, kLastNodeType, false};
};

Block::Block() : MdtBase::Property(), imp_(std::make_unique<BlockImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Block");
}

Block::~Block() = default;

PropSeq& Block::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }

const PropSeq& Block::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* Block::GetPropertyByName(int nodeType, const String& name) {
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* Block::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->seqs.FindByName(nodeType, name);
}

int Block::AddProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Add(nodeType, child);
}

int Block::DelProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Del(nodeType, child);
}

int Block::DelProperty(int nodeType, const String& name) { return imp_->seqs.Del(nodeType, name); }

int Block::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

bool Block::VerifyPropType(int nodeType, const MdtBase::Property* child) const {
  if (!child || nodeType < 1 || nodeType > kLastNodeType) return false;
  const char* tag = BaseNode::GetBaseNode(child);
  return tag && *tag && std::strcmp(tag, kSeqTags[nodeType]) == 0;
}

}  // namespace TavSoftware
