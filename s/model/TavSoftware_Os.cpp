#include "Os.h"

namespace TavSoftware {

Os::Os() { MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_Os"); }

Os::~Os() = default;

}  // namespace TavSoftware
