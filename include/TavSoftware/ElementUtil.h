// Operations on the rows of array instances.
#ifndef TAVSOFTWARE_ELEMENTUTIL_H
#define TAVSOFTWARE_ELEMENTUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class Element;

class TAVSW_API ElementUtil {
 public:
  ElementUtil() = delete;
  // Makes `element` the owner of its parameters and sets the owners inside
  // their sub-properties. 0; -1 for null.
  static int AssignOwner(Element* element);
  // -1, after the error "Interrupt Handler for interrupt port <port> is
  // already added", when an element of `elements` has an "int_port" value
  // equal to `port` ignoring case; else 0. Entries that are not elements are
  // skipped.
  static int CheckDupIntPort(const PropSeq& elements, const String& port);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_ELEMENTUTIL_H
