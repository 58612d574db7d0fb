// Repository scanning, core lookups and reading every definition file over a
// generated repository of 5,000 cores.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "HeapInUse.h"
#include "Port.h"
#include "SwCore.h"
#include "SwRepos.h"
#include "SwReposMan.h"

namespace fs = std::filesystem;
using TavSoftware::SwCore;
using TavSoftware::SwRepos;
using TavSoftware::SwReposMan;

namespace {

constexpr int kNames = 1000;
constexpr int kVersions = 5;  // kNames * kVersions cores
constexpr int kDriverNames = 600;
const char* const kVersionDirs[kVersions] = {"1_00_a", "1_01_a", "2_00_a", "2_00_b", "3_10_c"};
const char* const kVersionDots[kVersions] = {"1.00.a", "1.01.a", "2.00.a", "2.00.b", "3.10.c"};

std::string CoreName(int i) { return (i < kDriverNames ? "drv" : "lib") + std::to_string(i); }

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The generated repository, removed when the program ends.
class SyntheticRepo {
 public:
  SyntheticRepo() {
    std::string tmpl = (fs::temp_directory_path() / "tavsw_bench_XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    root_ = tmpl;
    for (int i = 0; i < kNames; ++i) {
      std::string name = CoreName(i);
      bool driver = i < kDriverNames;
      const char* category =
          driver ? (i % 2 ? "drivers" : "pcores") : (i % 2 ? "bsp" : "sw_services");
      for (int v = 0; v < kVersions; ++v) {
        fs::path data = root_ / category / (name + "_v" + kVersionDirs[v]) / "data";
        if (driver) {
          WriteFile(data / (name + "_v2_1_0.mdd"),
                    "OPTION psf_version = 2.1;\n\nBEGIN DRIVER " + name +
                        "\nOPTION copyfiles = all;\nOPTION DRIVER_STATE = ACTIVE;\n"
                        "PARAM name = baud, desc = \"rate\", type = int, default = 9600;\n"
                        "PARAM name = parity, type = string, default = none;\nEND DRIVER\n");
        } else {
          const char* type = i % 5 == 0 ? "OS" : "LIBRARY";
          WriteFile(data / (name + "_v2_1_0.mld"),
                    std::string("OPTION psf_version = 2.1;\n\nBEGIN ") + type + " " + name +
                        "\nOPTION DESC = \"generated\";\n"
                        "PARAM name = size, type = int, default = 4;\nEND " +
                        type + "\n");
        }
      }
    }
  }
  ~SyntheticRepo() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string Dir() const { return root_.string(); }

 private:
  fs::path root_;
};

const SyntheticRepo& Repo() {
  static SyntheticRepo repo;
  return repo;
}

std::unique_ptr<SwReposMan> ScanRepo() {
  auto man = std::make_unique<SwReposMan>(false);
  man->AddSwRepos(Repo().Dir(), SwRepos::USER);
  return man;
}

// The scan must find every core and must not read a single definition file.
bool ScanIsLazyAndComplete(SwReposMan& man, benchmark::State& state) {
  std::vector<SwCore*> cores;
  if (man.GetSwCoreSeqRef(cores) != kNames * kVersions) {
    state.SkipWithError("the scan did not find every core");
    return false;
  }
  for (const SwCore* c : cores) {
    if (c->IsPsfFileObjLoaded(SwCore::MDD) || c->IsPsfFileObjLoaded(SwCore::MLD)) {
      state.SkipWithError("a definition file was read during the scan");
      return false;
    }
  }
  return true;
}

// Bytes the allocator hands out at the moment.

void BM_Scan(benchmark::State& state) {
  Repo();
  std::unique_ptr<SwReposMan> man;
  size_t heap = 0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    man = ScanRepo();
    benchmark::DoNotOptimize(man.get());
    state.PauseTiming();
    heap = HeapInUse() - before;
    bool ok = ScanIsLazyAndComplete(*man, state);
    man.reset();
    state.ResumeTiming();
    if (!ok) break;
  }
  state.counters["cores"] = kNames * kVersions;
  // Memory: what the scanned repository holds, per core.
  state.counters["heap_bytes_per_core"] = static_cast<double>(heap) / (kNames * kVersions);
}
BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);

void BM_LookupByName(benchmark::State& state) {
  auto man = ScanRepo();
  if (!ScanIsLazyAndComplete(*man, state)) return;
  int i = 0;
  for (auto _ : state) {
    SwCore* c = man->GetCoreByName(CoreName(i), "");
    if (!c || c->GetVersion() != kVersionDots[kVersions - 1]) {
      state.SkipWithError("lookup without version missed the newest scanned core");
      break;
    }
    benchmark::DoNotOptimize(c);
    i = (i + 7) % kNames;
  }
}
BENCHMARK(BM_LookupByName);

void BM_LookupWithVersion(benchmark::State& state) {
  auto man = ScanRepo();
  if (!ScanIsLazyAndComplete(*man, state)) return;
  int i = 0;
  for (auto _ : state) {
    SwCore* c = man->GetCoreByName(CoreName(i), kVersionDots[i % kVersions]);
    if (!c) {
      state.SkipWithError("lookup with version found nothing");
      break;
    }
    benchmark::DoNotOptimize(c);
    i = (i + 7) % kNames;
  }
}
BENCHMARK(BM_LookupWithVersion);

void BM_ParseAllDefinitions(benchmark::State& state) {
  size_t heap = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto man = ScanRepo();
    bool ok = ScanIsLazyAndComplete(*man, state);
    Port_MsgManData::ResetErrorCount();
    state.ResumeTiming();
    if (!ok) break;
    const size_t before = HeapInUse();
    for (SwRepos* r : man->GetSwReposSeqRef())
      for (SwCore* c : r->GetSwCoreSeqRef())
        benchmark::DoNotOptimize(c->GetPsfFileObj(c->GetPsfKind()));
    state.PauseTiming();
    heap = HeapInUse() - before;
    if (Port_MsgManData::GetErrorCount() != 0) {
      state.SkipWithError("generated definition files did not read cleanly");
      break;
    }
    man.reset();
    state.ResumeTiming();
  }
  state.counters["files"] = kNames * kVersions;
  // Memory: what the definitions read hold, per file.
  state.counters["heap_bytes_per_file"] = static_cast<double>(heap) / (kNames * kVersions);
}
BENCHMARK(BM_ParseAllDefinitions)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
