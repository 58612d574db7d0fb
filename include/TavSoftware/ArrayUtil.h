// Operations on array definitions.
#ifndef TAVSOFTWARE_ARRAYUTIL_H
#define TAVSOFTWARE_ARRAYUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class Array;

class TAVSW_API ArrayUtil {
 public:
  ArrayUtil() = delete;
  // Makes `array` the owner of every child of its properties and then its
  // parameters, and sets the owners inside each child's sub-properties.
  // 0; -1 for null.
  static int AssignOwner(Array* array);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_ARRAYUTIL_H
