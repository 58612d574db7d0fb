// Applies random sequences of `tavsw edit` actions to the demo MSS (with LF
// or CRLF line ends) and checks what a user relies on: an edit that fails
// leaves the file's bytes as they were; an edit that writes leaves a file
// that reads back without an error, keeps CRLF line ends, and that a second
// edit without actions finds unchanged. The input's bytes choose the
// actions from word lists, and may spell a value of their own.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCommon.h"
#include "Mss.h"
#include "ParseMss.h"
#include "Tavsw.h"

namespace fs = std::filesystem;

namespace {

const std::string kEx = TAVSW_EXAMPLES;

const char* const kComponents[] = {"cpu_0",   "uart_0",     "uart_1",  "gpio_0", "timer_0", "intc_0",
                                   "ram_0",   "standalone", "tavrtos", "tavfs",  "nosuch"};
const char* const kParams[] = {"C_BAUDRATE", "pin_map",     "PIN_MAP",  "tick_rate", "mode",
                               "stdout",     "stdin",       "compiler", "fs_medium", "HW_INSTANCE",
                               "DRIVER_VER", "C_IS_DUAL",   "x",        "ramdisk_size"};
const char* const kValues[] = {"9600",     "115200",   "((1,in))",  "((2,in),(3,out))", "true",
                               "uart_1",   "uart_0",   "",          " a",               "a#b",
                               "1\nEND",   "((1,in)",  "0x10",      "-3",               "((1,in,x))",
                               "gcc -O2",  "nothing",  "(1,2)",     "FALSE",            "a\"b"};
const char* const kDrivers[] = {"tavuart", "tavgpio:1.00.a", "tavgpio:2.00.a", "generic",
                                "tavtimer", "tavintc",       "nosuch"};
const char* const kCores[] = {"standalone", "tavrtos", "tavrtos:9.00.a", "tavfs", "tavfs:1.00.a",
                              "tavgpio"};
const char* const kNames[] = {"uart_0", "uart_1", "gpio_0", "console", "uart_9", "cpu_0"};

template <size_t N>
const char* Pick(const char* const (&list)[N], uint8_t b) {
  return list[b % N];
}

// Reads the input a byte at a time; zeros once it is used up.
struct Bytes {
  const uint8_t* data;
  size_t size, at = 0;
  bool More() const { return at < size; }
  uint8_t Next() { return at < size ? data[at++] : 0; }
};

std::string Value(Bytes& in) {
  const uint8_t b = in.Next();
  if (b < 200) return Pick(kValues, b);
  // A value of the input's own bytes (argv words end at a NUL).
  std::string v;
  for (size_t n = in.Next() % 12; n > 0 && in.More(); --n) {
    const char c = static_cast<char>(in.Next());
    if (c != '\0') v += c;
  }
  return v;
}

std::vector<std::string> Actions(Bytes& in, int count) {
  std::vector<std::string> args;
  for (int k = 0; k < count && in.More(); ++k) {
    const std::string comp = Pick(kComponents, in.Next()), param = Pick(kParams, in.Next());
    switch (in.Next() % 9) {
      case 0:
      case 1:
        args.insert(args.end(), {"--set", comp + "." + param + "=" + Value(in)});
        break;
      case 2:
        args.insert(args.end(), {"--unset", comp + "." + param});
        break;
      case 3:
        args.insert(args.end(), {"--driver", comp + "=" + Pick(kDrivers, in.Next())});
        break;
      case 4:
        args.insert(args.end(), {"--remove-driver", comp});
        break;
      case 5:
        args.insert(args.end(), {"--os", Pick(kCores, in.Next())});
        break;
      case 6:
        args.insert(args.end(), {"--add-lib", Pick(kCores, in.Next())});
        break;
      case 7:
        args.insert(args.end(), {"--del-lib", Pick(kCores, in.Next())});
        break;
      default:
        args.insert(args.end(), {"--rename", std::string(Pick(kNames, in.Next())) + "=" +
                                                 Pick(kNames, in.Next())});
        break;
    }
  }
  return args;
}

struct Run {
  int status;
  std::string out;
};

Run Tavsw(std::vector<std::string> args) {
  args.insert(args.begin(), "tavsw");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  const int status = TavswMain(static_cast<int>(args.size()), argv.data(), out, err, false);
  return {status, out.str()};
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const fs::path& Scratch() {
  static const fs::path dir = [] {
    const char* t = std::getenv("TMPDIR");
    fs::path d = fs::path(t && *t ? t : "/tmp") / ("tavsw_fuzz_edit_" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  Bytes in{data, size};
  const uint8_t mode = in.Next();
  const bool crlf = mode & 1, force = mode & 2;
  std::string demo = Read(kEx + "/system.mss");
  if (crlf) {
    std::string t;
    for (char c : demo) t += c == '\n' ? std::string("\r\n") : std::string(1, c);
    demo = t;
  }
  const fs::path mss = Scratch() / "system.mss";
  std::ofstream(mss, std::ios::binary | std::ios::trunc) << demo;

  std::vector<std::string> args{"edit", mss.string(), "--hw", kEx + "/hw/system.json", "--repo",
                                kEx + "/repo"};
  if (force) args.push_back("--force");
  // Mostly one or two actions: one refused action stops the whole edit.
  for (std::string& a : Actions(in, 1 + (mode >> 2) % 4 % 3)) args.push_back(std::move(a));
  const Run r = Tavsw(args);
  const std::string after = Read(mss);
  if (r.status != 0 || r.out != "written\n") {
    // All or nothing: a refused or unchanged edit leaves every byte.
    if (after != demo) std::abort();
    return 0;
  }
  TavSoftware::Mss reread;
  if (TavSoftware::ParseMss::Parse(mss.string(), &reread) != 0) std::abort();
  if (crlf)
    for (size_t i = 0; i < after.size(); ++i)
      if (after[i] == '\n' && (i == 0 || after[i - 1] != '\r')) std::abort();
  const Run again = Tavsw({"edit", mss.string(), "--hw", kEx + "/hw/system.json", "--repo",
                           kEx + "/repo"});
  if (again.status != 0 || again.out != "unchanged\n") std::abort();
  return 0;
}
