// Operations on processor instances.
#ifndef TAVSOFTWARE_PROCINSTUTIL_H
#define TAVSOFTWARE_PROCINSTUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class ProcInst;

class TAVSW_API ProcInstUtil {
 public:
  ProcInstUtil() = delete;

  // True when the most derived type tag of `p` is exactly the tag the
  // processor-instance sequence `nodeType` holds: 0 "TavSoftware_Option",
  // 1 "TavSoftware_Param", 2 "TavSoftware_ArrayInst". False for null, an
  // untagged node or any other NodeType (a processor has no interfaces).
  static bool VerifyPropType(int nodeType, const MdtBase::Property* p);

  // Writes the instance as an MSS block: its comment lines ("# "), "BEGIN
  // PROCESSOR", its parameters, its options, "END" (array values and
  // interfaces are not written). Nothing for a null instance or writer.
  static void PrintProcInst(const ProcInst* procInst, MdtBase::UtStreamWriter* writer);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PROCINSTUTIL_H
