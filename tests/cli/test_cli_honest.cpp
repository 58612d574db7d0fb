// What the tool reports for a small scratch system: every error it shows is
// counted, every count makes the exit status, and new, edit and build bind
// the versions and drivers they are told to.
#include <filesystem>
#include <map>
#include <set>
#include <nlohmann/json.hpp>

#include "../repos/RepoFixture.h"
#include "CliRun.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;

const char* kHwJson = R"({ "format": 1, "instances": [
  { "name": "cpu_0", "type": "cpu", "version": "1.00.a", "class": "PROCESSOR",
    "addressable": ["uart_0", "uart_1"] },
  { "name": "uart_0", "type": "uart", "version": "1.00.a", "class": "PERIPHERAL" },
  { "name": "uart_1", "type": "uart", "version": "1.00.a", "class": "PERIPHERAL" } ] })";

class CliHonestTest : public tavtest::RepoTest {
 protected:
  void SetUp() override {
    AddDriver("repo", "drivers", "cpu", "1.00.a",
              "OPTION supported_peripherals = (cpu);\nOPTION default_os = rtos;\n");
    AddDriver("repo", "drivers", "othercpu", "1.00.a", "OPTION supported_peripherals = (dsp);\n");
    AddDriver("repo", "drivers", "uart", "1.00.a",
              "OPTION supported_peripherals = (uart);\n"
              "PARAM name = baud, type = int, default = 9600;\n"
              "PARAM name = fifo, type = int, default = 4, permit = none;\n"
              "PARAM name = bits, type = int, default = 8, range = (7, 8);\n"
              "PARAM name = mode, type = enum, values = (fast = FAST, slow = SLOW), default = FAST;\n"
              "PARAM name = console, type = peripheral_instance, range = (uart), "
              "requires_interface = (stdio), default = none;\n"
              "PARAM name = peer, type = peripheral_instance, range = (uart), default = none;\n"
              "BEGIN ARRAY links\n PARAM name = to, type = peripheral_instance, range = (uart);\n"
              " PARAM name = width, type = int, default = 8;\nEND ARRAY\n");
    AddLibrary("repo", "bsp", "rtos", "1.00.a", "OS", "OPTION supported_peripherals = (cpu);\n");
    AddLibrary("repo", "bsp", "rtos", "2.00.a", "OS", "OPTION supported_peripherals = (cpu);\n");
    hw = dir.Write("hw.json", kHwJson);
    repo = Repo("repo");
  }
  // The system: a processor, its OS and the two UARTs, `extra` lines in uart_0.
  std::string System(const std::string& extra = "") {
    return dir.Write("sys.mss",
                     "PARAMETER VERSION = 2.2.0\n\n"
                     "BEGIN OS\n PARAMETER OS_NAME = rtos\n PARAMETER OS_VER = 1.00.a\n"
                     " PARAMETER PROC_INSTANCE = cpu_0\nEND\n\n"
                     "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER DRIVER_VER = 1.00.a\n"
                     " PARAMETER HW_INSTANCE = cpu_0\nEND\n\n"
                     "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
                     " PARAMETER HW_INSTANCE = uart_0\n" +
                         extra +
                         "END\n\n"
                         "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
                         " PARAMETER HW_INSTANCE = uart_1\nEND\n");
  }
  tavtest::CliResult Run(std::vector<std::string> args) {
    args.insert(args.end(), {"--hw", hw, "--repo", repo});
    return RunTavsw(args);
  }
  // The "errors" member of a --json document, or -1.
  static int JsonErrors(const std::string& out) {
    const auto at = out.find("\"errors\":");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 9);
  }

  std::string hw, repo;
};

