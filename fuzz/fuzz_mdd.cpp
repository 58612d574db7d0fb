// Feeds arbitrary bytes to the driver definition reader.
#include "FuzzCommon.h"
#include "Mdd.h"
#include "ParseMdd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  std::string path = tavfuzz::WriteInput(data, size, ".mdd");
  TavSoftware::Mdd mdd;
  TavSoftware::ParseMdd::Parse(path, &mdd);
  return 0;
}
