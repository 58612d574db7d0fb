// Operations on driver instances.
#ifndef TAVSOFTWARE_DRVINSTUTIL_H
#define TAVSOFTWARE_DRVINSTUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class DrvInst;

class TAVSW_API DrvInstUtil {
 public:
  DrvInstUtil() = delete;

  // True when the most derived type tag of `p` is exactly the tag the
  // driver-instance sequence `nodeType` holds: 0 "TavSoftware_Option",
  // 1 "TavSoftware_Param", 2 "TavSoftware_ArrayInst", 3
  // "TavSoftware_Interface". False for null, an untagged node or any other
  // NodeType.
  static bool VerifyPropType(int nodeType, const MdtBase::Property* p);

  // Writes the instance as an MSS block: its comment lines ("# "), "BEGIN
  // DRIVER", its parameters, array values, options and interfaces, "END".
  // Nothing for a null instance or writer.
  static void PrintDrvInst(const DrvInst* drvInst, MdtBase::UtStreamWriter* writer);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_DRVINSTUTIL_H
