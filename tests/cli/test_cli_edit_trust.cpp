// tavsw edit on a copy of the demo MSS: what it refuses, and that what it
// writes is the user's file with only the touched lines changed.
#include <sys/stat.h>
#include <unistd.h>

#include "CliRun.h"
#include "TestSupport.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;

const std::string kEx = TAVSW_EXAMPLES;
const std::string kHw = kEx + "/hw/system.json", kRepo = kEx + "/repo";

// `text` with the first occurrence of `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class CliEditTrustTest : public tavtest::ScratchTest {
 protected:
  void SetUp() override {
    tavtest::ScratchTest::SetUp();
    demo = tavtest::ReadFile(kEx + "/system.mss");
    mss = dir.Write("system.mss", demo);
  }
  tavtest::CliResult Edit(std::vector<std::string> actions, const std::string& file = "") {
    std::vector<std::string> args{"edit", file.empty() ? mss : file, "--hw", kHw, "--repo", kRepo};
    args.insert(args.end(), actions.begin(), actions.end());
    return RunTavsw(args);
  }
  // An action refused: exit 1, its reason and the file untouched.
  void ExpectRefused(std::vector<std::string> actions, const std::string& why) {
    auto r = Edit(actions);
    EXPECT_EQ(1, r.status) << why;
    EXPECT_EQ("", r.out);
    EXPECT_EQ("tavsw: " + mss + ": " + why + "\ntavsw: " + mss +
                  ": not written: an action was refused\n",
              r.err);
    EXPECT_EQ(demo, tavtest::ReadFile(mss)) << why;
  }
  std::string demo, mss;
};

