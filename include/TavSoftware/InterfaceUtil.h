// Operations on interfaces.
#ifndef TAVSOFTWARE_INTERFACEUTIL_H
#define TAVSOFTWARE_INTERFACEUTIL_H

#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

class Interface;

class TAVSW_API InterfaceUtil {
 public:
  InterfaceUtil() = delete;
  // Makes `iface` the owner of its properties and then its functions, and
  // sets the owners inside their sub-properties. 0; -1 for null.
  static int AssignOwner(Interface* iface);
  // The first interface named `name` ignoring case; null when none. Null
  // entries are skipped.
  static Interface* GetInterfaceByName(const std::vector<Interface*>& interfaces,
                                       const String& name);
  // "PROPERTY" for the tag "TavSoftware_Property", "FUNCTION" for
  // "TavSoftware_Function" (either ignoring case); otherwise empty.
  static String GetPropertyType(const String& tag);
  // Writes " INTERFACE <name>" and then each property as PROPERTY and each
  // function as FUNCTION (with comments). Writes nothing for an interface
  // without a name, a null interface or a null writer. `keyword` is accepted
  // for symmetry with the list form and not used.
  static void PrintInterface(const Interface* iface, const String& keyword,
                             MdtBase::UtStreamWriter* writer);
  // Prints every interface of `seq` (entries that are not interfaces are
  // skipped). An empty `keyword` is first derived from the first entry's type
  // tag with GetPropertyType.
  static void PrintInterfaceList(const PropSeq& seq, const String& keyword,
                                 MdtBase::UtStreamWriter* writer);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_INTERFACEUTIL_H
