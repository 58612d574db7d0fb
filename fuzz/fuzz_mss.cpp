// Feeds arbitrary bytes to the MSS reader.
#include "FuzzCommon.h"
#include "Mss.h"
#include "ParseMss.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  std::string path = tavfuzz::WriteInput(data, size, ".mss");
  TavSoftware::Mss mss;
  TavSoftware::ParseMss::Parse(path, &mss);
  return 0;
}
