// Feeds arbitrary bytes to the hardware description reader. A file it
// accepts must answer every lookup for every name it lists; one it refuses
// counts exactly one error.
#include "FuzzCommon.h"
#include "HwDbFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  const std::string text(reinterpret_cast<const char*>(data), size);
  int errors = 0;
  auto db = TavHwDb::HwDbFile::FromText(text, "fuzz.json", errors);
  if (!db) {
    if (errors != 1) std::abort();
    return 0;
  }
  for (const std::string& name : db->GetAllInstNames()) {
    if (!db->IsInstPresent(name)) std::abort();
    db->GetIpType(name);
    db->GetIpClass(name);
    for (const std::string& a : db->GetAddressableInstNames(name)) db->IsInstPresent(a);
    db->GetInstParamValue(name, "C_BASEADDR");
  }
  db->GetProcessorInstNames();
  return 0;
}
