#include "OsInst.h"

namespace TavSoftware {

OsInst::OsInst() {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_OsInst");
  SetNameParamName("OS_NAME");
}

OsInst::~OsInst() = default;

}  // namespace TavSoftware
