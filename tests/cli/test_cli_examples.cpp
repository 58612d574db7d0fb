// The demo installation in examples/ must stay readable: every definition
// and system file parses cleanly, and every core directory is laid out the
// way the repository scanner expects (<name>_v<version>/data/<name>_v2_1_0.<ext>).
#include <algorithm>
#include <filesystem>

#include "CliRun.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

using tavtest::RunTavsw;

std::vector<std::string> ExampleFiles() {
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(TAVSW_EXAMPLES)) {
    const std::string ext = e.path().extension().string();
    if (e.is_regular_file() && (ext == ".mdd" || ext == ".mld" || ext == ".mss"))
      files.push_back(e.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class CliExamples : public tavtest::ScratchTest {};

TEST_F(CliExamples, EveryExampleFileParsesWithoutDiagnostics) {
  std::vector<std::string> args = ExampleFiles();
  ASSERT_GE(args.size(), 10u);
  args.insert(args.begin(), "parse");
  auto r = RunTavsw(args);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

TEST_F(CliExamples, CoreDirectoriesFollowTheRepositoryLayout) {
  const fs::path repo = fs::path(TAVSW_EXAMPLES) / "repo";
  const struct {
    const char* category;
    const char* ext;
  } categories[] = {{"drivers", ".mdd"}, {"bsp", ".mld"}, {"sw_services", ".mld"}};
  const Port_Regexp coreDir("^[a-z0-9]+_v[0-9]+_[0-9]+_[a-z]$");
  int cores = 0;
  for (const auto& c : categories) {
    for (const auto& core : fs::directory_iterator(repo / c.category)) {
      const std::string dirName = core.path().filename().string();
      size_t b = 0, e = 0;
      ASSERT_TRUE(coreDir.GetRangeOfMatch(dirName, 0, b, e)) << dirName;
      const std::string name = dirName.substr(0, dirName.rfind("_v"));
      const fs::path def = core.path() / "data" / (name + "_v2_1_0" + c.ext);
      EXPECT_TRUE(fs::is_regular_file(def)) << def;
      ++cores;
    }
  }
  EXPECT_GE(cores, 10);
  EXPECT_TRUE(fs::is_regular_file(repo / "bsp/standalone_v2_00_a/data/standalone_v2_1_0.mld"));
}

TEST_F(CliExamples, SystemFormatsToAFileThatReadsBack) {
  const std::string out = dir / "system.mss";
  auto r = RunTavsw({"fmt", std::string(TAVSW_EXAMPLES) + "/system.mss", "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunTavsw({"parse", out});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(tavtest::Contains(r.out, "MSS system: 1 OS, 1 processor, 6 drivers, 1 library\n"))
      << r.out;
}

}  // namespace
