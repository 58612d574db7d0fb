// A FUNCTION entry of an interface.
#ifndef TAVSOFTWARE_FUNCTION_H
#define TAVSOFTWARE_FUNCTION_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct FunctionImp;

// A leaf of the property family; its type tag is "TavSoftware_Function".
class TAVSW_API Function : public MdtBase::Property {
 public:
  Function();
  explicit Function(const String& name);
  ~Function() override;

 private:
  std::unique_ptr<FunctionImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_FUNCTION_H
