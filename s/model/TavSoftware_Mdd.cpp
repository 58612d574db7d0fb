#include "Mdd.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

struct MddImp {
  detail::PropSeqSet seqs{Mdd::OPTIONS, Mdd::ARRAYS};
};

Mdd::Mdd() : imp_(std::make_unique<MddImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_Mdd");
}

Mdd::~Mdd() = default;

PropSeq& Mdd::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }
const PropSeq& Mdd::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* Mdd::GetPropertyByName(int nodeType, const String& name) {
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* Mdd::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->seqs.FindByName(nodeType, name);
}

MdtBase::Property* Mdd::GetPropertyByName(const String& name) {
  MdtBase::Property* p = imp_->seqs.FindByName(PARAMETERS, name);
  return p ? p : imp_->seqs.FindByName(ARRAYS, name);
}

const MdtBase::Property* Mdd::GetPropertyByName(const String& name) const {
  return const_cast<Mdd*>(this)->GetPropertyByName(name);
}

String Mdd::GetPropertyValueStr(int nodeType, const String& name) const {
  const MdtBase::Property* p = GetPropertyByName(nodeType, name);
  return p ? p->GetValueStr() : String();
}

int Mdd::AddProperty(int nodeType, MdtBase::Property* p) { return imp_->seqs.Add(nodeType, p); }
int Mdd::DelProperty(int nodeType, MdtBase::Property* p) { return imp_->seqs.Del(nodeType, p); }
int Mdd::DelProperty(int nodeType, const String& name) { return imp_->seqs.Del(nodeType, name); }
int Mdd::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

int Mdd::Clear() {
  imp_->seqs.Clear();
  SetErrorCode(0);
  GetEndMdtComment().Clear();
  return 0;
}

}  // namespace TavSoftware
