#include <cstring>

#include "Category.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

namespace {
// The type tag each sequence holds, indexed by NodeType (entry 0 unused).
constexpr const char* kSeqTags[] = {nullptr, "TavSoftware_Property", "TavSoftware_Option",
                                    "TavSoftware_Param", "TavSoftware_Array"};
constexpr int kLastNodeType = 4;
}  // namespace

struct CategoryImp {
  detail::PropSeqSet seqs{1, kLastNodeType, false};
  bool isIncluded = false;
};

Category::Category() : MdtBase::Property(), imp_(std::make_unique<CategoryImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Category");
}

Category::~Category() = default;

PropSeq& Category::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }

const PropSeq& Category::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* Category::GetPropertyByName(int nodeType, const String& name) {
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* Category::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->seqs.FindByName(nodeType, name);
}

int Category::AddProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Add(nodeType, child);
}

int Category::DelProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Del(nodeType, child);
}

int Category::DelProperty(int nodeType, const String& name) {
  return imp_->seqs.Del(nodeType, name);
}

int Category::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

bool Category::VerifyPropType(int nodeType, const MdtBase::Property* child) const {
  if (!child || nodeType < 1 || nodeType > kLastNodeType) return false;
  const char* tag = BaseNode::GetBaseNode(child);
  return tag && *tag && std::strcmp(tag, kSeqTags[nodeType]) == 0;
}

bool Category::GetIsIncluded() const { return imp_->isIncluded; }

void Category::SetIsIncluded(bool included) { imp_->isIncluded = included; }

}  // namespace TavSoftware
