// tavsw build, check and tcl on the demo system and on broken inputs.
#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "TestSupport.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;

const std::string kEx = TAVSW_EXAMPLES;
const std::string kMss = kEx + "/system.mss", kHw = kEx + "/hw/system.json", kRepo = kEx + "/repo";

class CliModelTest : public tavtest::ScratchTest {
 protected:
  // An MSS whose driver names a version no repository has.
  std::string BrokenMss() {
    return dir.Write("broken.mss",
                     "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = tavcpu\n PARAMETER HW_INSTANCE = cpu_0\nEND\n"
                     "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n PARAMETER DRIVER_VER = 9.00.a\n"
                     " PARAMETER HW_INSTANCE = uart_0\nEND\n");
  }
};

TEST_F(CliModelTest, BuildShowsTheDemoPerProcessor) {
  auto r = RunTavsw({"build", kMss, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  for (const char* line : {"processor cpu_0: driver tavcpu 1.00.a, os standalone 2.00.a\n",
                           "  libraries: tavfs 1.00.a\n",
                           "  driver tavuart 1.00.a serves uart_0, uart_1\n",
                           "    C_BAUDRATE = 115200 (mss)\n", "    one_shot_delay = 1000 (default)\n"})
    EXPECT_TRUE(Contains(r.out, line)) << line << r.out;
}

TEST_F(CliModelTest, BuildJsonIsOneDocumentOfTheDocumentedShape) {
  auto r = RunTavsw({"build", kMss, "--hw", kHw, "--repo", kRepo, "--json"});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("", r.err);
  auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(1, doc["format"]);
  EXPECT_EQ(0, doc["errors"]);
  EXPECT_TRUE(doc["diagnostics"].is_array());
  for (const char* k : {"drivers", "processors", "oss", "libraries"}) EXPECT_TRUE(doc["model"][k].is_array());
  const auto& proc = doc["processors"].at(0);
  EXPECT_EQ("cpu_0", proc["instance"]);
  EXPECT_EQ("tavcpu", proc["driver"]["name"]);
  EXPECT_EQ("2.00.a", proc["os"]["version"]);
  const auto& uart = proc["drivers"].at(0);
  EXPECT_EQ((nlohmann::json{"uart_0", "uart_1"}), uart["instances"]);
  const auto& gpio = proc["drivers"].at(1);
  EXPECT_EQ("pin_map", gpio["arrays"].at(0)["name"]);
  EXPECT_EQ(4u, gpio["arrays"].at(0)["rows"].size());
  bool sawMss = false;
  for (const auto& p : uart["parameters"])
    if (p["name"] == "C_BAUDRATE") {
      EXPECT_EQ("mss", p["source"]);
      EXPECT_EQ("115200", p["mss_value"]);
      sawMss = true;
    }
  EXPECT_TRUE(sawMss);
}

TEST_F(CliModelTest, BuildErrorsAndUnusableInputs) {
  const std::string broken = BrokenMss();
  auto r = RunTavsw({"build", broken, "--hw", kHw, "--repo", kRepo, "--json"});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("", r.err);
  auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(1, doc["errors"]);
  EXPECT_EQ(nlohmann::json::array(), doc["processors"]);
  EXPECT_EQ(1u, doc["model"]["processors"].size());
  EXPECT_EQ("error", doc["diagnostics"].at(0)["severity"]);
  EXPECT_EQ(broken + " line 5 - Cannot find MDD file tavuart_v2_1_0.mdd for the driver tavuart 9.00.a",
            doc["diagnostics"].at(0)["text"]);

  r = RunTavsw({"build", broken, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(Contains(r.err, "ERROR: " + broken + " line 5 - Cannot find MDD file")) << r.err;

  // What reading the MSS says comes after what the repositories say, and
  // not at all when a repository cannot be used.
  const std::string unread = dir.Write("unread.mss", "BEGIN BOGUS\n");
  dir.Write("empty/drivers/.keep", "");
  r = RunTavsw({"build", unread, "--hw", kHw, "--repo", dir / "empty"});
  EXPECT_EQ(r.err.find("tavsw: " + dir / "empty" + ": holds no core\nERROR: " + unread + " line 1"),
            0u) << r.err;
  r = RunTavsw({"build", unread, "--hw", kHw, "--repo", dir / "none"});
  EXPECT_EQ(1, r.status);
  EXPECT_FALSE(Contains(r.err, unread)) << r.err;

  const std::string bad = dir.Write("bad.json", "{ \"format\": 2, \"instances\": [] }");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"build", kMss, "--hw", dir / "none.json"}, 2, "Cannot open hardware description"},
      {{"build", kMss, "--hw", bad}, 2, bad + " - format: expected 1"},
      {{"build", kMss}, 2, "--hw is required"},
      {{"check", kMss, "--hw", bad}, 2, "format: expected 1"},
      {{"build", kMss, "--hw", kHw, "--proc", "uart_0"}, 1, "no processor instance 'uart_0' in the hardware"},
      {{"build", dir / "none.mss", "--hw", kHw}, 1, "Cannot open file \"" + dir / "none.mss" + "\" for reading"},
      {{"tcl", kMss, "--hw", kHw}, 2, "a script and an MSS file are needed"},
  };
  for (const auto& c : cases) {
    auto res = RunTavsw(c.args);
    EXPECT_EQ(c.status, res.status) << c.args[0];
    EXPECT_TRUE(Contains(res.err, c.err)) << res.err;
  }
}

TEST_F(CliModelTest, CheckWithAndWithoutHardware) {
  auto r = RunTavsw({"check", kMss, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(kMss + ": no errors\n", r.out);
  r = RunTavsw({"check", BrokenMss(), "--hw", kHw, "--repo", kRepo, "--json"});
  EXPECT_EQ(1, r.status);
  auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(1, doc["errors"]);
  EXPECT_EQ(dir / "broken.mss" + " line 5 - Cannot find MDD for the driver tavuart 9.00.a",
            doc["diagnostics"].at(0)["text"]);
}

// Leaving the model for the exit must not change a word of what is said.
TEST_F(CliModelTest, ACommandWhoseProcessEndsSaysTheSame) {
  const std::string broken = BrokenMss();
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"build", kMss, "--hw", kHw, "--repo", kRepo},
           {"build", kMss, "--hw", kHw, "--repo", kRepo, "--json"},
           {"build", broken, "--hw", kHw, "--repo", kRepo},
           {"check", kMss, "--hw", kHw, "--repo", kRepo, "--json"},
           {"check", broken, "--repo", kRepo},
           {"parse", "--json", kMss, kRepo + "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd"},
           {"parse", broken, kMss}}) {
    const auto kept = RunTavsw(args, false), left = RunTavsw(args, true);
    EXPECT_EQ(kept.status, left.status) << args[1];
    EXPECT_EQ(kept.out, left.out) << args[1];
    EXPECT_EQ(kept.err, left.err) << args[1];
  }
}

