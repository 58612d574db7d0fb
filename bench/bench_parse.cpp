// Throughput of the MDD, MLD and MSS readers on large generated
// files, beside the time to read the same bytes and split them into lines.
// The ratio of the two says how much the readers add to plain I/O.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "HeapInUse.h"
#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"
#include "ParseMdd.h"
#include "ParseMld.h"
#include "ParseMss.h"
#include "Port.h"

namespace fs = std::filesystem;
using TavSoftware::String;

namespace {

constexpr size_t kTargetBytes = 10u << 20;

// A driver definition of every statement kind, repeated until it is big.
std::string MakeMdd() {
  std::string s =
      "OPTION psf_version = 2.1;\nBEGIN DRIVER bigdrv\n"
      "  OPTION supported_peripherals = (p_a p_b p_c);\n"
      "  OPTION DRIVER_STATE = ACTIVE;\n";
  for (size_t i = 0; s.size() < kTargetBytes; ++i) {
    std::string n = std::to_string(i);
    s += "  # parameter group " + n + "\n";
    s += "  PARAM name = C_BASE_" + n + ", DEFAULT = 0x4060" + n +
         ", TYPE = int, RANGE = (0, 65535), DESC = \"Base address, group " + n +
         "\", PERMIT = tool;\n";
    s += "  PARAM name = C_MODE_" + n +
         ", VALUES = (\"fast\" = 1, \"slow\" = 2), DEP = (C_USE = 1, C_EXT = 0), TYPE = enum;\n";
    s += "  BEGIN BLOCK, DEP = (C_USE_" + n + " = 1)\n";
    s += "    OPTION DEPENDS = (a b c);\n";
    s += "    PARAM name = C_IN_" + n + ", DEFAULT = true, TYPE = bool;\n";
    s += "  END BLOCK\n";
    s += "  BEGIN INTERFACE if_" + n + "\n";
    s += "    PROPERTY header = xdrv_" + n + ".h;\n";
    s += "    FUNCTION NAME = send_" + n + ", VALUE = XDrv_Send;\n";
    s += "  END INTERFACE\n";
    s += "  BEGIN ARRAY tab_" + n + "\n";
    s += "    PROPERTY desc = \"a table\";\n";
    s += "    PROPERTY default = ((1, 2), (3, 4), (5, 6));\n";
    s += "    PARAM name = col_a, TYPE = int;\n";
    s += "  END ARRAY\n";
  }
  s += "END DRIVER\n";
  return s;
}

// Parameters only, each with a default, a type, a four-value range, a
// quoted description and a permission: the shape of large driver files.
std::string MakeMddParams() {
  std::string s =
      "OPTION psf_version = 2.1;\nBEGIN DRIVER params\n"
      "  OPTION supported_peripherals = (p_a p_b);\n";
  for (size_t i = 0; s.size() < kTargetBytes; ++i) {
    std::string n = std::to_string(i);
    s += "  PARAM name = C_PARAM_" + n + ", DEFAULT = " + n + ", TYPE = int, RANGE = (0, 1, 2, " +
         n + "), DESC = \"Parameter number " + n + " of the driver\", PERMIT = user;\n";
  }
  s += "END DRIVER\n";
  return s;
}

std::string MakeMld() {
  std::string s =
      "OPTION psf_version = 2.1;\nBEGIN LIBRARY biglib\n"
      "  OPTION COPYFILES = all;\n  OPTION REQUIRES_OS = (standalone);\n";
  for (size_t i = 0; s.size() < kTargetBytes; ++i) {
    std::string n = std::to_string(i);
    s += "  PARAM name = top_" + n + ", DEFAULT = " + n + ", TYPE = int, DESC = \"top, " + n +
         "\";\n";
    s += "  BEGIN CATEGORY cat_" + n + "\n";
    s +=
        "    PARAM name = cat_" + n + ", DEFAULT = true, TYPE = bool, DEP = (top_" + n + " = 1);\n";
    s += "    PARAM name = depth_" + n + ", DEFAULT = 4, TYPE = int, PERMIT = user;\n";
    s += "    PROPERTY note = category " + n + ";\n";
    s += "  END CATEGORY\n";
    s += "  BEGIN INTERFACE io_" + n + "\n";
    s += "    FUNCTION NAME = put_" + n + ", VALUE = putc;\n";
    s += "  END INTERFACE\n";
    s += "  BEGIN ARRAY arr_" + n + "\n";
    s += "    PROPERTY default = (1, 2, 3, 4);\n";
    s += "  END ARRAY\n";
  }
  s += "END LIBRARY\n";
  return s;
}

std::string MakeMss() {
  std::string s = "# system\n\nPARAMETER VERSION = 2.2.0\n\n";
  for (size_t i = 0; s.size() < kTargetBytes; ++i) {
    std::string n = std::to_string(i);
    s += "BEGIN DRIVER\n";
    s += " PARAMETER DRIVER_NAME = tavuart  # the driver\n";
    s += " PARAMETER DRIVER_VER = 1.00.a\n";
    s += " PARAMETER HW_INSTANCE = uart_" + n + "\n";
    s += " PARAMETER C_BAUD = 9600\n";
    s += " PARAMETER tbl = ((a, b), (c, d))\n";
    s += "END\n\n";
  }
  return s;
}

struct Files {
  std::string dir, mdd, mddParams, mld, mss;
  Files() {
    dir = (fs::temp_directory_path() / ("tavsw_bench_" + std::to_string(::getpid()))).string();
    fs::create_directories(dir);
    mdd = Write("big_v2_1_0.mdd", MakeMdd());
    mddParams = Write("params_v2_1_0.mdd", MakeMddParams());
    mld = Write("big_v2_1_0.mld", MakeMld());
    mss = Write("big.mss", MakeMss());
  }
  // With TAVSW_BENCH_KEEP set the files stay, for timing the tool on them.
  ~Files() {
    if (std::getenv("TAVSW_BENCH_KEEP")) {
      std::fprintf(stderr, "bench_parse: files kept in %s\n", dir.c_str());
      return;
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::string p = dir + "/" + name;
    std::ofstream(p, std::ios::binary) << text;
    return p;
  }
};

const Files& TheFiles() {
  static Files files;
  return files;
}

int64_t SizeOf(const std::string& path) { return static_cast<int64_t>(fs::file_size(path)); }

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The floor: open the file and split it into lines, nothing else.
size_t SplitLines(const std::string& path) {
  String line;
  Port::Stream in;
  in.open(path);
  size_t lines = 0;
  while (!in.geteof() && in.readline(line)) ++lines;
  return lines;
}

void ReadLines(benchmark::State& state, const std::string& path) {
  for (auto _ : state) benchmark::DoNotOptimize(SplitLines(path));
  state.SetBytesProcessed(state.iterations() * SizeOf(path));
}

// The best of a few line splits, measured beside the parse so that the
// ratio of the two does not depend on what ran before.
double LinesSeconds(const std::string& path) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(SplitLines(path));
    best = std::min(best, Seconds(Clock::now() - t0));
  }
  return best;
}

