#include "Array.h"
#include "ArrayUtil.h"
#include "Block.h"
#include "BlockUtil.h"
#include "Interface.h"
#include "InterfaceUtil.h"

namespace TavSoftware {

int BlockUtil::AssignOwner(Block* block) {
  if (!block) return -1;
  MdtBase::PropertyUtil::AssignOwner(block, nullptr);
  for (int nodeType = Block::DEPS; nodeType <= Block::INTERFACES; ++nodeType) {
    for (MdtBase::Property* child : block->GetPropSeqRef(nodeType)) {
      child->SetOwner(block);
      // AddProperty does not check tags, so a sequence may hold a stranger;
      // it is then handled as the plain property it is.
      auto* array = nodeType == Block::ARRAYS ? dynamic_cast<Array*>(child) : nullptr;
      auto* iface = nodeType == Block::INTERFACES ? dynamic_cast<Interface*>(child) : nullptr;
      if (array) {
        ArrayUtil::AssignOwner(array);
      } else if (iface) {
        InterfaceUtil::AssignOwner(iface);
      } else {
        MdtBase::PropertyUtil::AssignOwner(child, nullptr);
      }
    }
  }
  return 0;
}

}  // namespace TavSoftware
