// Parse and Write of MddUtil live with the reader and the writer.
#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "Array.h"
#include "ArrayUtil.h"
#include "Block.h"
#include "BlockUtil.h"
#include "Interface.h"
#include "InterfaceUtil.h"
#include "Mdd.h"
#include "MddUtil.h"

namespace TavSoftware {

namespace {
// Lists this long are worth visiting in address order together.
constexpr size_t kLongList = 64;

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
  // In the order of the file, which is the order in memory: a big file's
  // tree is swept once, not once per kind of entry (when two kinds or more
  // have many entries). An entry listed twice is still seen in the order
  // of its lists.
  std::vector<std::pair<MdtBase::Property*, int>> entries;
  int lists = 0;
  for (int nodeType :
       {Mdd::OPTIONS, Mdd::PARAMETERS, Mdd::INTERFACES, Mdd::ARRAYS, Mdd::BLOCKS})
    lists += mdd->GetPropSeqRef(nodeType).size() >= kLongList;
  for (int nodeType :
       {Mdd::OPTIONS, Mdd::PARAMETERS, Mdd::INTERFACES, Mdd::ARRAYS, Mdd::BLOCKS})
    for (MdtBase::Property* p : mdd->GetPropSeqRef(nodeType))
      if (p && lists > 1)
        entries.emplace_back(p, nodeType);
      else if (p)
        AssignEntry(mdd, nodeType, p);  // one long list: in file order already
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return std::less<>()(a.first, b.first);
  });
  for (const auto& [p, nodeType] : entries) AssignEntry(mdd, nodeType, p);
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
