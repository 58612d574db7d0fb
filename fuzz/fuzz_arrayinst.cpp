// Array values arrive as free text from MSS files and editors.
#include <string>

#include "ArrayInst.h"
#include "ArrayInstUtil.h"
#include "FuzzCommon.h"
#include "MdtBase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  std::string text(reinterpret_cast<const char*>(data), size);
  TavSoftware::ArrayInst a;
  a.SetMdtValuePtr(new MdtBase::StrVal());
  a.SetValueStr(text);
  // The value text is kept exactly as given.
  if (a.GetValueStr() != text) __builtin_trap();
  // Rebuilding from the same text gives the same rows.
  size_t rows = a.GetPropSeqRef(2).size();
  a.SetValueStr(text);
  if (a.GetPropSeqRef(2).size() != rows) __builtin_trap();
  TavSoftware::ArrayInstUtil::GetElementByIndex(&a, static_cast<int>(size) - 3);
  return 0;
}
