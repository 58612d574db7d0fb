// An OPTION entry of a definition (its value is checked by OptionUtil::CheckValue).
#ifndef TAVSOFTWARE_OPTION_H
#define TAVSOFTWARE_OPTION_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct OptionImp;

// A leaf of the property family; its type tag is "TavSoftware_Option".
class TAVSW_API Option : public MdtBase::Property {
 public:
  Option();
  explicit Option(const String& name);
  ~Option() override;

 private:
  std::unique_ptr<OptionImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_OPTION_H
