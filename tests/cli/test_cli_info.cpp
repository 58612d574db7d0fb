// The conveniences around the model: the hardware description an MSS
// names, tavsw show, tavsw explain, the names suggested for a mistyped
// one, and the shell completion scripts.
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "TestSupport.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;

const std::string kEx = TAVSW_EXAMPLES;
const std::string kMss = kEx + "/system.mss", kHw = kEx + "/hw/system.json", kRepo = kEx + "/repo";

// The demo processor with a driver whose parameter holds only in one mode.
const char* kDevMdd =
    "OPTION psf_version = 2.1;\n"
    "BEGIN DRIVER tavdev\n"
    "  OPTION supported_peripherals = (tavgpio);\n"
    "  PARAM name = mode, type = int, default = 0, desc = \"0: off, 1: on\";\n"
    "  PARAM name = speed, type = int, default = 3, dep = (mode = 1), desc = \"Speed when on\";\n"
    "  BEGIN BLOCK, dep = (mode = 1)\n"
    "    PARAM name = burst, type = int, default = 8;\n"
    "  END BLOCK\n"
    "END DRIVER\n";

const char* kCpu =
    "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = tavcpu\n PARAMETER DRIVER_VER = 1.00.a\n"
    " PARAMETER HW_INSTANCE = cpu_0\nEND\n";

class CliInfoTest : public tavtest::ScratchTest {
 protected:
  // An MSS in its own directory that names the demo hardware, copied beside
  // it, as its HW_SPEC_FILE.
  std::string Named(const std::string& body, const std::string& spec = "hw.json") {
    dir.Write("sys/hw.json", tavtest::ReadFile(kHw));
    return dir.Write("sys/s.mss", "PARAMETER VERSION = 2.2.0\nPARAMETER HW_SPEC_FILE = " + spec +
                                      "\n" + kCpu + body);
  }
  std::string DevRepo() {
    dir.Write("r/drivers/tavdev_v1_00_a/data/tavdev_v2_1_0.mdd", kDevMdd);
    return dir / "r";
  }
};

// ---------------------------------------------------------------------------
// The hardware description the MSS names
// ---------------------------------------------------------------------------

