// An OS instance: one BEGIN OS block of an MSS file. Also the OS component of
// the runtime model.
#ifndef TAVSOFTWARE_OSINST_H
#define TAVSOFTWARE_OSINST_H

#include "LibInst.h"

namespace TavSoftware {

// A LibInst whose name parameter is "OS_NAME".
class TAVSW_API OsInst : public LibInst {
 public:
  OsInst();
  ~OsInst() override;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_OSINST_H
