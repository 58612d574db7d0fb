// A library of the runtime model.
#ifndef TAVSOFTWARE_LIBRARY_H
#define TAVSOFTWARE_LIBRARY_H

#include "LibInst.h"

namespace TavSoftware {

class TAVSW_API Library : public LibInst {
 public:
  Library();
  ~Library() override;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_LIBRARY_H