TEST_F(CliInfoTest, CommandsUseTheHardwareTheMssNamesAndSaySo) {
  const std::string note =
      "tavsw: " + kMss + " line 6 - the hardware description is " + kEx +
      "/hw/system.json, as HW_SPEC_FILE names it\n";
  auto named = RunTavsw({"build", kMss, "--repo", kRepo});
  auto given = RunTavsw({"build", kMss, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, named.status) << named.err;
  EXPECT_EQ(given.out, named.out);
  EXPECT_EQ(note, named.err);
  // --hw given: as before, not a word more.
  EXPECT_EQ("", given.err);

  // check now runs the stages that need the hardware.
  auto r = RunTavsw({"check", kMss, "--repo", kRepo});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(note, r.err);
  // The note is for the reader: a JSON document on stdout stays alone.
  r = RunTavsw({"check", kMss, "--repo", kRepo, "--json", "--diagnostics", "json"});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(0, nlohmann::json::parse(r.out)["errors"]);
  const auto diag = nlohmann::json::parse(r.err);
  EXPECT_EQ("note", diag["severity"]);
  EXPECT_EQ(kMss, diag["file"]);
  EXPECT_EQ(6, diag["line"]);

  // Relative to the MSS, not to the working directory; edit and tcl too.
  const std::string mss = Named(" BEGIN DRIVER\n");
  const std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  const std::string clean = Named("");
  r = RunTavsw({"edit", clean, "--repo", kRepo, "--driver", "uart_0=tavuart", "--dry-run"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(r.err, "the hardware description is " + dir / "sys/hw.json")) << r.err;
  const std::string script = dir.Write("t.tcl", "puts [tget_handle]\n");
  r = RunTavsw({"tcl", script, clean, "--repo", kRepo});
  EXPECT_TRUE(Contains(r.err, "as HW_SPEC_FILE names it")) << r.err;
  std::filesystem::current_path(cwd);
  (void)mss;
}

TEST_F(CliInfoTest, AHardwareFileThatIsNotThereIsAnErrorAtItsLine) {
  const std::string mss = Named("", "gone.json");
  const std::string text = mss + " line 2 - HW_SPEC_FILE names the hardware description '" +
                           dir / "sys/gone.json" + "', which is not there (--hw names another)";
  for (const char* command : {"build", "check", "show", "explain"}) {
    std::vector<std::string> args{command, mss, "--repo", kRepo};
    if (std::string(command) == "explain") args.push_back("cpu_0");
    auto r = RunTavsw(args);
    EXPECT_EQ(1, r.status) << command;
    EXPECT_EQ("ERROR: " + text + "\n", r.err) << command;
  }
  // In the JSON documents too, with the file and line.
  for (const char* command : {"build", "check"}) {
    auto r = RunTavsw({command, mss, "--repo", kRepo, "--json"});
    EXPECT_EQ(1, r.status);
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(1, doc["errors"]) << command;
    EXPECT_EQ(2, doc["diagnostics"].at(0)["line"]) << command;
    EXPECT_EQ(mss, doc["diagnostics"].at(0)["file"]) << command;
  }
  // A --hw given wins over a file that is not there.
  auto r = RunTavsw({"build", mss, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_FALSE(Contains(r.err, "HW_SPEC_FILE")) << r.err;
}

TEST_F(CliInfoTest, WithoutHwNorHwSpecFile) {
  const std::string mss = dir.Write("plain.mss", kCpu);
  auto r = RunTavsw({"build", mss, "--repo", kRepo});
  EXPECT_EQ(2, r.status);
  EXPECT_EQ("tavsw: " + mss + ": --hw is required (the MSS names no HW_SPEC_FILE)\n", r.err);
  // check goes on without the hardware, as it did.
  r = RunTavsw({"check", mss, "--repo", kRepo});
  EXPECT_EQ(0, r.status);
  EXPECT_TRUE(Contains(r.err, "INFO: No hardware description (--hw, HW_SPEC_FILE)")) << r.err;
  // An MSS that is not there is said to be so, not that --hw is missing.
  r = RunTavsw({"build", dir / "none.mss"});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("ERROR: Cannot open file \"" + dir / "none.mss" + "\" for reading\n", r.err);
  r = RunTavsw({"edit", dir / "none.mss", "--set", "a.b=1"});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("tavsw: " + dir / "none.mss" + ": no such file\n", r.err);
  r = RunTavsw({"tcl", "--interactive"});
  EXPECT_EQ(2, r.status);
  EXPECT_EQ("tavsw: --hw is required when no MSS file is given\n", r.err);
}

// ---------------------------------------------------------------------------
// show
// ---------------------------------------------------------------------------

TEST_F(CliInfoTest, ShowListsEveryAddressedInstanceAndItsDriver) {
  auto r = RunTavsw({"show", kMss, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(
      "processor cpu_0 (tavcpu 1.00.a): driver tavcpu 1.00.a\n"
      "  uart_0   tavuart 1.00.a: tavuart 1.00.a\n"
      "  uart_1   tavuart 1.00.a: tavuart 1.00.a\n"
      "  gpio_0   tavgpio 2.00.a: tavgpio 2.00.a\n"
      "  timer_0  tavtimer 1.01.a: tavtimer 1.01.a\n"
      "  intc_0   tavintc 1.00.b: tavintc 1.00.b\n"
      "  ram_0    tavram 1.00.a: generic 1.00.a\n"
      "6 instance(s): 0 without a driver, 0 with a driver that does not support them, 0 with a "
      "driver not in the repositories\n",
      r.out);
  EXPECT_EQ("", r.err);
}

TEST_F(CliInfoTest, ShowMarksMissingUnfitAndUnknownDrivers) {
  const std::string mss = Named(
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n PARAMETER DRIVER_VER = 1.00.a\n"
      " PARAMETER HW_INSTANCE = uart_0\nEND\n"
      // A serial-port driver on the GPIO.
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n PARAMETER DRIVER_VER = 1.00.a\n"
      " PARAMETER HW_INSTANCE = gpio_0\nEND\n"
      // A version no repository holds.
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavtimer\n PARAMETER DRIVER_VER = 9.00.a\n"
      " PARAMETER HW_INSTANCE = timer_0\nEND\n"
      // The generic driver serves memories and bridges only.
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = generic\n PARAMETER HW_INSTANCE = intc_0\nEND\n");
  auto r = RunTavsw({"show", mss, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(
      "processor cpu_0 (tavcpu 1.00.a): driver tavcpu 1.00.a\n"
      "  uart_0   tavuart 1.00.a: tavuart 1.00.a\n"
      "  uart_1   tavuart 1.00.a: NO DRIVER\n"
      "  gpio_0   tavgpio 2.00.a: tavuart 1.00.a  DOES NOT SUPPORT tavgpio 2.00.a\n"
      "  timer_0  tavtimer 1.01.a: tavtimer 9.00.a  NOT IN THE REPOSITORIES\n"
      "  intc_0   tavintc 1.00.b: generic  DOES NOT SUPPORT tavintc 1.00.b\n"
      "  ram_0    tavram 1.00.a: NO DRIVER\n"
      "6 instance(s): 2 without a driver, 2 with a driver that does not support them, 1 with a "
      "driver not in the repositories\n",
      r.out);

  r = RunTavsw({"show", mss, "--repo", kRepo, "--json"});
  EXPECT_EQ(0, r.status);
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(6, doc["instances"]);
  EXPECT_EQ(2, doc["without_driver"]);
  EXPECT_EQ(2, doc["unsupported"]);
  EXPECT_EQ(1, doc["not_found"]);
  const auto& list = doc["processors"].at(0)["peripherals"];
  EXPECT_EQ((nlohmann::json{{"instance", "gpio_0"},
                            {"type", "tavgpio"},
                            {"version", "2.00.a"},
                            {"class", "PERIPHERAL"},
                            {"driver", {{"name", "tavuart"}, {"version", "1.00.a"}, {"source", "mss"}}},
                            {"problem", "unsupported"}}),
            list.at(2));
  EXPECT_EQ(nullptr, list.at(1)["driver"]);
  EXPECT_EQ("no driver", list.at(1)["problem"]);
  EXPECT_EQ(nullptr, list.at(0)["problem"]);
}

TEST_F(CliInfoTest, ShowWithTheHardwareAloneGivesTheDefaultDrivers) {
  auto r = RunTavsw({"show", "--hw", kHw, "--repo", kRepo, "--proc", "cpu_0"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(r.out, "processor cpu_0 (tavcpu 1.00.a)\n"
                              "  uart_0   tavuart 1.00.a: tavuart 1.00.a (default)\n"))
      << r.out;
  EXPECT_TRUE(Contains(r.out, "  ram_0    tavram 1.00.a: generic 1.00.a (default)\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "6 instance(s): 0 without a driver, 0 with a driver that does not "
                              "support them\n"))
      << r.out;

  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"show"}, 2, "tavsw: an MSS file or --hw is needed\n"},
      {{"show", "--hw", kHw, "--proc", "cpu_1"}, 1,
       "tavsw: " + kHw + ": no processor instance 'cpu_1' in the hardware\n"
       "tavsw: note: did you mean 'cpu_0'?\n"},
      {{"show", "--hw", dir / "none.json"}, 1, "Cannot open hardware description"},
  };
  for (const auto& c : cases) {
    auto res = RunTavsw(c.args);
    EXPECT_EQ(c.status, res.status) << c.args.size();
    EXPECT_TRUE(Contains(res.err, c.err)) << res.err;
  }
}

// ---------------------------------------------------------------------------
// explain
// ---------------------------------------------------------------------------

TEST_F(CliInfoTest, ExplainSaysWhereAValueComesFrom) {
  const std::string mdd = kRepo + "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd";
  auto r = RunTavsw({"explain", kMss, "uart_0.C_BAUDRATE", "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("uart_0.C_BAUDRATE = 115200\n"
            "  from the MSS: " + kMss + " line 29\n"
            "  default: 115200 (" + mdd + " line 15)\n"
            "  type: int\n"
            "  description: Line speed in bits per second\n",
            r.out);
  EXPECT_EQ("", r.err);
  // The definition's default, and the allowed values; names ignore case.
  r = RunTavsw({"explain", kMss, "UART_0.c_parity", "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("UART_0.C_PARITY = 0\n"
            "  from the definition's default: " + mdd + " line 16\n"
            "  default: 0 (" + mdd + " line 16)\n"
            "  type: enum\n"
            "  values: none = 0, odd = 1, even = 2\n"
            "  description: Parity bit\n",
            r.out);
}

TEST_F(CliInfoTest, ExplainSaysWhyAnMssValueIsNotUsed) {
  const std::string repo = DevRepo();
  const std::string mss = Named(
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavdev\n PARAMETER HW_INSTANCE = gpio_0\n"
      " PARAMETER mode = 0\n PARAMETER speed = 5\n PARAMETER burst = 2\nEND\n"
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n PARAMETER HW_INSTANCE = uart_0\n"
      " PARAMETER C_BAUDRATE = 9600\nEND\n"
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n PARAMETER HW_INSTANCE = uart_1\n"
      " PARAMETER C_BAUDRATE = 19200\nEND\n"
      "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = tavfs\n PARAMETER PROC_INSTANCE = cpu_0\n"
      " PARAMETER fs_medium = 1\n PARAMETER flash_base = 0x100\nEND\n"
      "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n");
  auto explain = [&](const std::string& what) {
    return RunTavsw({"explain", mss, what, "--repo", repo, "--repo", kRepo});
  };
  // A parameter whose condition fails is dropped, the MSS value with it.
  auto r = explain("gpio_0.speed");
  EXPECT_TRUE(Contains(r.out, "gpio_0.speed = (not in the model)\n"
                              "  set in the MSS: 5 (" + mss + " line 12)\n"
                              "  not in the model: its condition (mode = 1) does not hold, so the "
                              "MSS value 5 was discarded\n"
                              "  default: 3 ("))
      << r.out;
  // A block whose condition fails.
  r = explain("gpio_0.burst");
  EXPECT_TRUE(Contains(r.out, "  not in the model: it belongs to a block whose condition does not "
                              "hold (mode = 1, and mode is 0)\n"))
      << r.out;
  // An ignored category keeps the default.
  r = explain("tavfs.flash_base");
  EXPECT_TRUE(Contains(r.out, "tavfs.flash_base = 0x0\n  from the definition's default: ")) << r.out;
  EXPECT_TRUE(Contains(r.out, "  the MSS value 0x100 is ignored: category flash is not selected "
                              "for this instance\n"))
      << r.out;
  // Two instances folded into one driver keep one value.
  r = explain("uart_1.C_BAUDRATE");
  EXPECT_TRUE(Contains(r.out, "one driver serves 2 instances and keeps one value (")) << r.out;
  r = RunTavsw({"explain", mss, "uart_1.C_BAUDRATE", "--repo", repo, "--repo", kRepo, "--json"});
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ("driver", doc["kind"]);
  EXPECT_EQ(mss, doc["mss"]["file"]);
  EXPECT_EQ(23, doc["mss"]["line"]);
  EXPECT_EQ("19200", doc["mss"]["value"]);
  EXPECT_EQ("int", doc["definition"]["type"]);
  EXPECT_EQ("115200", doc["definition"]["default"]);

  // A parameter the definition does not declare makes the model fail; the
  // components are still explained as merged.
  const std::string bad = Named(
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n PARAMETER HW_INSTANCE = uart_0\n"
      " PARAMETER bogus = 1\nEND\n");
  r = RunTavsw({"explain", bad, "uart_0.bogus", "--repo", kRepo});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("uart_0.bogus = (not in the model)\n"
            "  set in the MSS: 1 (" + bad + " line 11)\n"
            "  the definition does not declare it: the MSS value 1 is not used\n",
            r.out);
  EXPECT_TRUE(Contains(r.err, "bogus is not a configurable parameter for driver tavuart")) << r.err;
  EXPECT_TRUE(Contains(r.err, "tavsw: " + bad + ": the model has errors; what it holds is "
                              "explained as built\n")) << r.err;
}

TEST_F(CliInfoTest, ExplainAnInstanceSaysWhichCoreAndWhy) {
  auto r = RunTavsw({"explain", kMss, "uart_1", "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("uart_1: driver tavuart 1.00.a\n"
            "  in the MSS: " + kMss + " line 35\n"
            "  processor: cpu_0\n"
            "  one driver serves: uart_0, uart_1\n"
            "  definition: " + kRepo + "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd\n"
            "  repository: " + kRepo + "\n"
            "  versions held: 1.00.a\n"
            "  why this core: the MSS asks for version 1.00.a (" + kMss +
                " line 37); the first repository in search order that holds it\n",
            r.out);
  // No version asked: the newest; both of the repository's versions listed.
  const std::string mss = Named(
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavgpio\n PARAMETER HW_INSTANCE = gpio_0\nEND\n");
  r = RunTavsw({"explain", mss, "gpio_0", "--repo", kRepo, "--json"});
  EXPECT_EQ(0, r.status) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ((nlohmann::json{{"name", "tavgpio"}, {"version", "2.00.a"}}), doc["core"]);
  EXPECT_EQ((nlohmann::json{"2.00.a", "1.00.a"}), doc["versions"]);
  EXPECT_EQ(kRepo, doc["repository"]);
  EXPECT_EQ("cpu_0", doc["processor"]);
  EXPECT_TRUE(Contains(doc["why"], "the MSS names no version: the newest")) << doc["why"];
  // The OS and a library by name; the processor by its hardware instance.
  r = RunTavsw({"explain", kMss, "standalone", "--hw", kHw, "--repo", kRepo});
  EXPECT_TRUE(Contains(r.out, "standalone: os standalone 2.00.a\n")) << r.out;
  r = RunTavsw({"explain", kMss, "cpu_0", "--hw", kHw, "--repo", kRepo});
  EXPECT_TRUE(Contains(r.out, "cpu_0: processor tavcpu 1.00.a\n")) << r.out;
}

// ---------------------------------------------------------------------------
// Suggestions
// ---------------------------------------------------------------------------

TEST_F(CliInfoTest, AnUnknownNameGetsTheClosestKnownOnes) {
  const std::string copy = dir.Write("s.mss", tavtest::ReadFile(kMss));
  dir.Write("hw/system.json", tavtest::ReadFile(kHw));
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"buidl"}, "tavsw: note: did you mean 'build'?\n"},
      {{"repo", "lsit"}, "tavsw: note: did you mean 'list'?\n"},
      {{"explain", kMss, "uart_2", "--hw", kHw, "--repo", kRepo},
       "tavsw: " + kMss + ": no instance 'uart_2' in the model\n"
       "tavsw: note: did you mean 'uart_0' or 'uart_1'?\n"},
      {{"explain", kMss, "uart_0.C_BAUD_RATE", "--hw", kHw, "--repo", kRepo},
       "tavsw: " + kMss + ": no parameter 'C_BAUD_RATE' in driver uart_0\n"
       "tavsw: note: did you mean 'C_BAUDRATE'?\n"},
      {{"build", kMss, "--hw", kHw, "--repo", kRepo, "--proc", "cpu0"},
       "tavsw: note: did you mean 'cpu_0'?\n"},
      {{"flags", "--hw", kHw, "--proc", "cpu0"}, "tavsw: note: did you mean 'cpu_0'?\n"},
      {{"repo", "find", "tavuar", "--repo", kRepo}, "tavsw: note: did you mean 'tavuart'?\n"},
      {{"query", "dir", "tavtimr", "1.01.a", "--repo", kRepo},
       "tavsw: note: did you mean 'tavtimer'?\n"},
      {{"edit", copy, "--hw", kHw, "--repo", kRepo, "--set", "uart_O.C_BAUDRATE=1"},
       "tavsw: note: did you mean 'uart_0' or 'uart_1'?\n"},
      {{"edit", copy, "--hw", kHw, "--repo", kRepo, "--unset", "uart_0.C_BAUDRAT"},
       "tavsw: note: did you mean 'C_BAUDRATE'?\n"},
      {{"edit", copy, "--hw", kHw, "--repo", kRepo, "--driver", "gpio_1=tavgpio"},
       "tavsw: note: did you mean 'gpio_0'?\n"},
      {{"edit", copy, "--hw", kHw, "--repo", kRepo, "--driver", "gpio_0=tavgpi"},
       "tavsw: note: did you mean 'tavgpio'?\n"},
      {{"edit", copy, "--hw", kHw, "--repo", kRepo, "--add-lib", "tavf"},
       "tavsw: note: did you mean 'tavfs'?\n"},
      {{"completion", "bsh"}, "tavsw: note: did you mean 'bash' or 'zsh'?\n"},
  };
  for (const auto& c : cases) {
    auto r = RunTavsw(c.args);
    EXPECT_NE(0, r.status) << c.args[0];
    EXPECT_TRUE(Contains(r.err, c.err)) << c.args[0] << " " << c.args.back() << "\n" << r.err;
  }
  // The note follows the message it belongs to, which is as it was.
  auto r = RunTavsw({"buidl"});
  EXPECT_EQ("tavsw: unknown command 'buidl' (commands: parse, fmt, repo, build, check, tcl, new, "
            "edit, query, flags, explain, show, completion, lsp)\n"
            "tavsw: note: did you mean 'build'?\n",
            r.err);
  r = RunTavsw({"edit", copy, "--hw", kHw, "--repo", kRepo, "--set", "uart_O.C_BAUDRATE=1"});
  EXPECT_EQ("tavsw: " + copy + ": --set uart_O.C_BAUDRATE=1: no such component\n"
            "tavsw: note: did you mean 'uart_0' or 'uart_1'?\n"
            "tavsw: " + copy + ": not written: an action was refused\n",
            r.err);
  // Nothing close: no note; gcc form: a note line of its own.
  r = RunTavsw({"zzzzzz"});
  EXPECT_FALSE(Contains(r.err, "did you mean")) << r.err;
  r = RunTavsw({"--diagnostics", "gcc", "buidl"});
  EXPECT_TRUE(Contains(r.err, "tavsw: note: did you mean 'build'?\n")) << r.err;
  // A version that is not there is no misspelt name.
  r = RunTavsw({"repo", "find", "tavuart", "7.00.a", "--repo", kRepo});
  EXPECT_FALSE(Contains(r.err, "did you mean")) << r.err;
}

// ---------------------------------------------------------------------------
// Completion
// ---------------------------------------------------------------------------

bool HasShell(const std::string& shell) {
  return std::system(("command -v " + shell + " >/dev/null 2>&1").c_str()) == 0;
}

TEST_F(CliInfoTest, CompletionScriptsLoadAndKnowEveryCommand) {
  for (const std::string shell : {"bash", "zsh", "fish"}) {
    auto r = RunTavsw({"completion", shell});
    EXPECT_EQ(0, r.status) << shell;
    EXPECT_EQ("", r.err);
    // Every command and the options of one, from the command line itself.
    for (const char* word : {"build", "check", "explain", "show", "completion", "edit",
                             "remove-driver", "diagnostics", "max-errors", "list"})
      EXPECT_TRUE(Contains(r.out, word)) << shell << " " << word;
    const std::string file = dir.Write("tavsw." + shell, r.out);
    if (!HasShell(shell)) continue;
    EXPECT_EQ(0, std::system((shell + " -n " + file).c_str())) << shell;
  }
  auto r = RunTavsw({"completion", "tcsh"});
  EXPECT_EQ(2, r.status);
  EXPECT_EQ("tavsw: no completion for the shell 'tcsh' (shells: bash, zsh, fish)\n", r.err);
}

// What bash completes, asked as bash asks: files by kind and directories.
TEST_F(CliInfoTest, BashCompletesFilesByKind) {
  if (!HasShell("bash")) GTEST_SKIP() << "no bash";
  const std::string script = dir.Write("tavsw.bash", RunTavsw({"completion", "bash"}).out);
  dir.Write("w/a.mss", "");
  dir.Write("w/b.json", "");
  dir.Write("w/c.txt", "");
  dir.Write("w/sub/.keep", "");
  auto complete = [&](const std::string& line) {
    const std::string drive = dir.Write(
        "drive.sh", "source " + script + "\nCOMP_WORDS=(" + line +
                        ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_tavsw\n"
                        "printf '%s\\n' \"${COMPREPLY[@]}\" | sort\n");
    const std::string out = dir / "reply";
    EXPECT_EQ(0, std::system(("cd " + dir / "w" + " && bash " + drive + " > " + out).c_str()))
        << line;
    return tavtest::ReadFile(out);
  };
  EXPECT_EQ("build\n", complete("tavsw bui"));
  EXPECT_EQ("a.mss\nsub\n", complete("tavsw build ''"));
  EXPECT_EQ("b.json\nsub\n", complete("tavsw build a.mss --hw ''"));
  EXPECT_EQ("sub\n", complete("tavsw build a.mss --repo ''"));
  EXPECT_EQ("--help\n--hw\n", complete("tavsw show --h"));
  EXPECT_EQ("find\nlist\n", complete("tavsw repo ''"));
  EXPECT_EQ("gcc\n", complete("tavsw --diagnostics g"));
}

// The same asked of fish, where it is installed.
TEST_F(CliInfoTest, FishCompletesFilesByKind) {
  if (!HasShell("fish")) GTEST_SKIP() << "no fish";
  const std::string script = dir.Write("tavsw.fish", RunTavsw({"completion", "fish"}).out);
  dir.Write("w/a.mss", "");
  dir.Write("w/b.json", "");
  dir.Write("w/c.txt", "");
  dir.Write("w/sub/.keep", "");
  auto complete = [&](const std::string& line) {
    const std::string out = dir / "reply";
    const std::string drive = dir.Write(
        "drive.fish", "source " + script + "\ncomplete -C'" + line + "' | cut -f1 | sort\n");
    EXPECT_EQ(0, std::system(("cd " + dir / "w" + " && fish " + drive + " > " + out).c_str()))
        << line;
    return tavtest::ReadFile(out);
  };
  EXPECT_EQ("build\n", complete("tavsw bui"));
  EXPECT_EQ("a.mss\nsub/\n", complete("tavsw build "));
  EXPECT_EQ("b.json\nsub/\n", complete("tavsw build a.mss --hw "));
  EXPECT_EQ("sub/\n", complete("tavsw build a.mss --repo "));
  EXPECT_EQ("find\nlist\n", complete("tavsw repo "));
  EXPECT_EQ("gcc\njson\ntext\n", complete("tavsw --diagnostics "));
}

}  // namespace
