// Operations on the properties of software instances.
#ifndef TAVSOFTWARE_SWPROPERTYUTIL_H
#define TAVSOFTWARE_SWPROPERTYUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class ArrayInst;
class Interface;

class TAVSW_API SwPropertyUtil {
 public:
  SwPropertyUtil() = delete;

  // Writes an array value as one MSS line after its comment lines ("# "):
  // " PARAMETER name = ((a,b),(c,d))" for elements of several values,
  // " PARAMETER name = (a,b,c)" for elements of one value, "()" for none.
  // The MSS reader turns the line back into the same elements.
  // Nothing for an array without a name, a null array or a null writer.
  // `keyword` is accepted for symmetry with the other printers and unused.
  static void PrintArrayInst(const ArrayInst* arrayInst, const String& keyword,
                             MdtBase::UtStreamWriter* writer);
  // PrintArrayInst for every member of `seq` that is an ArrayInst.
  static void PrintArrayInstList(const PropSeq& seq, const String& keyword,
                                 MdtBase::UtStreamWriter* writer);

  // Writes an interface: its comment lines ("# "), " INTERFACE name", one
  // " PROPERTY name = value" line per property and one " FUNCTION name =
  // value" line per function. Nothing for an interface without a name, a
  // null interface or a null writer. `keyword` is unused.
  static void PrintInterface(const Interface* iface, const String& keyword,
                             MdtBase::UtStreamWriter* writer);
  // PrintInterface for every member of `seq` that is an Interface.
  static void PrintInterfaceList(const PropSeq& seq, const String& keyword,
                                 MdtBase::UtStreamWriter* writer);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWPROPERTYUTIL_H
