#include "Function.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against. While it is
// empty none is made: a file holds a node of these per statement.
struct FunctionImp {};

Function::Function() : MdtBase::Property() {
  BaseNode::AddBaseNode(this, "TavSoftware_Function");
}

Function::Function(const String& name) : MdtBase::Property(name) {
  BaseNode::AddBaseNode(this, "TavSoftware_Function");
}

Function::~Function() = default;

}  // namespace TavSoftware
