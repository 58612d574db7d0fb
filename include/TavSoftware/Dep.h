// A DEP condition of a block.
#ifndef TAVSOFTWARE_DEP_H
#define TAVSOFTWARE_DEP_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct DepImp;

// A leaf of the property family; its type tag is "TavSoftware_Dep".
class TAVSW_API Dep : public MdtBase::Property {
 public:
  Dep();
  explicit Dep(const String& name);
  ~Dep() override;

 private:
  std::unique_ptr<DepImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_DEP_H
