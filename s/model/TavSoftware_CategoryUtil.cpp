#include <cstring>

#include "Array.h"
#include "ArrayUtil.h"
#include "Category.h"
#include "CategoryUtil.h"
#include "LibInst.h"
#include "Mld.h"

namespace TavSoftware {

namespace {
// The parameter that carries the category's own name; null when none.
const MdtBase::Property* OwnParam(const Category* c) {
  return c ? c->GetPropertyByName(Category::PARAMETERS, c->GetName()) : nullptr;
}

// The (parameter = required value) conditions of the category; null when the
// own parameter has no "dep" list.
const std::vector<MdtBase::PsfComp*>* DepList(const Category* c) {
  const MdtBase::Property* own = OwnParam(c);
  if (!own) return nullptr;
  const MdtBase::PsfComp* dep = own->GetPsfCompByName("dep");
  if (!dep) return nullptr;
  auto* list = dynamic_cast<const MdtBase::ListPsfCompVal*>(dep->GetMdtValuePtr());
  return list ? &list->GetList() : nullptr;
}

const Mld* OwningMld(const Category* c) {
  MdtBase::BaseNode* owner = c->GetOwner();
  if (!MdtBase::BaseNode::IsBaseNodeType(owner, "TavSoftware_Mld")) return nullptr;
  return static_cast<const Mld*>(owner);
}

bool IsCategory(const MdtBase::BaseNode* node) {
  return MdtBase::BaseNode::IsBaseNodeType(node, "TavSoftware_Category");
}
}  // namespace

int CategoryUtil::AssignOwner(Category* category) {
  if (!category) return -1;
  for (int nodeType : {Category::PROPERTIES, Category::OPTIONS, Category::PARAMETERS}) {
    for (MdtBase::Property* p : category->GetPropSeqRef(nodeType)) {
      if (!p) continue;
      p->SetOwner(category);
      MdtBase::PropertyUtil::AssignOwner(p, nullptr);
    }
  }
  for (MdtBase::Property* p : category->GetPropSeqRef(Category::ARRAYS)) {
    if (!p) continue;
    p->SetOwner(category);
    if (std::strcmp(MdtBase::BaseNode::GetBaseNode(p), "TavSoftware_Array") == 0)
      ArrayUtil::AssignOwner(static_cast<Array*>(p));
    else
      MdtBase::PropertyUtil::AssignOwner(p, nullptr);
  }
  return 0;
}

MdtBase::Property* CategoryUtil::GetPropertyByName(const std::vector<Category*>& categories,
                                                   const String& name) {
  for (Category* c : categories) {
    if (!c) continue;
    for (int nodeType :
         {Category::PARAMETERS, Category::ARRAYS, Category::PROPERTIES, Category::OPTIONS})
      if (MdtBase::Property* p = c->GetPropertyByName(nodeType, name)) return p;
  }
  return nullptr;
}

bool CategoryUtil::IsCategoryDepOnParam(const Category* category, const LibInst* libInst,
                                        String& paramName) {
  if (!OwnParam(category)) return false;
  const std::vector<MdtBase::PsfComp*>* deps = DepList(category);
  if (!deps || deps->empty() || !deps->front()) return true;
  const MdtBase::PsfComp* first = deps->front();
  paramName = first->GetName();
  const String required = first->GetValueStr();

  const Mld* mld = OwningMld(category);
  if (!mld) return true;
  const MdtBase::Property* mldParam = mld->GetPropertyByName(Mld::PARAMETERS, paramName);
  if (!mldParam) return true;
  String value = libInst ? libInst->GetPropertyValueStr(LibInst::PARAMETERS, paramName) : String();
  if (value.empty()) value = mldParam->GetValueStr();
  return value.EqualsNoCase(required);
}

int CategoryUtil::GetDepCategorySeq(const Category* category,
                                    std::vector<MdtBase::Property*>& out) {
  if (!OwnParam(category)) return 1;
  const Mld* mld = OwningMld(category);
  if (!mld) return 2;
  for (MdtBase::Property* p : mld->GetPropSeqRef(Mld::CATEGORIES)) {
    if (!IsCategory(p)) continue;
    const std::vector<MdtBase::PsfComp*>* deps = DepList(static_cast<const Category*>(p));
    if (!deps) continue;
    for (const MdtBase::PsfComp* dep : *deps)
      if (dep && dep->GetName().EqualsNoCase(category->GetName())) out.push_back(p);
  }
  return 2;
}

void CategoryUtil::GetCategoryListDepOnParam(const String& paramName, const Mld* mld,
                                             std::vector<String>& out) {
  if (!mld) return;
  for (const MdtBase::Property* p : mld->GetPropSeqRef(Mld::CATEGORIES)) {
    if (!IsCategory(p)) continue;
    const std::vector<MdtBase::PsfComp*>* deps = DepList(static_cast<const Category*>(p));
    if (deps && !deps->empty() && deps->front() && deps->front()->GetName().EqualsNoCase(paramName))
      out.push_back(p->GetName());
  }
}

}  // namespace TavSoftware
