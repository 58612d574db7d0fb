// tavsw new, edit, query and flags on the demo installation.
#include "CliRun.h"
#include "TestSupport.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;

const std::string kEx = TAVSW_EXAMPLES;
const std::string kHw = kEx + "/hw/system.json", kRepo = kEx + "/repo";

class CliEditTest : public tavtest::ScratchTest {
 protected:
  // A new MSS for the demo processor; its path.
  std::string NewMss() {
    const std::string out = dir / "new.mss";
    auto r = RunTavsw({"new", "-o", out, "--hw", kHw, "--proc", "cpu_0", "--repo", kRepo});
    EXPECT_EQ(0, r.status) << r.err;
    return out;
  }
  tavtest::CliResult Edit(const std::string& mss, std::vector<std::string> actions) {
    std::vector<std::string> args{"edit", mss, "--hw", kHw, "--repo", kRepo};
    args.insert(args.end(), actions.begin(), actions.end());
    return RunTavsw(args);
  }
};

TEST_F(CliEditTest, NewMakesAnMssThatBuildsCleanly) {
  const std::string out = dir / "new.mss";
  auto r = RunTavsw({"new", "-o", out, "--hw", kHw, "--proc", "cpu_0", "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(r.out, "cpu_0: tavcpu 1.00.a\n"));
  EXPECT_TRUE(Contains(r.out, "uart_1: tavuart 1.00.a\n"));
  EXPECT_TRUE(Contains(r.out, "os: standalone 2.00.a\n"));
  r = RunTavsw({"build", out, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  // An existing output is kept unless --force.
  r = RunTavsw({"new", "-o", out, "--hw", kHw, "--proc", "cpu_0", "--repo", kRepo});
  EXPECT_EQ(2, r.status);
  EXPECT_TRUE(Contains(r.err, out + ": exists; --force overwrites it"));
  r = RunTavsw({"new", "-o", out, "--hw", kHw, "--proc", "cpu_0", "--repo", kRepo, "--force",
                "--os", "tavrtos"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(r.out, "os: tavrtos 1.00.a\n"));
}

TEST_F(CliEditTest, ActionsApplyInOrderAndWriteOnlyWhenChanged) {
  const std::string mss = NewMss();
  auto r = Edit(mss, {"--set", "uart_0.C_BAUDRATE=9600", "--add-lib", "tavfs", "--os",
                      "tavrtos:1.00.a", "--driver", "gpio_0=tavgpio:1.00.a", "--set",
                      "tavfs.fs_medium=2", "--unset", "uart_0.C_BAUDRATE", "--remove-driver",
                      "ram_0", "--rename", "uart_1=uart_0b"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("written\n", r.out);
  const std::string text = tavtest::ReadFile(mss);
  for (const char* part : {" PARAMETER OS_NAME = tavrtos\n", " PARAMETER LIBRARY_NAME = tavfs\n",
                           " PARAMETER FS_MEDIUM = 2\n", " PARAMETER HW_INSTANCE = uart_0b\n",
                           " PARAMETER DRIVER_VER = 1.00.a\n"})
    EXPECT_TRUE(Contains(text, part)) << part << text;
  EXPECT_FALSE(Contains(text, "C_BAUDRATE"));
  EXPECT_FALSE(Contains(text, "ram_0"));
  EXPECT_FALSE(Contains(text, "PARAMETER OS_NAME = standalone"));

  r = Edit(mss, {"--set", "uart_0.C_DATA_BITS=8", "--unset", "uart_0.C_DATA_BITS"});
  EXPECT_EQ("unchanged\n", r.out) << r.err;
}

TEST_F(CliEditTest, RefusedActionsNameWhyAndWriteNothing) {
  const std::string mss = NewMss();
  const std::string before = tavtest::ReadFile(mss);
  const struct {
    std::vector<std::string> actions;
    std::string why;
  } cases[] = {
      {{"--set", "nobody.X=1"}, "--set nobody.X=1: no such component"},
      {{"--set", "uart_0"}, "--set uart_0: expected COMPONENT.PARAM=VALUE"},
      {{"--unset", "uart_0.NOPE"}, "--unset uart_0.NOPE: no such parameter"},
      {{"--driver", "gpio_0=nosuch"}, "--driver gpio_0=nosuch: no such core"},
      {{"--remove-driver", "nothing"}, "--remove-driver nothing: no such component"},
      {{"--os", "nosuch"}, "--os nosuch: no such core"},
      {{"--add-lib", "nosuch"}, "--add-lib nosuch: no such core"},
      {{"--del-lib", "tavfs"}, "--del-lib tavfs: no such library on that processor"},
      {{"--rename", "nothing=x"}, "--rename nothing=x: no instance names it"},
      // A good action before a refused one is not written either.
      {{"--set", "uart_0.C_BAUDRATE=1", "--driver", "gpio_0=nosuch"},
       "--driver gpio_0=nosuch: no such core"},
  };
  for (const auto& c : cases) {
    auto r = Edit(mss, c.actions);
    EXPECT_EQ(1, r.status) << c.why;
    EXPECT_TRUE(Contains(r.err, mss + ": " + c.why)) << r.err;
    EXPECT_TRUE(Contains(r.err, mss + ": not written: an action was refused")) << r.err;
    EXPECT_EQ(before, tavtest::ReadFile(mss));
  }
}

TEST_F(CliEditTest, QueriesAndFlags) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"versions", "tavgpio"}, 0, "2.00.a\n"},
      {{"versions", "standalone", "--kind", "os"}, 0, "2.00.a\n"},
      {{"drivers", "tavuart", "1.00.a"}, 0, "tavuart_v1.00.a\n"},
      {{"oss", "tavcpu", "1.00.a"}, 0, "tavrtos 1.00.a\nstandalone 2.00.a  Bare-metal runtime without an operating system\n"},
      {{"dir", "tavuart", "1.00.a"}, 0, kRepo + "/drivers/tavuart_v1_00_a/data\n"},
      {{"drivers", "nothing", "1.00.a"}, 1, ""},
      {{"dir", "tavuart"}, 2, ""},
      {{"bogus"}, 2, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"query"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"--repo", kRepo});
    auto r = RunTavsw(args);
    EXPECT_EQ(c.status, r.status) << c.args[0] << r.err;
    EXPECT_EQ(c.out, r.out) << c.args[0];
  }
  auto r = RunTavsw({"query", "oss", "tavcpu", "1.00.a", "--raw", "--repo", kRepo});
  EXPECT_EQ("tavrtos:1.00.a::standalone:2.00.a:Bare-metal runtime without an operating system:\n", r.out);

  r = RunTavsw({"flags", "--hw", kHw, "--proc", "cpu_0"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ('\n', r.out.back());
  r = RunTavsw({"flags", "--hw", kHw, "--proc", "nothing"});
  EXPECT_EQ(1, r.status);
}

}  // namespace
