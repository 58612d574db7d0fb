// Feeds arbitrary bytes to the library and OS definition reader.
#include "FuzzCommon.h"
#include "Mld.h"
#include "ParseMld.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  std::string path = tavfuzz::WriteInput(data, size, ".mld");
  TavSoftware::Mld mld;
  TavSoftware::ParseMld::Parse(path, &mld);
  return 0;
}
