#include "Function.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against.
struct FunctionImp {};

Function::Function() : MdtBase::Property(), imp_(std::make_unique<FunctionImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Function");
}

Function::Function(const String& name)
    : MdtBase::Property(name), imp_(std::make_unique<FunctionImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Function");
}

Function::~Function() = default;

}  // namespace TavSoftware
