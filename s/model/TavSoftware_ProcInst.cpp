#include "ProcInst.h"

namespace TavSoftware {

ProcInst::ProcInst() { MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_ProcInst"); }

ProcInst::~ProcInst() = default;

bool ProcInst::IsValidNodeType(int nodeType) const {
  return nodeType >= OPTIONS && nodeType <= ARRAYS;
}

int ProcInst::AddProperty(int nodeType, MdtBase::Property* p) {
  return AddPropertyQuiet(nodeType, p);
}

int ProcInst::DelProperty(int nodeType, MdtBase::Property* p) {
  return DelPropertyQuiet(nodeType, p);
}

int ProcInst::DelProperty(int nodeType, const String& name) {
  MdtBase::Property* p = GetPropertyByName(nodeType, name);
  if (!p) return -1;
  return DelPropertyQuiet(nodeType, p);
}

}  // namespace TavSoftware
