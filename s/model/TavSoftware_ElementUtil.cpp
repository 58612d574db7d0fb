#include "Element.h"
#include "ElementUtil.h"

namespace TavSoftware {

int ElementUtil::AssignOwner(Element* element) {
  if (!element) return -1;
  MdtBase::PropertyUtil::AssignOwner(element, nullptr);
  for (MdtBase::Property* child : element->GetPropSeqRef(Element::PARAMETERS)) {
    child->SetOwner(element);
    MdtBase::PropertyUtil::AssignOwner(child, nullptr);
  }
  return 0;
}

int ElementUtil::CheckDupIntPort(const PropSeq& elements, const String& port) {
  for (const MdtBase::Property* member : elements) {
    const auto* element = dynamic_cast<const Element*>(member);
    if (!element) continue;
    const MdtBase::Property* portParam =
        element->GetPropertyByName(Element::PARAMETERS, "int_port");
    if (portParam && portParam->GetValueStr().EqualsNoCase(port)) {
      Port_MsgManData::createObject("VEK", __FILE__, __LINE__, "")
          .issueError("Interrupt Handler for interrupt port %s is already added\n", port.c_str());
      return -1;
    }
  }
  return 0;
}

}  // namespace TavSoftware
