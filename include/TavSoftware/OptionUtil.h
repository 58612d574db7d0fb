// Operations on options.
#ifndef TAVSOFTWARE_OPTIONUTIL_H
#define TAVSOFTWARE_OPTIONUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class Option;

class TAVSW_API OptionUtil {
 public:
  OptionUtil() = delete;
  // Checks the state options DRIVER_STATE, OS_STATE and LIBRARY_STATE
  // (ACTIVE, DEPRECATED or OBSOLETE, ignoring case). 0 for an allowed value or
  // an option not checked, `message` untouched; 2 with `message` set to
  // "Unknown <name> value <value>" otherwise; -1 for null.
  static int CheckValue(const Option* option, String& message);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_OPTIONUTIL_H
