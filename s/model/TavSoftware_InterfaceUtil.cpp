#include "Interface.h"
#include "InterfaceUtil.h"

namespace TavSoftware {

int InterfaceUtil::AssignOwner(Interface* iface) {
  if (!iface) return -1;
  MdtBase::PropertyUtil::AssignOwner(iface, nullptr);
  for (int nodeType : {Interface::PROPERTIES, Interface::FUNCTIONS}) {
    for (MdtBase::Property* child : iface->GetPropSeqRef(nodeType)) {
      child->SetOwner(iface);
      MdtBase::PropertyUtil::AssignOwner(child, nullptr);
    }
  }
  return 0;
}

Interface* InterfaceUtil::GetInterfaceByName(const std::vector<Interface*>& interfaces,
                                             const String& name) {
  for (Interface* iface : interfaces) {
    if (iface && iface->GetName().EqualsNoCase(name)) return iface;
  }
  return nullptr;
}

String InterfaceUtil::GetPropertyType(const String& tag) {
  if (tag.EqualsNoCase("TavSoftware_Property")) return "PROPERTY";
  if (tag.EqualsNoCase("TavSoftware_Function")) return "FUNCTION";
  return String();
}

void InterfaceUtil::PrintInterface(const Interface* iface, const String& /*keyword*/,
                                   MdtBase::UtStreamWriter* writer) {
  if (!iface || !writer || iface->GetName().empty()) return;
  writer->writeline(" INTERFACE " + iface->GetName());
  for (const MdtBase::Property* child : iface->GetPropSeqRef(Interface::PROPERTIES)) {
    MdtBase::PropertyUtil::PrintProperty(child, "PROPERTY", writer, 1);
  }
  for (const MdtBase::Property* child : iface->GetPropSeqRef(Interface::FUNCTIONS)) {
    MdtBase::PropertyUtil::PrintProperty(child, "FUNCTION", writer, 1);
  }
}

void InterfaceUtil::PrintInterfaceList(const PropSeq& seq, const String& keyword,
                                       MdtBase::UtStreamWriter* writer) {
  if (seq.empty() || !writer) return;
  String word = keyword;
  if (word.empty()) word = GetPropertyType(MdtBase::BaseNode::GetBaseNode(seq.front()));
  for (const MdtBase::Property* member : seq) {
    // The sequence is typed by the caller's NodeType only; anything that is
    // not an interface has no INTERFACE form and is left out.
    if (const auto* iface = dynamic_cast<const Interface*>(member)) {
      PrintInterface(iface, word, writer);
    }
  }
}

}  // namespace TavSoftware