template <class File, class Reader>
void Parse(benchmark::State& state, const std::string& path) {
  MsgCapture quiet;  // a broken generator would otherwise flood stderr
  size_t treeBytes = 0;
  double parseSeconds = 0, destroySeconds = 0;
  const double linesSeconds = LinesSeconds(path);
  for (auto _ : state) {
    const size_t before = HeapInUse();
    const auto t0 = Clock::now();
    auto file = std::make_unique<File>();
    int rc = Reader::Parse(path, file.get());
    parseSeconds += Seconds(Clock::now() - t0);
    if (rc != 0) {
      state.SkipWithError("the generated file did not parse cleanly");
      break;
    }
    state.PauseTiming();  // measuring and destroying the tree is not reading
    treeBytes = HeapInUse() - before;
    const auto t1 = Clock::now();
    file.reset();
    destroySeconds += Seconds(Clock::now() - t1);
    state.ResumeTiming();
  }
  const double n = static_cast<double>(std::max<int64_t>(1, state.iterations()));
  // Reading and throwing the tree away, as a user's process does, against
  // only splitting the same bytes into lines.
  state.counters["x_lines"] = (parseSeconds + destroySeconds) / n / linesSeconds;
  state.counters["destroy_ms"] = destroySeconds / n * 1000.0;
  state.SetBytesProcessed(state.iterations() * SizeOf(path));
  // Memory: what the tree read from the file holds, per byte of input.
  state.counters["tree_MiB"] = static_cast<double>(treeBytes) / (1024.0 * 1024.0);
  state.counters["heap_per_input_byte"] =
      static_cast<double>(treeBytes) / static_cast<double>(SizeOf(path));
}

void BM_ReadLines_Mdd(benchmark::State& s) { ReadLines(s, TheFiles().mdd); }
void BM_ParseMdd(benchmark::State& s) {
  Parse<TavSoftware::Mdd, TavSoftware::ParseMdd>(s, TheFiles().mdd);
}
void BM_ReadLines_MddParams(benchmark::State& s) { ReadLines(s, TheFiles().mddParams); }
void BM_ParseMddParams(benchmark::State& s) {
  Parse<TavSoftware::Mdd, TavSoftware::ParseMdd>(s, TheFiles().mddParams);
}
void BM_ReadLines_Mld(benchmark::State& s) { ReadLines(s, TheFiles().mld); }
void BM_ParseMld(benchmark::State& s) {
  Parse<TavSoftware::Mld, TavSoftware::ParseMld>(s, TheFiles().mld);
}
void BM_ReadLines_Mss(benchmark::State& s) { ReadLines(s, TheFiles().mss); }
void BM_ParseMss(benchmark::State& s) {
  Parse<TavSoftware::Mss, TavSoftware::ParseMss>(s, TheFiles().mss);
}

BENCHMARK(BM_ReadLines_Mdd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseMdd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLines_MddParams)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseMddParams)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLines_Mld)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseMld)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLines_Mss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseMss)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
