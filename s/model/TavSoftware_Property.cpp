#include "Property.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against.
struct PropertyImp {};

Property::Property() : MdtBase::Property(), imp_(std::make_unique<PropertyImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Property");
}

Property::Property(const String& name)
    : MdtBase::Property(name), imp_(std::make_unique<PropertyImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Property");
}

Property::~Property() = default;

}  // namespace TavSoftware
