// Feeds arbitrary command lines to tavsw: the input's lines are the
// arguments. It runs in a scratch directory of its own holding a small MSS,
// an MDD and a repository, laid out anew for every input; arguments that
// would reach outside it (absolute paths, "..") are replaced, so whatever
// the tool writes stays there. As it changes the working directory, give
// libFuzzer the corpus directories as absolute paths.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCommon.h"
#include "Tavsw.h"

namespace fs = std::filesystem;

namespace {

void Put(const fs::path& path, const char* text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void LayOut(const fs::path& dir) {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) fs::remove_all(e.path(), ec);
  Put(dir / "a.mss",
      "# system\n\nPARAMETER VERSION = 2.2.0\nBEGIN DRIVER\n PARAMETER DRIVER_NAME = d\n"
      " PARAMETER t = ((1,2),(3,4))\n INTERFACE i\nEND\nBEGIN OS\n PARAMETER OS_NAME = os\nEND\n");
  Put(dir / "b.mss", "PARAMETER X = \"1\", 2\nBEGIN PROCESSOR\n PARAMETER a = (1)\nEND\n#\n");
  Put(dir / "c.mdd", "BEGIN DRIVER c\n PARAM name = P, default = 1, type = int;\nEND DRIVER\n");
  Put(dir / "r/drivers/x_v1_00_a/data/x_v2_1_0.mdd", "BEGIN DRIVER x\nEND DRIVER\n");
  Put(dir / "r/bsp/os_v1_00_a/data/os_v2_1_0.mld", "BEGIN OS os\nEND OS\n");
}

// Kept apart from the function's static: an exit handler runs after the
// destructors of statics made after it was registered.
const fs::path* g_sandbox = nullptr;

void RemoveSandbox() {
  std::error_code ec;
  if (g_sandbox && ::chdir("/") == 0) fs::remove_all(*g_sandbox, ec);
}

const fs::path& Sandbox() {
  if (!g_sandbox) {
    const char* t = std::getenv("TMPDIR");
    g_sandbox = new fs::path(fs::path(t && *t ? t : "/tmp") /
                             ("tavsw_fuzz_cli_" + std::to_string(::getpid())));
    fs::create_directories(*g_sandbox);
    if (::chdir(g_sandbox->c_str()) != 0) std::abort();
    // libFuzzer ends a timed run through exit(); the scratch tree goes with it.
    std::atexit(RemoveSandbox);
    ::unsetenv("QUARLY_VEK");
  }
  return *g_sandbox;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  LayOut(Sandbox());
  std::vector<std::string> args{"tavsw"};
  std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream lines(input);
  for (std::string a; std::getline(lines, a) && args.size() < 24;) {
    a = a.substr(0, a.find('\0'));  // argv words end at a NUL
    if (a.find('/') == 0 || a.find("..") != std::string::npos) a = "a.mss";
    args.push_back(a);
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  const int status = TavswMain(static_cast<int>(args.size()), argv.data(), out, err);
  if (status < 0 || status > 2) std::abort();  // the exit-code rule holds for any input
  return 0;
}
