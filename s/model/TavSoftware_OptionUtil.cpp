#include "Option.h"
#include "OptionUtil.h"

namespace TavSoftware {

namespace {
// Built on first use; a function-local static is initialised once even when
// several threads get here together.
const MdtBase::AllowedValuesMap& StateOptionTable() {
  static const MdtBase::AllowedValuesMap table = [] {
    MdtBase::AllowedValuesMap map;
    MdtBase::PropertyUtil::InitAllowedValuesMap(map,
                                                {{"DRIVER_STATE", "ACTIVE:DEPRECATED:OBSOLETE"},
                                                 {"OS_STATE", "ACTIVE:DEPRECATED:OBSOLETE"},
                                                 {"LIBRARY_STATE", "ACTIVE:DEPRECATED:OBSOLETE"}});
    return map;
  }();
  return table;
}
}  // namespace

int OptionUtil::CheckValue(const Option* option, String& message) {
  if (!option) return -1;
  const String value = option->GetValueStr();
  if (MdtBase::PropertyUtil::CheckValueMatch(StateOptionTable(), option->GetName(), value))
    return 0;
  message = "Unknown " + option->GetName() + " value " + value;
  return 2;
}

}  // namespace TavSoftware
