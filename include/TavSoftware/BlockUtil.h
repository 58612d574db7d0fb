// Operations on blocks of a driver definition.
#ifndef TAVSOFTWARE_BLOCKUTIL_H
#define TAVSOFTWARE_BLOCKUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class Block;

class TAVSW_API BlockUtil {
 public:
  BlockUtil() = delete;
  // Makes `block` the owner of the children of its conditions, options,
  // parameters, arrays and interfaces (in that order) and sets the owners
  // below each of them (arrays and interfaces down to their own children).
  // 0; -1 for null.
  static int AssignOwner(Block* block);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_BLOCKUTIL_H
