#include "Param.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against. While it is
// empty none is made: a file holds a node of these per statement.
struct ParamImp {};

Param::Param() : MdtBase::Property() {
  BaseNode::AddBaseNode(this, "TavSoftware_Param");
}

Param::Param(const String& name) : MdtBase::Property(name) {
  BaseNode::AddBaseNode(this, "TavSoftware_Param");
}

Param::~Param() = default;

}  // namespace TavSoftware
