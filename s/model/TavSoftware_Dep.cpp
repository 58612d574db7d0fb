#include "Dep.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against. While it is
// empty none is made: a file holds a node of these per statement.
struct DepImp {};

Dep::Dep() : MdtBase::Property() {
  BaseNode::AddBaseNode(this, "TavSoftware_Dep");
}

Dep::Dep(const String& name) : MdtBase::Property(name) {
  BaseNode::AddBaseNode(this, "TavSoftware_Dep");
}

Dep::~Dep() = default;

}  // namespace TavSoftware
