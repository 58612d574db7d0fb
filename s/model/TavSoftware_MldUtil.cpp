// Parse of MldUtil lives with the reader.
#include <cstring>

#include "Array.h"
#include "ArrayUtil.h"
#include "Category.h"
#include "CategoryUtil.h"
#include "Interface.h"
#include "InterfaceUtil.h"
#include "Mld.h"
#include "MldUtil.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

namespace {
bool Is(const MdtBase::BaseNode* node, const char* tag) {
  return std::strcmp(MdtBase::BaseNode::GetBaseNode(node), tag) == 0;
}

// Owner, then the entry's own subtree. The typed owner utilities are used
// only on entries of their type; anything else gets the generic treatment.
void AssignEntry(Mld* mld, int nodeType, MdtBase::Property* p) {
  p->SetOwner(mld);
  if (nodeType == Mld::INTERFACES && Is(p, "TavSoftware_Interface"))
    InterfaceUtil::AssignOwner(static_cast<Interface*>(p));
  else if (nodeType == Mld::ARRAYS && Is(p, "TavSoftware_Array"))
    ArrayUtil::AssignOwner(static_cast<Array*>(p));
  else if (nodeType == Mld::CATEGORIES && Is(p, "TavSoftware_Category"))
    CategoryUtil::AssignOwner(static_cast<Category*>(p));
  else
    MdtBase::PropertyUtil::AssignOwner(p, nullptr);
}
}  // namespace

int MldUtil::AssignOwner(Mld* mld) {
  if (!mld) return -1;
  detail::VisitInFileOrder(
      mld, {Mld::OPTIONS, Mld::PARAMETERS, Mld::INTERFACES, Mld::ARRAYS, Mld::CATEGORIES},
      [mld](MdtBase::Property* p, int nodeType) { AssignEntry(mld, nodeType, p); });
  return 0;
}

bool MldUtil::VerifyPropType(int nodeType, const MdtBase::Property* p) {
  const char* tag = nullptr;
  switch (nodeType) {
    case Mld::OPTIONS:
      tag = "TavSoftware_Option";
      break;
    case Mld::PARAMETERS:
      tag = "TavSoftware_Param";
      break;
    case Mld::CATEGORIES:
      tag = "TavSoftware_Category";
      break;
    case Mld::INTERFACES:
      tag = "TavSoftware_Interface";
      break;
    case Mld::ARRAYS:
      tag = "TavSoftware_Array";
      break;
    default:
      return false;
  }
  return p && Is(p, tag);
}

Mld* MldUtil::GetMldByName(const String&) { return nullptr; }

Mld* MldUtil::GetMldByName(const String&, const String&) { return nullptr; }

int MldUtil::ParseMldsInDir(const String&, std::vector<Mld*>&, int, const String&) { return 1; }

}  // namespace TavSoftware
