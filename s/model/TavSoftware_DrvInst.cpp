#include "ArrayInst.h"
#include "DrvInst.h"
#include "Interface.h"
#include "Mdd.h"
#include "Option.h"
#include "Param.h"
#include "SwCore.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

struct DrvInstImp {
  detail::PropSeqSet seqs{DrvInst::OPTIONS, DrvInst::INTERFACES};
  // The core whose definition file describes this instance; not owned.
  MdtBase::BaseNode* core = nullptr;
};

namespace {
const char kNameParam[] = "DRIVER_NAME";

// The definition file's sequence that corresponds to an instance sequence.
int DefinitionNodeType(int nodeType) {
  switch (nodeType) {
    case DrvInst::OPTIONS:
      return Mdd::OPTIONS;
    case DrvInst::PARAMETERS:
      return Mdd::PARAMETERS;
    case DrvInst::ARRAYS:
      return Mdd::ARRAYS;
    case DrvInst::INTERFACES:
      return Mdd::INTERFACES;
    default:
      return -1;
  }
}

MdtBase::Property* CreateOfKind(int nodeType) {
  switch (nodeType) {
    case DrvInst::OPTIONS:
      return new Option();
    case DrvInst::PARAMETERS:
      return new Param();
    case DrvInst::ARRAYS:
      return new ArrayInst();
    case DrvInst::INTERFACES:
      return new Interface();
    default:
      return nullptr;
  }
}
}  // namespace

DrvInst::DrvInst() : imp_(std::make_unique<DrvInstImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_DrvInst");
}

DrvInst::~DrvInst() = default;

bool DrvInst::IsValidNodeType(int nodeType) const {
  return nodeType >= OPTIONS && nodeType <= INTERFACES;
}

void DrvInst::Announce() {
  if (GetNotifyEnabled()) NotifyPropertyChanged();
}

PropSeq& DrvInst::GetPropSeqRef(int nodeType) {
  // A restricted kind (a processor instance) shows the scratch sequence for
  // the values it does not have.
  return imp_->seqs.Get(IsValidNodeType(nodeType) ? nodeType : -1);
}

const PropSeq& DrvInst::GetPropSeqRef(int nodeType) const {
  return imp_->seqs.Get(IsValidNodeType(nodeType) ? nodeType : -1);
}

