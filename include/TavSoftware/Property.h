// A PROPERTY entry. Distinct from its base MdtBase::Property: inside this
// namespace `Property` names this class, so other headers spell the base in full.
#ifndef TAVSOFTWARE_PROPERTY_H
#define TAVSOFTWARE_PROPERTY_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct PropertyImp;

// A leaf of the property family; its type tag is "TavSoftware_Property".
class TAVSW_API Property : public MdtBase::Property {
 public:
  Property();
  explicit Property(const String& name);
  ~Property() override;

 private:
  std::unique_ptr<PropertyImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PROPERTY_H
