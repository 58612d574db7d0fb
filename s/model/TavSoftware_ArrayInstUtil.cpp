#include "ArrayInst.h"
#include "ArrayInstUtil.h"
#include "Element.h"
#include "ElementUtil.h"
#include "Param.h"

namespace TavSoftware {

namespace {
bool IsIntHandlerArray(const ArrayInst* array) {
  return array && array->GetName().EqualsNoCase("interrupt_handler");
}
}  // namespace

int ArrayInstUtil::AssignOwner(ArrayInst* array) {
  if (!array) return -1;
  MdtBase::PropertyUtil::AssignOwner(array, nullptr);
  for (MdtBase::Property* child : array->GetPropSeqRef(ArrayInst::PROPERTIES)) {
    child->SetOwner(array);
    MdtBase::PropertyUtil::AssignOwner(child, nullptr);
  }
  for (MdtBase::Property* child : array->GetPropSeqRef(ArrayInst::ELEMENTS)) {
    child->SetOwner(array);
    if (auto* element = dynamic_cast<Element*>(child)) {
      ElementUtil::AssignOwner(element);
    } else {
      MdtBase::PropertyUtil::AssignOwner(child, nullptr);
    }
  }
  return 0;
}

MdtBase::Property* ArrayInstUtil::GetElementByIndex(ArrayInst* array, int index) {
  if (!array || index < 0) return nullptr;
  const PropSeq& elements = array->GetPropSeqRef(ArrayInst::ELEMENTS);
  if (static_cast<size_t>(index) >= elements.size()) return nullptr;
  return elements[static_cast<size_t>(index)];
}

Element* ArrayInstUtil::GetElementForIntPortByName(ArrayInst* array, const String& port) {
  if (!array) return nullptr;
  for (MdtBase::Property* member : array->GetPropSeqRef(ArrayInst::ELEMENTS)) {
    auto* element = dynamic_cast<Element*>(member);
    if (!element) continue;
    const MdtBase::Property* portParam =
        element->GetPropertyByName(Element::PARAMETERS, "int_port");
    if (portParam && portParam->GetValueStr().EqualsNoCase(port)) return element;
  }
  return nullptr;
}

String ArrayInstUtil::GetIntHandlerValue(ArrayInst* array, const String& port) {
  if (!IsIntHandlerArray(array)) return String();
  const Element* element = GetElementForIntPortByName(array, port);
  if (!element) return String();
  const MdtBase::Property* handler = element->GetPropertyByName(Element::PARAMETERS, "int_handler");
  return handler ? handler->GetValueStr() : String();
}

void ArrayInstUtil::SetIntHandlerValue(ArrayInst* array, const String& port,
                                       const String& handler) {
  if (!IsIntHandlerArray(array)) return;
  Element* element = GetElementForIntPortByName(array, port);
  if (!element) {
    if (handler.empty()) return;
    element = new Element();
    CreateElementForIntPortIntHandler(element, handler, port);
    array->AddProperty(ArrayInst::ELEMENTS, element);
    // The array may already have had its owners assigned; the new row joins
    // the tree the same way.
    element->SetOwner(array);
    ElementUtil::AssignOwner(element);
    return;
  }
  if (handler.empty()) {
    array->DelProperty(ArrayInst::ELEMENTS, element);
    return;
  }
  MdtBase::Property* handlerParam = element->GetPropertyByName(Element::PARAMETERS, "int_handler");
  if (!handlerParam) {
    // A row read from a file may lack the handler column; add it rather than
    // drop the value.
    handlerParam = new Param("int_handler");
    handlerParam->SetMdtValuePtr(new MdtBase::StrVal(handler));
    element->AddProperty(Element::PARAMETERS, handlerParam);
    handlerParam->SetOwner(element);
    return;
  }
  if (MdtBase::MdtValue* value = handlerParam->GetMdtValuePtr()) {
    value->SetValue(handler);
  } else {
    handlerParam->SetValueStr(handler);  // makes a string value
  }
}

void ArrayInstUtil::CreateElementForIntPortIntHandler(Element* element, const String& handler,
                                                      const String& port) {
  if (!element) return;
  auto* handlerParam = new Param("int_handler");
  handlerParam->SetMdtValuePtr(new MdtBase::StrVal(handler));
  element->AddProperty(Element::PARAMETERS, handlerParam);
  auto* portParam = new Param("int_port");
  portParam->SetMdtValuePtr(new MdtBase::StrVal(port));
  element->AddProperty(Element::PARAMETERS, portParam);
}

}  // namespace TavSoftware