TEST_F(CliModelTest, TclRunsScriptsWithArgumentsAndExitCodes) {
  const std::string out = dir / "names.txt";
  const std::string script = dir.Write(
      "names.tcl",
      "set f [open [lindex $argv 0] w]\n"
      "foreach p [tget_handle $::tavsw::model PROCESSOR *] { puts $f [tget_value $p name] }\n"
      "puts $f $argc\nclose $f\n");
  auto r = RunTavsw({"tcl", script, kMss, "--hw", kHw, "--repo", kRepo, "--", out, "more"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("tavcpu\n2\n", tavtest::ReadFile(out));

  r = RunTavsw({"tcl", dir.Write("exit.tcl", "exit 3\nerror unreachable\n"), kMss, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(3, r.status);
  r = RunTavsw({"tcl", dir.Write("fail.tcl", "proc f {} { error boom }\nf\n"), kMss, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(Contains(r.err, "fail.tcl: boom\nboom\n    while executing\n")) << r.err;
  // A model with errors: the script does not run.
  r = RunTavsw({"tcl", script, BrokenMss(), "--hw", kHw, "--repo", kRepo, "--", dir / "never.txt"});
  EXPECT_EQ(1, r.status);
  EXPECT_FALSE(Port::File::exist(dir / "never.txt"));
}

}  // namespace
