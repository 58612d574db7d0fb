#include "Array.h"
#include "ArrayUtil.h"

namespace TavSoftware {

int ArrayUtil::AssignOwner(Array* array) {
  if (!array) return -1;
  // The array's own sub-properties ("desc", "size", ...) belong to it as well.
  MdtBase::PropertyUtil::AssignOwner(array, nullptr);
  for (int nodeType : {Array::PROPERTIES, Array::PARAMETERS}) {
    for (MdtBase::Property* child : array->GetPropSeqRef(nodeType)) {
      child->SetOwner(array);
      MdtBase::PropertyUtil::AssignOwner(child, nullptr);
    }
  }
  return 0;
}

}  // namespace TavSoftware
