// The whole build of a runtime model from files: a synthetic repository of
// 5,000 cores, a hardware description and an MSS with one or four
// processors and 250 to 4,000 peripherals of 50 IP types. Reports the time
// and the heap the model holds; the cost should grow linearly with the
// number of peripherals.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "HeapInUse.h"
#include "HwDbFile.h"
#include "Port.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "SwReposMan.h"

namespace fs = std::filesystem;
using namespace TavSoftware;

namespace {

constexpr int kTypes = 50;
constexpr int kFillerNames = 990;  // 5 versions each, with the 50 types: ~5,000 cores

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class Quiet : public MsgSink {
 public:
  void Report(const MsgRecord&) override {}
};

// The repository and the systems, written once, removed at the end.
class Workspace {
 public:
  Workspace() {
    std::string tmpl = (fs::temp_directory_path() / "tavsw_bench_build_XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    root_ = tmpl;
    const fs::path repo = root_ / "repo";
    for (int t = 0; t < kTypes; ++t) {
      const std::string name = "ip" + std::to_string(t);
      WriteFile(repo / "drivers" / (name + "_v1_00_a") / "data" / (name + "_v2_1_0.mdd"),
                "BEGIN DRIVER " + name + "\nOPTION supported_peripherals = (" + name +
                    ");\nPARAM name = C_BASEADDR, type = int, default = 0x0;\n"
                    "PARAM name = rate, type = int, default = 9600, range = (9600, 19200);\n"
                    "BEGIN ARRAY tbl\nPROPERTY size = 2;\nPARAM name = v, default = 1;\nEND ARRAY\n"
                    "END DRIVER\n");
    }
    for (int i = 0; i < kFillerNames; ++i)
      for (const char* v : {"1_00_a", "1_01_a", "2_00_a", "2_00_b", "3_00_a"}) {
        const std::string name = "filler" + std::to_string(i);
        WriteFile(repo / (i % 2 ? "drivers" : "sw_services") / (name + "_v" + v) / "data" /
                      (name + (i % 2 ? "_v2_1_0.mdd" : "_v2_1_0.mld")),
                  i % 2 ? "BEGIN DRIVER " + name + "\nEND DRIVER\n"
                        : "BEGIN LIBRARY " + name + "\nEND LIBRARY\n");
      }
    WriteFile(repo / "drivers/cpu_v1_00_a/data/cpu_v2_1_0.mdd",
              "BEGIN DRIVER cpu\nOPTION supported_peripherals = (cpu);\nEND DRIVER\n");
    WriteFile(repo / "bsp/standalone_v2_00_a/data/standalone_v2_1_0.mld",
              "BEGIN OS standalone\nEND OS\n");
  }
  // With TAVSW_BENCH_KEEP set the files stay, for timing the tool on them.
  ~Workspace() {
    if (std::getenv("TAVSW_BENCH_KEEP"))
      std::fprintf(stderr, "bench_build: files kept in %s\n", root_.c_str());
    else
      fs::remove_all(root_);
  }

  // The MSS and hardware description of a system; written on first use.
  std::pair<std::string, std::string> System(int procs, int periphs) {
    const std::string tag = std::to_string(procs) + "_" + std::to_string(periphs);
    const fs::path mss = root_ / ("sys" + tag + ".mss"), hw = root_ / ("hw" + tag + ".json");
    if (!fs::exists(mss)) {
      std::string m = "PARAMETER VERSION = 2.2.0\n", h = "{ \"format\": 1, \"instances\": [\n";
      for (int p = 0; p < procs; ++p) {
        const std::string cpu = "cpu_" + std::to_string(p);
        m += "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER HW_INSTANCE = " + cpu +
             "\nEND\nBEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER PROC_INSTANCE = " + cpu +
             "\nEND\n";
        h += "{ \"name\": \"" + cpu + "\", \"type\": \"cpu\", \"version\": \"1.00.a\", "
             "\"class\": \"PROCESSOR\", \"addressable\": [";
        for (int i = p; i < periphs; i += procs) h += (i == p ? "\"" : ", \"") + Periph(i) + "\"";
        h += "] },\n";
      }
      for (int i = 0; i < periphs; ++i) {
        const std::string type = "ip" + std::to_string(i % kTypes);
        m += "BEGIN DRIVER\n PARAMETER DRIVER_NAME = " + type + "\n PARAMETER HW_INSTANCE = " +
             Periph(i) + "\n PARAMETER rate = 9600\nEND\n";
        h += std::string("{ \"name\": \"") + Periph(i) + "\", \"type\": \"" + type +
             "\", \"version\": \"1.00.a\", \"class\": \"PERIPHERAL\", \"parameters\": "
             "{ \"C_BASEADDR\": \"0x" + std::to_string(4096 * i) + "\" } }" +
             (i + 1 < periphs ? ",\n" : "\n");
      }
      WriteFile(mss, m);
      WriteFile(hw, h + "] }\n");
    }
    return {mss.string(), hw.string()};
  }
  std::string Repo() const { return (root_ / "repo").string(); }

 private:
  static std::string Periph(int i) { return "periph_" + std::to_string(i); }
  fs::path root_;
};

Workspace& Space() {
  static Workspace space;
  return space;
}

void BM_BuildFromFiles(benchmark::State& state) {
  const int procs = static_cast<int>(state.range(0)), periphs = static_cast<int>(state.range(1));
  auto [mss, hwFile] = Space().System(procs, periphs);
  Quiet quiet;
  MsgSink* previous = Port_MsgManData::SetSink(&quiet);
  size_t heap = 0;
  int errors = 0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    SwReposMan man(false);
    man.AddSwRepos(Space().Repo(), 0);
    int hwErrors = 0;
    auto hw = TavHwDb::HwDbFile::Read(hwFile, hwErrors);
    std::unique_ptr<SwRTClass> model(SwRTUtil::CreateSwRTObject(hw, mss.c_str(), man, errors, nullptr));
    heap = HeapInUse() - before;
    benchmark::DoNotOptimize(model.get());
  }
  Port_MsgManData::SetSink(previous);
  if (errors) state.SkipWithError("the synthetic system did not build cleanly");
  state.counters["peripherals"] = periphs;
  state.counters["heap_MiB"] = static_cast<double>(heap) / (1024.0 * 1024.0);
  state.counters["us_per_peripheral"] = benchmark::Counter(
      static_cast<double>(periphs), benchmark::Counter::kIsIterationInvariantRate |
                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildFromFiles)
    ->ArgsProduct({{1, 4}, {250, 1000, 4000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
