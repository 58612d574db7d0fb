#include "Library.h"

namespace TavSoftware {

Library::Library() { MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_Library"); }

Library::~Library() = default;

}  // namespace TavSoftware
