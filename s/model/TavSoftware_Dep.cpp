#include "Dep.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against.
struct DepImp {};

Dep::Dep() : MdtBase::Property(), imp_(std::make_unique<DepImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Dep");
}

Dep::Dep(const String& name) : MdtBase::Property(name), imp_(std::make_unique<DepImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Dep");
}

Dep::~Dep() = default;

}  // namespace TavSoftware
