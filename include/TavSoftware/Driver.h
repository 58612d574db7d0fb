// A driver of the runtime model: a DrvInst that serves one or more hardware
// instances.
#ifndef TAVSOFTWARE_DRIVER_H
#define TAVSOFTWARE_DRIVER_H

#include <memory>
#include <vector>

#include "DrvInst.h"

namespace TavSoftware {

struct DriverImp;

class TAVSW_API Driver : public DrvInst {
 public:
  Driver();
  ~Driver() override;

  // Names of the hardware instances this driver serves, in merge order.
  std::vector<String>& GetInstSeqRef();
  const std::vector<String>& GetInstSeqRef() const;

 private:
  std::unique_ptr<DriverImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_DRIVER_H
