// An OS component.
#ifndef TAVSOFTWARE_OS_H
#define TAVSOFTWARE_OS_H

#include "OsInst.h"

namespace TavSoftware {

class TAVSW_API Os : public OsInst {
 public:
  Os();
  ~Os() override;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_OS_H
