#include "Category.h"
#include "CategoryUtil.h"
#include "Mld.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

struct MldImp {
  detail::PropSeqSet seqs{Mld::OPTIONS, Mld::ARRAYS};
};

namespace {
// The categories of the sequence; anything else that was stored there is
// left out rather than treated as a category.
std::vector<Category*> Categories(const PropSeq& seq) {
  std::vector<Category*> out;
  out.reserve(seq.size());
  for (MdtBase::Property* p : seq)
    if (MdtBase::BaseNode::IsBaseNodeType(p, "TavSoftware_Category"))
      out.push_back(static_cast<Category*>(p));
  return out;
}
}  // namespace

Mld::Mld() : imp_(std::make_unique<MldImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_Mld");
}

Mld::~Mld() = default;

PropSeq& Mld::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }
const PropSeq& Mld::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* Mld::GetPropertyByName(int nodeType, const String& name) {
  // Callers ask for what a category declares, never for the category itself.
  if (nodeType == CATEGORIES)
    return CategoryUtil::GetPropertyByName(Categories(imp_->seqs.Get(CATEGORIES)), name);
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* Mld::GetPropertyByName(int nodeType, const String& name) const {
  return const_cast<Mld*>(this)->GetPropertyByName(nodeType, name);
}

MdtBase::Property* Mld::GetPropertyByName(const String& name) {
  for (int nodeType : {PARAMETERS, CATEGORIES, ARRAYS, OPTIONS, INTERFACES})
    if (MdtBase::Property* p = GetPropertyByName(nodeType, name)) return p;
  return nullptr;
}

const MdtBase::Property* Mld::GetPropertyByName(const String& name) const {
  return const_cast<Mld*>(this)->GetPropertyByName(name);
}

String Mld::GetPropertyValueStr(int nodeType, const String& name) const {
  const MdtBase::Property* p = GetPropertyByName(nodeType, name);
  return p ? p->GetValueStr() : String();
}

int Mld::AddProperty(int nodeType, MdtBase::Property* p) { return imp_->seqs.Add(nodeType, p); }
int Mld::DelProperty(int nodeType, MdtBase::Property* p) { return imp_->seqs.Del(nodeType, p); }
int Mld::DelProperty(int nodeType, const String& name) { return imp_->seqs.Del(nodeType, name); }
int Mld::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

int Mld::Clear() {
  imp_->seqs.Clear();
  SetErrorCode(0);
  GetEndMdtComment().Clear();
  return 0;
}

}  // namespace TavSoftware