MdtBase::Property* DrvInst::GetPropertyByName(int nodeType, const String& name) {
  if (!IsValidNodeType(nodeType)) return nullptr;
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* DrvInst::GetPropertyByName(int nodeType, const String& name) const {
  if (!IsValidNodeType(nodeType)) return nullptr;
  return imp_->seqs.FindByName(nodeType, name);
}

String DrvInst::GetPropertyValueStr(int nodeType, const String& name) const {
  const MdtBase::Property* p = GetPropertyByName(nodeType, name);
  return p ? p->GetValueStr() : String();
}

int DrvInst::AddPropertyQuiet(int nodeType, MdtBase::Property* p) {
  if (!p || !IsValidNodeType(nodeType)) return -1;
  if (imp_->seqs.FindByName(nodeType, p->GetName())) {
    detail::PropSeqSet::ReportDuplicate(p, ("driver instance " + GetName()).c_str());
    return -1;
  }
  return imp_->seqs.Add(nodeType, p);
}

int DrvInst::DelPropertyQuiet(int nodeType, MdtBase::Property* p) {
  if (!p) return -1;
  if (!IsValidNodeType(nodeType)) return 1;
  return imp_->seqs.Del(nodeType, p);
}

int DrvInst::AddProperty(int nodeType, MdtBase::Property* p) {
  int result = AddPropertyQuiet(nodeType, p);
  if (result > 0) Announce();
  return result;
}

int DrvInst::DelProperty(int nodeType, MdtBase::Property* p) {
  int result = DelPropertyQuiet(nodeType, p);
  if (result == 0) Announce();
  return result;
}

int DrvInst::DelProperty(int nodeType, const String& name) {
  MdtBase::Property* p = GetPropertyByName(nodeType, name);
  if (!p) return -1;
  return DelProperty(nodeType, p);
}

int DrvInst::DelPropSeq(int nodeType) {
  if (IsValidNodeType(nodeType)) imp_->seqs.DelSeq(nodeType);
  Announce();
  return 0;
}

int DrvInst::SetPropertyValueStr(int nodeType, const String& name, const String& value) {
  if (name.empty()) return 1;
  if (nodeType == PARAMETERS && name.EqualsNoCase(kNameParam)) {
    Port_MsgManData::createObject("VEK", __FILE__, __LINE__, "")
        .issueInternal("Cannot add PARAM DRIVER_NAME here. Use SetName \n");
    return 2;
  }
  MdtBase::Property* p = GetPropertyByName(nodeType, name);
  if (!p) return 2;
  p->SetValueStr(value);
  Announce();
  return 0;
}

MdtBase::Property* DrvInst::CreateAddPropertySetValue(int nodeType, const String& name,
                                                      const String& value) {
  if (nodeType == PARAMETERS && name.EqualsNoCase(kNameParam)) {
    Port_MsgManData::createObject("VEK", __FILE__, __LINE__, "")
        .issueInternal("Cannot add PARAM DRIVER_NAME here.  Use SetName\n");
    return nullptr;
  }
  if (!IsValidNodeType(nodeType)) return nullptr;
  MdtBase::Property* p = GetPropertyByName(nodeType, name);
  if (p) {
    p->SetValueStr(value);
  } else {
    p = CreateOfKind(nodeType);
    if (!p) return nullptr;
    p->SetName(name);
    p->SetMdtValuePtr(new MdtBase::StrVal(String()));
    p->SetValueStr(value);
    if (AddPropertyQuiet(nodeType, p) < 0) {
      delete p;
      return nullptr;
    }
  }
  Announce();
  return p;
}

void DrvInst::SetName(const String& name) {
  MdtBase::PsfComp::SetName(name);
  MdtBase::Property* p = imp_->seqs.FindByName(PARAMETERS, kNameParam);
  if (!p) {
    p = new Param(kNameParam);
    imp_->seqs.Add(PARAMETERS, p);
  }
  p->SetStrVal(name);
  Announce();
}

void DrvInst::SetBaseNodePtr(int nodeType, MdtBase::BaseNode* node) {
  if (nodeType == DEFINITION) {
    imp_->core = node ? node->GetOwner() : nullptr;
  } else if (nodeType == CORE) {
    imp_->core = node;
  }
}

MdtBase::BaseNode* DrvInst::GetBaseNodePtr(int nodeType) const {
  if (nodeType == CORE) return imp_->core;
  if (nodeType != DEFINITION) return nullptr;
  // The core reads its definition file on first use. The link is set by
  // callers, so it is checked to be a core before it is used as one.
  if (!MdtBase::BaseNode::IsBaseNodeType(imp_->core, "TavSoftware_SwCore")) return nullptr;
  return static_cast<SwCore*>(imp_->core)->GetPsfFileObj(1);
}

const MdtBase::Property* DrvInst::GetPropertyByNameFromDrvInstOrMdd(int nodeType,
                                                                    const String& name) const {
  if (const MdtBase::Property* own = GetPropertyByName(nodeType, name)) return own;
  int defType = DefinitionNodeType(nodeType);
  if (defType < 0 || !IsValidNodeType(nodeType)) return nullptr;
  MdtBase::BaseNode* file = GetBaseNodePtr(DEFINITION);
  if (!MdtBase::BaseNode::IsBaseNodeType(file, "TavSoftware_Mdd")) return nullptr;
  return static_cast<const Mdd*>(file)->GetPropertyByName(defType, name);
}

String DrvInst::GetPropertyValueStrFromDrvInstOrMdd(int nodeType, const String& name) const {
  const MdtBase::Property* p = GetPropertyByNameFromDrvInstOrMdd(nodeType, name);
  return p ? p->GetValueStr() : String();
}

}  // namespace TavSoftware
