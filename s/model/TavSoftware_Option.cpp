#include "Option.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against. While it is
// empty none is made: a file holds a node of these per statement.
struct OptionImp {};

Option::Option() : MdtBase::Property() {
  BaseNode::AddBaseNode(this, "TavSoftware_Option");
}

Option::Option(const String& name) : MdtBase::Property(name) {
  BaseNode::AddBaseNode(this, "TavSoftware_Option");
}

Option::~Option() = default;

}  // namespace TavSoftware
