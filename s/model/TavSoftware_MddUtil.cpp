// Parse and Write of MddUtil live with the reader and the writer.
#include <cstring>

#include "Array.h"
#include "ArrayUtil.h"
#include "Block.h"
#include "BlockUtil.h"
#include "Interface.h"
#include "InterfaceUtil.h"
#include "Mdd.h"
#include "MddUtil.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

namespace {
bool Is(const MdtBase::BaseNode* node, const char* tag) {
  return std::strcmp(MdtBase::BaseNode::GetBaseNode(node), tag) == 0;
}

// Owner, then the entry's own subtree. The typed owner utilities are used
// only on entries of their type; anything else gets the generic treatment.
void AssignEntry(Mdd* mdd, int nodeType, MdtBase::Property* p) {
  p->SetOwner(mdd);
  if (nodeType == Mdd::INTERFACES && Is(p, "TavSoftware_Interface"))
    InterfaceUtil::AssignOwner(static_cast<Interface*>(p));
  else if (nodeType == Mdd::ARRAYS && Is(p, "TavSoftware_Array"))
    ArrayUtil::AssignOwner(static_cast<Array*>(p));
  else if (nodeType == Mdd::BLOCKS && Is(p, "TavSoftware_Block"))
    BlockUtil::AssignOwner(static_cast<Block*>(p));
  else
    MdtBase::PropertyUtil::AssignOwner(p, nullptr);
}
}  // namespace

int MddUtil::AssignOwner(Mdd* mdd) {
  if (!mdd) return -1;
  detail::VisitInFileOrder(
      mdd, {Mdd::OPTIONS, Mdd::PARAMETERS, Mdd::INTERFACES, Mdd::ARRAYS, Mdd::BLOCKS},
      [mdd](MdtBase::Property* p, int nodeType) { AssignEntry(mdd, nodeType, p); });
  return 0;
}

bool MddUtil::VerifyPropType(int nodeType, const MdtBase::Property* p) {
  const char* tag = nullptr;
  switch (nodeType) {
    case Mdd::OPTIONS:
      tag = "TavSoftware_Option";
      break;
    case Mdd::PARAMETERS:
      tag = "TavSoftware_Param";
      break;
    case Mdd::BLOCKS:
      tag = "TavSoftware_Block";
      break;
    case Mdd::INTERFACES:
      tag = "TavSoftware_Interface";
      break;
    case Mdd::ARRAYS:
      tag = "TavSoftware_Array";
      break;
    default:
      return false;
  }
  return p && Is(p, tag);
}

Mdd* MddUtil::GetMddByName(const String&) { return nullptr; }

Mdd* MddUtil::GetMddByName(const String&, const String&) { return nullptr; }

}  // namespace TavSoftware
