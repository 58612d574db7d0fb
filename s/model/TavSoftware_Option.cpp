#include "Option.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against.
struct OptionImp {};

Option::Option() : MdtBase::Property(), imp_(std::make_unique<OptionImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Option");
}

Option::Option(const String& name) : MdtBase::Property(name), imp_(std::make_unique<OptionImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Option");
}

Option::~Option() = default;

}  // namespace TavSoftware
