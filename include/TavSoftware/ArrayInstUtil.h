// Operations on array instances, chiefly the interrupt-handler array: an
// ArrayInst named "interrupt_handler" (any case) holding one element per
// interrupt port, each with the parameters "int_handler" (the routine) and
// "int_port" (the port).
#ifndef TAVSOFTWARE_ARRAYINSTUTIL_H
#define TAVSOFTWARE_ARRAYINSTUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class ArrayInst;
class Element;

class TAVSW_API ArrayInstUtil {
 public:
  ArrayInstUtil() = delete;
  // Makes `array` the owner of its properties and its elements, and each
  // element the owner of its parameters. 0; -1 for null.
  static int AssignOwner(ArrayInst* array);
  // The element (row) at `index`; null for a null array, a negative index or
  // one at or past the number of elements. Owned by the array.
  static MdtBase::Property* GetElementByIndex(ArrayInst* array, int index);
  // The first element whose "int_port" value equals `port` ignoring case;
  // null when none (or for a null array). Owned by the array.
  static Element* GetElementForIntPortByName(ArrayInst* array, const String& port);
  // The "int_handler" value of the element for `port`; empty when the array
  // is null, is not the interrupt-handler array, or has no element for `port`.
  static String GetIntHandlerValue(ArrayInst* array, const String& port);
  // On the interrupt-handler array only (otherwise nothing happens): without
  // an element for `port`, a non-empty `handler` appends a new one; with one,
  // an empty `handler` destroys it and any other becomes its "int_handler"
  // value.
  static void SetIntHandlerValue(ArrayInst* array, const String& port, const String& handler);
  // Appends to `element` a Param "int_handler" holding `handler` and then a
  // Param "int_port" holding `port`, both string values. Nothing for null.
  static void CreateElementForIntPortIntHandler(Element* element, const String& handler,
                                                const String& port);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_ARRAYINSTUTIL_H