TEST_F(CliHonestTest, BuildAndCheckCountWhatTheyShow) {
  const std::string mss = System();
  auto r = Run({"build", mss, "--json"});
  ASSERT_EQ(0, r.status) << r.err;
  EXPECT_EQ(0, JsonErrors(r.out));

  // A definition that stops at a fatal syntax error: its errors count, the
  // build fails, and check says the same.
  const std::string mdd = dir.Write("repo/drivers/uart_v1_00_a/data/uart_v2_1_0.mdd",
                                    tavtest::MddText("uart", "OPTION supported_peripherals = (uart);\n"
                                                             "PARAM name = baud, default = 1;\nFOO = 1;\n"));
  for (const char* command : {"build", "check"}) {
    r = Run({command, mss, "--json"});
    EXPECT_EQ(1, r.status) << command << r.err;
    EXPECT_GE(JsonErrors(r.out), 1) << command << r.out;
    EXPECT_TRUE(Contains(r.out, "Errors while parsing MDD file " + mdd)) << command << r.out;
    r = Run({command, mss});
    EXPECT_EQ(1, r.status) << command;
    EXPECT_TRUE(Contains(r.err, mdd + " line 6 - Syntax error.")) << command << r.err;
  }
  tavtest::RepoTest::AddDriver("repo", "drivers", "uart", "1.00.a",
                               "OPTION supported_peripherals = (uart);\n");

  // Reader errors of the MSS itself.
  dir.Write("bad.mss", "PARAMETER VERSION = 2.2.0\nBEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n");
  for (const char* command : {"build", "check"}) {
    r = Run({command, dir / "bad.mss", "--json"});
    EXPECT_EQ(1, r.status) << command << r.err;
    EXPECT_GE(JsonErrors(r.out), 1) << command << r.out;
  }

  // A second instance naming a version no repository holds is reported,
  // not bound to the version of the first.
  dir.Write("v.mss", "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER HW_INSTANCE = cpu_0\nEND\n"
                     "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
                     " PARAMETER HW_INSTANCE = uart_0\nEND\n"
                     "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 7.00.a\n"
                     " PARAMETER HW_INSTANCE = uart_1\nEND\n");
  r = Run({"build", dir / "v.mss"});
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(Contains(r.err, "Cannot find MDD file uart_v2_1_0.mdd for the driver uart 7.00.a")) << r.err;
}

TEST_F(CliHonestTest, BuildSaysWhereEachValueCameFrom) {
  // fifo is not the user's to set: the build puts its default back.
  auto r = Run({"build", System(" PARAMETER fifo = 9\n"), "--json"});
  ASSERT_EQ(0, r.status) << r.err << r.out;
  const auto doc = nlohmann::json::parse(r.out);
  std::map<std::string, nlohmann::json> params;
  for (const auto& p : doc["model"]["drivers"][0]["parameters"]) params[p["name"]] = p;
  EXPECT_EQ(R"({"name":"baud","source":"default","value":"9600"})", params["baud"].dump());
  EXPECT_EQ(R"({"mss_value":"9","name":"fifo","source":"default","value":"4"})", params["fifo"].dump());
  EXPECT_EQ(R"({"name":"HW_INSTANCE","source":"mss","value":"uart_0"})", params["HW_INSTANCE"].dump());
  const std::string warning = doc["diagnostics"][0]["text"];
  EXPECT_TRUE(Contains(warning, "PARAMETER fifo is not user configurable and hence ignoring it!")) << warning;
}

