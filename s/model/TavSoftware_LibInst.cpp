#include "ArrayInst.h"
#include "Interface.h"
#include "LibInst.h"
#include "Mld.h"
#include "Option.h"
#include "Param.h"
#include "SwCore.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

struct LibInstImp {
  detail::PropSeqSet seqs{LibInst::OPTIONS, LibInst::INTERFACES};
  // The parameter that mirrors the name ("OS_NAME" for an OS).
  const char* nameParam = "LIBRARY_NAME";
  // The core whose definition file describes this instance; not owned.
  MdtBase::BaseNode* core = nullptr;
};

namespace {
// The value setters refuse "LIBRARY_NAME" for every library-like kind, OSs
// included, so the refusal reads the same whichever kind is edited.
const char kGuardedParam[] = "LIBRARY_NAME";

int DefinitionNodeType(int nodeType) {
  switch (nodeType) {
    case LibInst::OPTIONS:
      return Mld::OPTIONS;
    case LibInst::PARAMETERS:
      return Mld::PARAMETERS;
    case LibInst::ARRAYS:
      return Mld::ARRAYS;
    case LibInst::INTERFACES:
      return Mld::INTERFACES;
    default:
      return -1;
  }
}

MdtBase::Property* CreateOfKind(int nodeType) {
  switch (nodeType) {
    case LibInst::OPTIONS:
      return new Option();
    case LibInst::PARAMETERS:
      return new Param();
    case LibInst::ARRAYS:
      return new ArrayInst();
    case LibInst::INTERFACES:
      return new Interface();
    default:
      return nullptr;
  }
}
}  // namespace

LibInst::LibInst() : imp_(std::make_unique<LibInstImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_LibInst");
}

LibInst::~LibInst() = default;

void LibInst::SetNameParamName(const char* paramName) { imp_->nameParam = paramName; }

PropSeq& LibInst::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }

const PropSeq& LibInst::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* LibInst::GetPropertyByName(int nodeType, const String& name) {
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* LibInst::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->seqs.FindByName(nodeType, name);
}

String LibInst::GetPropertyValueStr(int nodeType, const String& name) const {
  const MdtBase::Property* p = GetPropertyByName(nodeType, name);
  return p ? p->GetValueStr() : String();
}

int LibInst::AddProperty(int nodeType, MdtBase::Property* p) {
  if (!p || !imp_->seqs.IsValid(nodeType)) return -1;
  if (imp_->seqs.FindByName(nodeType, p->GetName())) {
    detail::PropSeqSet::ReportDuplicate(p, ("library instance " + GetName()).c_str());
    return -1;
  }
  return imp_->seqs.Add(nodeType, p);
}

int LibInst::DelProperty(int nodeType, MdtBase::Property* p) { return imp_->seqs.Del(nodeType, p); }

int LibInst::DelProperty(int nodeType, const String& name) {
  return imp_->seqs.Del(nodeType, name);
}

int LibInst::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

int LibInst::SetPropertyValueStr(int nodeType, const String& name, const String& value) {
  if (name.empty()) return 1;
  if (nodeType == PARAMETERS && name.EqualsNoCase(kGuardedParam)) {
    Port_MsgManData::createObject("VEK", __FILE__, __LINE__, "")
        .issueInternal("Cannot add PARAM LIBRARY_NAME here. Use SetName \n");
    return 2;
  }
  MdtBase::Property* p = GetPropertyByName(nodeType, name);
  if (!p) return 2;
  p->SetValueStr(value);
  return 0;
}

MdtBase::Property* LibInst::CreateAddPropertySetValue(int nodeType, const String& name,
                                                      const String& value) {
  if (nodeType == PARAMETERS && name.EqualsNoCase(kGuardedParam)) {
    Port_MsgManData::createObject("VEK", __FILE__, __LINE__, "")
        .issueInternal("Cannot add PARAM LIBRARY_NAME here.  Use SetName\n");
    return nullptr;
  }
  if (!imp_->seqs.IsValid(nodeType)) return nullptr;
  MdtBase::Property* p = GetPropertyByName(nodeType, name);
  if (p) {
    p->SetValueStr(value);
    return p;
  }
  p = CreateOfKind(nodeType);
  if (!p) return nullptr;
  p->SetName(name);
  p->SetMdtValuePtr(new MdtBase::StrVal(String()));
  p->SetValueStr(value);
  if (AddProperty(nodeType, p) < 0) {
    delete p;
    return nullptr;
  }
  return p;
}

void LibInst::SetName(const String& name) {
  MdtBase::PsfComp::SetName(name);
  MdtBase::Property* p = imp_->seqs.FindByName(PARAMETERS, imp_->nameParam);
  if (!p) {
    p = new Param(imp_->nameParam);
    imp_->seqs.Add(PARAMETERS, p);
  }
  p->SetStrVal(name);
}

void LibInst::SetBaseNodePtr(int nodeType, MdtBase::BaseNode* node) {
  if (nodeType == DEFINITION) {
    imp_->core = node ? node->GetOwner() : nullptr;
  } else if (nodeType == CORE) {
    imp_->core = node;
  }
}

MdtBase::BaseNode* LibInst::GetBaseNodePtr(int nodeType) const {
  if (nodeType == CORE) return imp_->core;
  if (nodeType != DEFINITION) return nullptr;
  // The core reads its definition file on first use. The link is set by
  // callers, so it is checked to be a core before it is used as one.
  if (!MdtBase::BaseNode::IsBaseNodeType(imp_->core, "TavSoftware_SwCore")) return nullptr;
  return static_cast<SwCore*>(imp_->core)->GetPsfFileObj(0);
}

const MdtBase::Property* LibInst::GetPropertyByNameFromLibInstOrMld(int nodeType,
                                                                    const String& name) const {
  if (const MdtBase::Property* own = GetPropertyByName(nodeType, name)) return own;
  int defType = DefinitionNodeType(nodeType);
  if (defType < 0) return nullptr;
  MdtBase::BaseNode* file = GetBaseNodePtr(DEFINITION);
  if (!MdtBase::BaseNode::IsBaseNodeType(file, "TavSoftware_Mld")) return nullptr;
  return static_cast<const Mld*>(file)->GetPropertyByName(defType, name);
}

String LibInst::GetPropertyValueStrFromLibInstOrMld(int nodeType, const String& name) const {
  const MdtBase::Property* p = GetPropertyByNameFromLibInstOrMld(nodeType, name);
  return p ? p->GetValueStr() : String();
}

}  // namespace TavSoftware
