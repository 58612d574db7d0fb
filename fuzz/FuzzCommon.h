// Shared pieces of the fuzz targets: the input goes through a real file, as
// the readers only read files, and messages are swallowed so the fuzzer's
// output stays readable.
#ifndef TAVSOFTWARE_FUZZ_FUZZCOMMON_H
#define TAVSOFTWARE_FUZZ_FUZZCOMMON_H

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Port.h"

namespace tavfuzz {

class NullSink : public MsgSink {
 public:
  void Report(const MsgRecord&) override {}
};

// Installs the discarding sink for the whole run.
inline void Quiet() {
  static NullSink sink;
  Port_MsgManData::SetSink(&sink);
}

// A scratch file per process, named with `ext`, holding `data`.
inline std::string WriteInput(const uint8_t* data, size_t size, const char* ext) {
  static const std::string dir = [] {
    const char* t = std::getenv("TMPDIR");
    return std::string(t && *t ? t : "/tmp");
  }();
  std::string path = dir + "/tavsw_fuzz_" + std::to_string(::getpid()) + ext;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

}  // namespace tavfuzz

#endif  // TAVSOFTWARE_FUZZ_FUZZCOMMON_H