// The array was written in lower case; --set in upper case used to add a
// second one, after which the file no longer read.
TEST_F(CliEditTrustTest, SetOfAnArrayInAnotherCaseReplacesItInPlace) {
  auto r = Edit({"--set", "gpio_0.PIN_MAP=((2,in),(3,in))"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("written\n", r.out);
  const std::string want =
      Replaced(demo, " PARAMETER pin_map = ((0, out))\n", " PARAMETER pin_map = ((2,in),(3,in))\n");
  EXPECT_EQ(want, tavtest::ReadFile(mss));
  r = Edit({"--set", "gpio_0.pin_map=((1,out))"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(tavtest::ReadFile(mss), " PARAMETER pin_map = ((1,out))\n"));
  // A plain parameter in another case is replaced too, its line kept in place.
  r = Edit({"--set", "timer_0.TICK_RATE=500"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(tavtest::ReadFile(mss),
                       " PARAMETER HW_INSTANCE = timer_0\n PARAMETER tick_rate = 500\n PARAMETER mode"));
}

TEST_F(CliEditTrustTest, ValuesTheReaderWouldNotKeepAreRefused) {
  const struct {
    std::string action, why;
  } cases[] = {
      {"cpu_0.compiler=gcc\nEND\nBEGIN DRIVER\n PARAMETER HW_INSTANCE = evil",
       "--set cpu_0.compiler=gcc\\nEND\\nBEGIN DRIVER\\n PARAMETER HW_INSTANCE = evil: the value "
       "holds a line break"},
      {"cpu_0.compiler=gcc\r", "--set cpu_0.compiler=gcc\\r: the value holds a line break"},
      {"cpu_0.compiler=", "--set cpu_0.compiler=: an empty value is not kept (--unset removes a parameter)"},
      {"cpu_0.compiler=gcc # x", "--set cpu_0.compiler=gcc # x: the value holds '#', which starts a comment"},
      {"cpu_0.compiler=\"gcc\"", "--set cpu_0.compiler=\"gcc\": the value holds '\"', which is read as a blank"},
      {"cpu_0.compiler= gcc", "--set cpu_0.compiler= gcc: the value begins with a blank, which is not kept"},
      {"cpu_0.compiler=gcc ", "--set cpu_0.compiler=gcc : the value ends with a blank, which is not kept"},
      {"cpu_0.compiler=a\x01", "--set cpu_0.compiler=a\x01: the value holds the control character \\x01"},
      {"cpu_0.my flag=1", "--set cpu_0.my flag=1: 'my flag' is not a parameter name"},
      {"cpu_0.x#=1", "--set cpu_0.x#=1: 'x#' is not a parameter name"},
      // Arrays are read by the array reader: what it would not keep, and
      // rows wider than the definition's columns.
      {"gpio_0.pin_map=((1,in))x",
       "--set gpio_0.pin_map=((1,in))x: the array value would be read as ((1,in)); write the rows "
       "as ((a,b),(c,d))"},
      {"gpio_0.pin_map=((1,in)",
       "--set gpio_0.pin_map=((1,in): the array value would be read as ((1,in)); write the rows "
       "as ((a,b),(c,d))"},
      {"gpio_0.pin_map=((1,in,x))",
       "--set gpio_0.pin_map=((1,in,x)): row 1 has 3 values; pin_map has 2 columns (pin, direction)"},
      {"cpu_0.map=((1,2))", "--set cpu_0.map=((1,2)): a processor keeps no array values"},
  };
  for (const auto& c : cases) ExpectRefused({"--set", c.action}, c.why);
}

TEST_F(CliEditTrustTest, IdentityParametersChangeOnlyThroughTheirActions) {
  const struct {
    std::string option, action, why;
  } cases[] = {
      {"--unset", "uart_0.HW_INSTANCE", "the component's HW_INSTANCE is changed with --rename"},
      {"--set", "uart_0.hw_instance=uart_1", "the component's HW_INSTANCE is changed with --rename"},
      {"--set", "uart_0.DRIVER_NAME=tavgpio", "the component's DRIVER_NAME is changed with --driver"},
      {"--set", "uart_0.DRIVER_VER=9.00.a", "the component's DRIVER_VER is changed with --driver"},
      {"--unset", "standalone.OS_VER", "the component's OS_VER is changed with --os"},
      {"--set", "standalone.proc_instance=x", "the component's PROC_INSTANCE is changed with --rename"},
      {"--unset", "tavfs.LIBRARY_NAME",
       "the component's LIBRARY_NAME is changed with --add-lib and --del-lib"},
  };
  for (const auto& c : cases) ExpectRefused({c.option, c.action}, c.option + " " + c.action + ": " + c.why);
}

TEST_F(CliEditTrustTest, UndeclaredParametersNeedForceAndNameTheClosest) {
  ExpectRefused({"--set", "uart_0.C_BAUDRTE=9600"},
                "--set uart_0.C_BAUDRTE=9600: 'C_BAUDRTE' is not declared by tavuart (did you mean "
                "C_BAUDRATE?) (--force sets it anyway)");
  auto r = Edit({"--set", "uart_0.C_BAUDRTE=9600", "--force"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(Replaced(demo, " PARAMETER C_BAUDRATE = 115200\n",
                     " PARAMETER C_BAUDRATE = 115200\n PARAMETER C_BAUDRTE = 9600\n"),
            tavtest::ReadFile(mss));
}

// Values of the wrong type: int and bool here; what the model check of
// build rejects with build's own message, which `build` then gives too.
TEST_F(CliEditTrustTest, EditsAreCheckedAgainstTheDefinitionAndTheHardware) {
  ExpectRefused({"--set", "timer_0.tick_rate=fast"},
                "--set timer_0.tick_rate=fast: 'fast' is no int, which tavtimer declares tick_rate to be");
  ExpectRefused({"--set", "gpio_0.C_IS_DUAL=maybe"},
                "--set gpio_0.C_IS_DUAL=maybe: 'maybe' is neither true nor false, which tavgpio "
                "declares C_IS_DUAL to be");
  const struct {
    std::string action, message;
  } cases[] = {
      {"standalone.stdout=nothing",
       "line 13 - Peripheral Instance nothing assigned to PARAMETER \"stdout\" is not found in the "
       "hardware!"},
      {"gpio_0.pin_map=((1,sideways))", "line 47 - Invalid Value sideways  specified for PARAMETER direction!"},
      {"uart_1.C_BAUDRATE=9600",
       "line 29 - Parameter C_BAUDRATE has different values for different instantiation."},
  };
  for (const auto& c : cases) {
    auto r = Edit({"--set", c.action});
    EXPECT_EQ(1, r.status) << c.action;
    EXPECT_TRUE(Contains(r.err, mss + " " + c.message)) << r.err;
    EXPECT_TRUE(Contains(r.err, "tavsw: " + mss + ": not written: the edit makes errors build reports "
                                "(--force writes anyway)\n"))
        << r.err;
    EXPECT_EQ(demo, tavtest::ReadFile(mss));
    r = Edit({"--set", c.action, "--force"});
    EXPECT_EQ(0, r.status) << r.err;
    r = RunTavsw({"build", mss, "--hw", kHw, "--repo", kRepo});
    EXPECT_EQ(1, r.status) << c.action;
    EXPECT_TRUE(Contains(r.err, mss + " " + c.message)) << r.err;
    dir.Write("system.mss", demo);
  }
}

TEST_F(CliEditTrustTest, RenameRefusesATakenNameAndReachesEveryReference) {
  ExpectRefused({"--rename", "uart_0=uart_1"}, "--rename uart_0=uart_1: 'uart_1' already names an instance");
  ExpectRefused({"--rename", "uart_0=gpio_0"}, "--rename uart_0=gpio_0: 'gpio_0' already names an instance");
  // A hardware instance the MSS does not use: the component would move to
  // other hardware, which is no rename.
  std::string more = tavtest::ReadFile(kHw);
  more = Replaced(more, "{ \"name\": \"uart_1\"",
                  "{ \"name\": \"uart_2\", \"type\": \"tavuart\", \"version\": \"1.00.a\", "
                  "\"class\": \"PERIPHERAL\", \"parameters\": {} },\n{ \"name\": \"uart_1\"");
  auto moved = RunTavsw({"edit", mss, "--hw", dir.Write("more.json", more), "--repo", kRepo,
                         "--rename", "uart_0=uart_2", "--force"});
  EXPECT_EQ(1, moved.status) << moved.err;
  EXPECT_TRUE(Contains(moved.err, "--rename uart_0=uart_2: 'uart_2' already names an instance\n"))
      << moved.err;
  EXPECT_EQ(demo, tavtest::ReadFile(mss));
  // The hardware calls the console by another name now.
  std::string hw = tavtest::ReadFile(kHw);
  for (size_t at; (at = hw.find("\"uart_0\"")) != std::string::npos;) hw.replace(at, 8, "\"console\"");
  const std::string renamedHw = dir.Write("hw.json", hw);
  auto r = RunTavsw({"edit", mss, "--hw", renamedHw, "--repo", kRepo, "--rename", "uart_0=console"});
  EXPECT_EQ(1, Contains(r.err, "ERROR")) << r.err;  // what the rename mends
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("written\n", r.out);
  r = RunTavsw({"build", mss, "--hw", renamedHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  // The driver's HW_INSTANCE and the OS's stdin and stdout, nothing else.
  std::string want = Replaced(demo, " PARAMETER stdin = uart_0\n", " PARAMETER stdin = console\n");
  want = Replaced(want, " PARAMETER stdout = uart_0\n", " PARAMETER stdout = console\n");
  want = Replaced(want, " PARAMETER HW_INSTANCE = uart_0\n", " PARAMETER HW_INSTANCE = console\n");
  EXPECT_EQ(want, tavtest::ReadFile(mss));
}

TEST_F(CliEditTrustTest, ChangingAComponentKeepsItsSettingsAndPlace) {
  // The driver and version it has: nothing to do.
  auto r = Edit({"--driver", "uart_0=tavuart", "--driver", "uart_0=tavuart:1.00.a", "--os",
                 "standalone:2.00.a"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("unchanged\n", r.out);
  EXPECT_EQ(demo, tavtest::ReadFile(mss));
  // Another OS keeps what it declares (stdout) and names what it drops.
  r = Edit({"--os", "tavrtos"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("tavsw: " + mss + ": --os tavrtos: drops what the new definition does not declare: stdin\n",
            r.err);
  std::string want = Replaced(demo,
                              " PARAMETER OS_NAME = standalone\n PARAMETER OS_VER = 2.00.a\n",
                              " PARAMETER OS_NAME = tavrtos\n PARAMETER OS_VER = 1.00.a\n");
  want = Replaced(want, " PARAMETER stdin = uart_0\n", "");
  EXPECT_EQ(want, tavtest::ReadFile(mss));
  // An older driver: its block stays where it was, with the comment lines
  // of what it drops.
  r = Edit({"--driver", "gpio_0=tavgpio:1.00.a"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("tavsw: " + mss + ": --driver gpio_0=tavgpio:1.00.a: drops what the new definition does "
                              "not declare: pin_map\n",
            r.err);
  want = Replaced(want,
                  " PARAMETER DRIVER_VER = 2.00.a\n PARAMETER HW_INSTANCE = gpio_0\n"
                  " # The first pin is set here; the definition fills in the other three.\n"
                  " PARAMETER pin_map = ((0, out))\n",
                  " PARAMETER DRIVER_VER = 1.00.a\n PARAMETER HW_INSTANCE = gpio_0\n");
  EXPECT_EQ(want, tavtest::ReadFile(mss));
  // A driver that does not name the hardware's type.
  demo = want;
  ExpectRefused({"--driver", "timer_0=tavgpio"},
                "--driver timer_0=tavgpio: tavgpio does not name tavtimer among its supported "
                "peripherals (--force gives it anyway)");
}

// Any error, also one the library reports while acting, leaves the file as
// it was, whatever actions went well before.
TEST_F(CliEditTrustTest, AllOrNothingAfterALibraryError) {
  dir.Write("repo/drivers/broken_v1_00_a/data/broken_v2_1_0.mdd",
            "OPTION psf_version = 2.1;\nBEGIN DRIVER broken\nPARAM name = x, type = ;\nEND\n");
  auto r = RunTavsw({"edit", mss, "--hw", kHw, "--repo", dir / "repo", "--repo", kRepo, "--set",
                     "uart_0.C_BAUDRATE=9600", "--driver", "timer_0=broken", "--force"});
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_TRUE(Contains(r.err, mss + ": --driver timer_0=broken: the errors above\n")) << r.err;
  EXPECT_TRUE(Contains(r.err, mss + ": not written: an action was refused\n")) << r.err;
  EXPECT_EQ(demo, tavtest::ReadFile(mss));
}

// A file with CRLF line ends keeps them, and every line but the one set
// keeps its bytes.
TEST_F(CliEditTrustTest, CrlfFileKeepsEveryUntouchedByte) {
  std::string crlf;
  for (char c : demo) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  dir.Write("system.mss", crlf);
  auto r = Edit({"--set", "uart_1.C_BAUDRATE=9600", "--set", "timer_0.C_NEW=1", "--force"});
  EXPECT_EQ(0, r.status) << r.err;
  std::string want = Replaced(crlf, " PARAMETER HW_INSTANCE = uart_1\r\n PARAMETER C_BAUDRATE = 115200\r\n",
                              " PARAMETER HW_INSTANCE = uart_1\r\n PARAMETER C_BAUDRATE = 9600\r\n");
  want = Replaced(want, " PARAMETER mode = 1\r\n", " PARAMETER mode = 1\r\n PARAMETER C_NEW = 1\r\n");
  EXPECT_EQ(want, tavtest::ReadFile(mss));
}

TEST_F(CliEditTrustTest, DryRunPrintsTheDiffAndWritesNothing) {
  auto r = Edit({"--set", "timer_0.tick_rate=100", "--dry-run"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("--- " + mss + "\n+++ " + mss +
                "\n@@ -51,7 +51,7 @@\n  PARAMETER DRIVER_NAME = tavtimer\n"
                "  PARAMETER DRIVER_VER = 1.01.a\n  PARAMETER HW_INSTANCE = timer_0\n"
                "- PARAMETER tick_rate = 1000\n+ PARAMETER tick_rate = 100\n"
                "  PARAMETER mode = 1\n END\n \n",
            r.out);
  EXPECT_EQ(demo, tavtest::ReadFile(mss));
}

// Removing and adding components: a removed block goes with its comment,
// a new one comes after the last block.
TEST_F(CliEditTrustTest, RemovedAndAddedBlocksTouchOnlyTheirLines) {
  auto r = Edit({"--remove-driver", "uart_1", "--del-lib", "tavfs"});
  EXPECT_EQ(0, r.status) << r.err;
  std::string want = Replaced(demo,
                              "\n# A second serial port, served by the same driver.\nBEGIN DRIVER\n"
                              " PARAMETER DRIVER_NAME = tavuart\n PARAMETER DRIVER_VER = 1.00.a\n"
                              " PARAMETER HW_INSTANCE = uart_1\n PARAMETER C_BAUDRATE = 115200\nEND\n",
                              "");
  want = want.substr(0, want.find("\nBEGIN LIBRARY"));
  EXPECT_EQ(want, tavtest::ReadFile(mss));
  r = Edit({"--add-lib", "tavfs"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(want +
                "\nBEGIN LIBRARY\n PARAMETER LIBRARY_NAME = tavfs\n PARAMETER LIBRARY_VER = 1.00.a\n"
                " PARAMETER PROC_INSTANCE = cpu_0\nEND\n",
            tavtest::ReadFile(mss));
}

TEST_F(CliEditTrustTest, TheFileKeepsItsIdentity) {
  // Through a symbolic link: the link stays, its target changes.
  const std::string link = dir / "link.mss";
  ASSERT_EQ(0, ::symlink("system.mss", link.c_str()));
  ASSERT_EQ(0, ::chmod(mss.c_str(), 0640));
  auto r = Edit({"--set", "timer_0.tick_rate=9600"}, link);
  EXPECT_EQ(0, r.status) << r.err;
  struct stat st;
  ASSERT_EQ(0, ::lstat(link.c_str(), &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(0, ::stat(mss.c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 07777);
  EXPECT_TRUE(Contains(tavtest::ReadFile(mss), "tick_rate = 9600\n"));
  // Owner and group stay those of the file, when root rewrites it.
  if (::geteuid() == 0) {
    ASSERT_EQ(0, ::chown(mss.c_str(), 1234, 5678));
    r = Edit({"--set", "timer_0.tick_rate=4800"});
    EXPECT_EQ(0, r.status) << r.err;
    ASSERT_EQ(0, ::stat(mss.c_str(), &st));
    EXPECT_EQ(1234u, st.st_uid);
    EXPECT_EQ(5678u, st.st_gid);
    EXPECT_EQ(0640u, st.st_mode & 07777);
  }
  // A read-only file is not replaced, not even by root.
  const std::string before = tavtest::ReadFile(mss);
  ASSERT_EQ(0, ::chmod(mss.c_str(), 0444));
  r = Edit({"--set", "timer_0.tick_rate=300"});
  EXPECT_EQ(2, r.status);
  EXPECT_EQ("tavsw: " + mss + ": could not be written: Permission denied\n", r.err);
  EXPECT_EQ(before, tavtest::ReadFile(mss));
  // No file, and a file that does not read.
  r = Edit({"--set", "timer_0.tick_rate=300"}, dir / "none.mss");
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("tavsw: " + dir / "none.mss" + ": no such file\n", r.err);
  const std::string broken = dir.Write("broken.mss", "BEGIN DRIVER\n PARAMETER HW_INSTANCE = uart_0\n");
  r = Edit({"--set", "uart_0.C_BAUDRATE=300"}, broken);
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(Contains(r.err, broken + ": has errors; nothing was changed\n")) << r.err;
  EXPECT_EQ("BEGIN DRIVER\n PARAMETER HW_INSTANCE = uart_0\n", tavtest::ReadFile(broken));
}

}  // namespace

namespace {

class CliNewTest : public tavtest::ScratchTest {};

TEST_F(CliNewTest, RefusesAnOsTheRepositoriesDoNotHold) {
  const std::string out = dir / "new.mss";
  for (const char* os : {"tavrtos:9.00.a", "nosuch"}) {
    auto r = RunTavsw({"new", "-o", out, "--hw", kHw, "--proc", "cpu_0", "--repo", kRepo, "--os", os});
    EXPECT_EQ(1, r.status) << os;
    EXPECT_EQ("", r.out);
    EXPECT_FALSE(Port::File::exist(out)) << os;
  }
  auto r = RunTavsw({"new", "-o", out, "--hw", kHw, "--proc", "cpu_0", "--repo", kRepo, "--os",
                     "tavrtos:9.00.a"});
  EXPECT_EQ("tavsw: no MSS made: the repositories hold no OS 'tavrtos' version 9.00.a for cpu_0\n",
            r.err);
}

TEST_F(CliNewTest, TemplateKeepsArraysInterfacesAndTheHardwareFile) {
  const std::string out = dir / "new.mss";
  auto r = RunTavsw({"new", "-o", out, "--hw", kHw, "--proc", "cpu_0", "--repo", kRepo, "--template",
                     kEx + "/system.mss"});
  EXPECT_EQ(0, r.status) << r.err;
  const std::string text = tavtest::ReadFile(out);
  for (const char* part :
       {" PARAMETER HW_SPEC_FILE = hw/system.json\n",
        " PARAMETER HW_INSTANCE = uart_0\n PARAMETER C_BAUDRATE = 115200\n INTERFACE stdin\n INTERFACE stdout\nEND\n",
        " PARAMETER pin_map = ((0,out))\n", "# The console.\nBEGIN DRIVER\n"})
    EXPECT_TRUE(Contains(text, part)) << part << text;
  r = RunTavsw({"build", out, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
}

// "-o -" writes the MSS to standard output and nothing else there.
TEST_F(CliNewTest, DashWritesToStandardOutput) {
  auto r = RunTavsw({"new", "-o", "-", "--hw", kHw, "--proc", "cpu_0", "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(0u, r.out.find("\n PARAMETER VERSION = 2.2.0\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "BEGIN OS\n PARAMETER OS_NAME = standalone\n")) << r.out;
  EXPECT_FALSE(Contains(r.out, "os: ")) << r.out;
  EXPECT_FALSE(Port::File::exist("-"));
}

}  // namespace
