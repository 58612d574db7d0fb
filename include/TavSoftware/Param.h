// A PARAM/PARAMETER entry of a definition or an instance.
#ifndef TAVSOFTWARE_PARAM_H
#define TAVSOFTWARE_PARAM_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct ParamImp;

// A leaf of the property family; its type tag is "TavSoftware_Param".
class TAVSW_API Param : public MdtBase::Property {
 public:
  Param();
  explicit Param(const String& name);
  ~Param() override;

 private:
  std::unique_ptr<ParamImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PARAM_H
