// tavsw build, check and tcl on the demo system and on broken inputs.
#include <map>
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
  EXPECT_EQ("", r.err);
  for (const char* part : {
           "processor cpu_0: driver tavcpu 1.00.a, os standalone 2.00.a\n"
           "  libraries: tavfs 1.00.a\n",
           // The processor's, the OS's and the library's parameters.
           "  processor driver tavcpu 1.00.a\n    DRIVER_NAME = tavcpu (mss)\n"
           "    compiler = tav32-gcc (mss)\n    archiver = tav32-ar (default)\n",
           "  os standalone 2.00.a\n    OS_NAME = standalone (mss)\n    stdin = uart_0 (mss)\n",
           "  library tavfs 1.00.a\n    LIBRARY_NAME = tavfs (mss)\n    fs_medium = 1 (mss)\n",
           "    ramdisk_size = 32768 (mss)\n",
           // One driver for two serial ports: both instances.
           "  driver tavuart 1.00.a serves uart_0, uart_1\n    DRIVER_NAME = tavuart (mss)\n"
           "    C_BAUDRATE = 115200 (mss)\n    C_PARITY = 0 (default)\n"
           "    DRIVER_VER = 1.00.a (mss)\n    HW_INSTANCE = uart_0 (mss)\n"
           "    HW_INSTANCE = uart_1 (mss)\n  driver tavgpio",
           // An array, with the rows the definition filled in.
           "    ARRAY pin_map = ((0, out), (1, out), (0, in), (0, in))\n",
           "    one_shot_delay = 1000 (default)\n"})
    EXPECT_TRUE(Contains(r.out, part)) << part << r.out;
  // The hardware's parameters are the hardware's: the software model
  // shows no default of its own for them.
  EXPECT_FALSE(Contains(r.out, "C_BASEADDR")) << r.out;
  EXPECT_FALSE(Contains(r.out, "C_FAMILY")) << r.out;
}

// A value the build reset or dropped shows what the MSS said; a value it
// took from the MSS does not repeat it.
TEST_F(CliModelTest, BuildShowsTheMssValueOnlyWhereTheValueUsedDiffers) {
  const std::string mss = dir.Write(
      "reset.mss",
      "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = tavcpu\n PARAMETER DRIVER_VER = 1.00.a\n"
      " PARAMETER HW_INSTANCE = cpu_0\nEND\n"
      "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = tavfs\n PARAMETER LIBRARY_VER = 1.00.a\n"
      " PARAMETER PROC_INSTANCE = cpu_0\n PARAMETER fs_medium = 1\n PARAMETER flash_base = 0x100\nEND\n");
  auto r = RunTavsw({"build", mss, "--hw", kHw, "--repo", kRepo, "--json"});
  EXPECT_EQ(0, r.status) << r.out;
  const auto doc = nlohmann::json::parse(r.out);
  std::map<std::string, nlohmann::json> params;
  for (const auto& p : doc["processors"].at(0)["libraries"].at(0)["parameters"])
    params[p["name"]] = p;
  EXPECT_EQ((nlohmann::json{{"name", "fs_medium"}, {"value", "1"}, {"source", "mss"}}),
            params["fs_medium"]);
  EXPECT_EQ((nlohmann::json{{"name", "flash_base"}, {"value", "0x0"}, {"source", "default"},
                            {"mss_value", "0x100"}}),
            params["flash_base"]);
  r = RunTavsw({"build", mss, "--hw", kHw, "--repo", kRepo});
  EXPECT_TRUE(Contains(r.out, "    fs_medium = 1 (mss)\n    read_only")) << r.out;
  EXPECT_TRUE(Contains(r.out, "    flash_base = 0x0 (default, MSS said 0x100)\n")) << r.out;
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
      EXPECT_EQ((nlohmann::json{{"name", "C_BAUDRATE"}, {"value", "115200"}, {"source", "mss"}}), p);
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
  // The text as the library wrote it, and where it points.
  EXPECT_EQ((nlohmann::json{{"severity", "error"},
                            {"text", broken + " line 5 - Cannot find MDD file tavuart_v2_1_0.mdd "
                                              "for the driver tavuart 9.00.a"},
                            {"file", broken},
                            {"line", 5}}),
            doc["diagnostics"].at(0));

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
      // A hardware description that cannot be used is an input error.
      {{"build", kMss, "--hw", dir / "none.json"}, 1, "Cannot open hardware description"},
      {{"build", kMss, "--hw", bad}, 1, bad + " - format: expected 1"},
      {{"build", BrokenMss()}, 2, "--hw is required (the MSS names no HW_SPEC_FILE)"},
      {{"check", kMss, "--hw", bad}, 1, "format: expected 1"},
      {{"check", kMss, "--hw", dir / "none.json"}, 1, "Cannot open hardware description"},
      {{"tcl", dir.Write("t.tcl", ""), kMss, "--hw", bad}, 1, "format: expected 1"},
      {{"build", kMss, "--hw", kHw, "--proc", "uart_0"}, 1, "no processor instance 'uart_0' in the hardware"},
      {{"build", dir / "none.mss", "--hw", kHw}, 1, "Cannot open file \"" + dir / "none.mss" + "\" for reading"},
      {{"tcl", kMss, "--hw", kHw}, 2, "a script and an MSS file are needed"},
  };
  for (const auto& c : cases) {
    auto res = RunTavsw(c.args);
    EXPECT_EQ(c.status, res.status) << c.args[0];
    EXPECT_TRUE(Contains(res.err, c.err)) << res.err;
  }
  // With --json the document still comes, saying why there is no model.
  r = RunTavsw({"build", kMss, "--hw", bad, "--json"});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("", r.err);
  doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(1, doc["errors"]);
  EXPECT_EQ(bad, doc["diagnostics"].at(0)["file"]);
  EXPECT_EQ(nlohmann::json::array(), doc["processors"]);
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

// The count check gives is the count of the errors it printed.
TEST_F(CliModelTest, CheckCountsTheErrorsItShows) {
  const std::string none = dir / "nothere.mss";
  auto r = RunTavsw({"check", none, "--repo", kRepo});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("ERROR: Cannot open file \"" + none + "\" for reading\n", r.err);
  EXPECT_EQ(none + ": 1 error(s)\n", r.out);
  r = RunTavsw({"check", none, "--repo", kRepo, "--json"});
  EXPECT_EQ(1, r.status);
  auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(1, doc["errors"]);
  EXPECT_EQ(1u, doc["diagnostics"].size());
  EXPECT_EQ(none, doc["diagnostics"].at(0)["file"]);
  EXPECT_EQ(nullptr, doc["diagnostics"].at(0)["line"]);
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