TEST_F(CliHonestTest, CheckRejectsWhatBuildRejects) {
  auto errorTexts = [](const std::string& out) {
    std::set<std::string> texts;
    const auto doc = nlohmann::json::parse(out);
    for (const auto& d : doc["diagnostics"])
      if (d["severity"] == "error") texts.insert(d["text"].get<std::string>());
    return texts;
  };
  const std::string broken[] = {
      " PARAMETER bits = 9\n",          // out of range
      " PARAMETER mode = MEDIUM\n",     // not one of the values
      " PARAMETER peer = uart_7\n",     // no such hardware instance
      " PARAMETER console = uart_1\n",  // its driver offers no stdio
      " PARAMETER baud = 19200\n",      // uart_1 folds into the same driver with 9600
  };
  for (const std::string& extra : broken) {
    const std::string mss = System(extra);
    auto build = Run({"build", mss, "--json"});
    auto check = Run({"check", mss, "--json"});
    EXPECT_EQ(1, build.status) << extra << build.out;
    EXPECT_EQ(1, check.status) << extra << check.out;
    const auto built = errorTexts(build.out), checked = errorTexts(check.out);
    EXPECT_FALSE(built.empty()) << extra;
    for (const std::string& e : built) EXPECT_EQ(1u, checked.count(e)) << extra << e << "\n" << check.out;
  }
  // Without the hardware the build's checks are skipped, and check says so.
  auto r = RunTavsw({"check", System(" PARAMETER bits = 9\n"), "--repo", repo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(r.err, "INFO: No hardware description (--hw, HW_SPEC_FILE): the checks of the build that need it "
                              "were skipped\n")) << r.err;
}

TEST_F(CliHonestTest, FmtWritesThroughALinkAndKeepsTheMode) {
  namespace fs = std::filesystem;
  const std::string target = dir.Write("real.mss", "PARAMETER VERSION = 2.2.0\nBEGIN DRIVER\n"
                                                   "PARAMETER DRIVER_NAME = uart\nPARAMETER HW_INSTANCE = uart_0\nEND\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::string link = dir / "link.mss";
  fs::create_symlink(target, link);
  auto r = RunTavsw({"fmt", link});
  ASSERT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
            fs::status(target).permissions());
  EXPECT_EQ("\n PARAMETER VERSION = 2.2.0\n\n\n\n\nBEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n"
            " PARAMETER HW_INSTANCE = uart_0\nEND\n\n\n",
            tavtest::ReadFile(target));
  // Nothing is left beside it.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir.Path())) files += e.path().filename().string().find("real.mss") == 0;
  EXPECT_EQ(1, files);
}

TEST_F(CliHonestTest, NewBindsTheOsVersionAndAFittingProcessorDriver) {
  const std::string out = dir / "new.mss";
  auto r = Run({"new", "-o", out, "--proc", "cpu_0", "--os", "rtos:1.00.a"});
  ASSERT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(tavtest::ReadFile(out), " PARAMETER OS_VER = 1.00.a\n")) << tavtest::ReadFile(out);
  r = Run({"new", "-o", out, "--proc", "cpu_0", "--os", "rtos", "--force"});
  ASSERT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(tavtest::ReadFile(out), " PARAMETER OS_VER = 2.00.a\n")) << tavtest::ReadFile(out);

  // A template whose processor driver serves another type: the processor
  // gets its default driver.
  const std::string templ = dir.Write("t.mss",
                                      "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = othercpu\n"
                                      " PARAMETER DRIVER_VER = 1.00.a\n PARAMETER HW_INSTANCE = cpu_0\nEND\n");
  r = Run({"new", "-o", out, "--proc", "cpu_0", "--template", templ, "--force"});
  ASSERT_EQ(0, r.status) << r.err;
  const std::string text = tavtest::ReadFile(out);
  EXPECT_TRUE(Contains(text, "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n")) << text;
  EXPECT_FALSE(Contains(text, "othercpu")) << text;
}

TEST_F(CliHonestTest, RenameRewritesEveryReferenceWhateverItsCase) {
  const std::string mss = System(" PARAMETER peer = UART_1\n PARAMETER links = ((Uart_1,8),(uart_0,16))\n");
  // com_1 is no instance of the hardware: the build would reject the
  // result, so the edit has to insist.
  auto r = Run({"edit", mss, "--rename", "uart_1=com_1", "--force"});
  EXPECT_EQ(0, r.status) << r.err;
  const std::string text = tavtest::ReadFile(mss);
  EXPECT_TRUE(Contains(text, " PARAMETER HW_INSTANCE = com_1\n")) << text;
  EXPECT_TRUE(Contains(text, " PARAMETER peer = com_1\n")) << text;
  EXPECT_TRUE(Contains(text, " PARAMETER links = ((com_1,8),(uart_0,16))\n")) << text;
}

}  // namespace
