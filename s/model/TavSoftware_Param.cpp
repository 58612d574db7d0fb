#include "Param.h"

namespace TavSoftware {

// Leaves carry nothing beyond their base; the Imp keeps room for state
// without changing the class layout callers compile against.
struct ParamImp {};

Param::Param() : MdtBase::Property(), imp_(std::make_unique<ParamImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Param");
}

Param::Param(const String& name) : MdtBase::Property(name), imp_(std::make_unique<ParamImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_Param");
}

Param::~Param() = default;

}  // namespace TavSoftware
