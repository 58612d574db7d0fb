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

  r = Edit(mss, {"--set", "uart_0.C_PARITY=2", "--unset", "uart_0.C_PARITY"});
  EXPECT_EQ("unchanged\n", r.out) << r.err;
  // An action before the file takes one value, not the file too.
  r = RunTavsw({"edit", "--hw", kHw, "--set", "uart_0.C_PARITY=1", mss, "--repo", kRepo});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(Contains(tavtest::ReadFile(mss), " PARAMETER C_PARITY = 1\n"));
}

// An action written wrongly is a usage error, found before any file is
// read; a hardware description that cannot be read is an input error.
TEST_F(CliEditTest, MalformedActionsAreUsageErrors) {
  const std::string mss = NewMss();
  const std::string before = tavtest::ReadFile(mss);
  const struct {
    std::vector<std::string> actions;
    std::string err;
  } cases[] = {
      {{"--set", "uart_0"}, "tavsw: --set uart_0: expected COMPONENT.PARAM=VALUE\n"},
      {{"--set", "uart_0=1"}, "tavsw: --set uart_0=1: expected COMPONENT.PARAM=VALUE\n"},
      {{"--unset", "uart_0.C_PARITY=1"}, "tavsw: --unset uart_0.C_PARITY=1: expected COMPONENT.PARAM\n"},
      {{"--driver", "gpio_0"}, "tavsw: --driver gpio_0: expected HWINST=NAME[:VERSION]\n"},
      {{"--rename", "uart_0="}, "tavsw: --rename uart_0=: expected OLD=NEW\n"},
      {{"--set", "uart_0.C_PARITY=1", "--set", "x"}, "tavsw: --set x: expected COMPONENT.PARAM=VALUE\n"},
  };
  for (const auto& c : cases) {
    auto r = Edit(mss, c.actions);
    EXPECT_EQ(2, r.status) << c.err;
    EXPECT_EQ(c.err, r.err);
    EXPECT_EQ(before, tavtest::ReadFile(mss));
  }
  // Found before the hardware file is looked for.
  auto r = RunTavsw({"edit", mss, "--hw", dir / "none.json", "--set", "x"});
  EXPECT_EQ(2, r.status);
  EXPECT_EQ("tavsw: --set x: expected COMPONENT.PARAM=VALUE\n", r.err);
  r = RunTavsw({"edit", mss, "--hw", dir / "none.json", "--set", "uart_0.C_PARITY=1"});
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(Contains(r.err, "Cannot open hardware description")) << r.err;
}

TEST_F(CliEditTest, RefusedActionsNameWhyAndWriteNothing) {
  const std::string mss = NewMss();
  const std::string before = tavtest::ReadFile(mss);
  const struct {
    std::vector<std::string> actions;
    std::string why;
  } cases[] = {
      {{"--set", "nobody.X=1"}, "--set nobody.X=1: no such component"},
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
    std::string err;
  } cases[] = {
      {{"versions", "tavgpio"}, 0, "2.00.a\n", ""},
      {{"versions", "standalone", "--kind", "os"}, 0, "2.00.a\n", ""},
      {{"drivers", "tavuart", "1.00.a"}, 0, "tavuart_v1.00.a\n", ""},
      {{"oss", "tavcpu", "1.00.a"}, 0, "tavrtos 1.00.a\nstandalone 2.00.a  Bare-metal runtime without an operating system\n", ""},
      {{"dir", "tavuart", "1.00.a"}, 0, kRepo + "/drivers/tavuart_v1_00_a/data\n", ""},
      // "*": the newest version there is.
      {{"dir", "tavgpio", "*"}, 0, kRepo + "/drivers/tavgpio_v2_00_a/data\n", ""},
      {{"ldflags", "tavrtos", "*"}, 0, "-ltavrtos\n", ""},
      {{"osdesc", "standalone", "*"}, 0, "Bare-metal runtime without an operating system\n", ""},
      // An empty answer says what was not found.
      {{"cflags", "nosuch", "1.00.a"}, 1, "",
       "tavsw: no library or OS 'nosuch' version 1.00.a in the repositories\n"},
      {{"cflags", "nosuch", "*"}, 1, "", "tavsw: no library or OS 'nosuch' in the repositories\n"},
      {{"dir", "tavuart", "9.00.a"}, 1, "", "tavsw: no core 'tavuart' version 9.00.a in the repositories\n"},
      {{"cflags", "tavfs", "1.00.a"}, 1, "", "tavsw: tavfs 1.00.a: no compiler flags\n"},
      {{"array", "tavfs", "*", "nothing"}, 1, "", "tavsw: tavfs 1.00.a: array nothing: no such array\n"},
      {{"drivers", "nothing", "1.00.a"}, 1, "", "tavsw: nothing 1.00.a: no driver for that IP\n"},
      {{"versions", "nothing"}, 1, "", "tavsw: driver nothing: no active version\n"},
      {{"dir", "tavuart"}, 2, "", "tavsw: usage: tavsw query dir NAME VERSION: the core's data directory\n"},
      {{"bogus"}, 2, "", "tavsw: unknown query 'bogus' (see tavsw query --help)\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"query"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"--repo", kRepo});
    auto r = RunTavsw(args);
    EXPECT_EQ(c.status, r.status) << c.args[0] << r.err;
    EXPECT_EQ(c.out, r.out) << c.args[0];
    EXPECT_EQ(c.err, r.err) << c.args[0];
  }
  auto r = RunTavsw({"query", "oss", "tavcpu", "1.00.a", "--raw", "--repo", kRepo});
  EXPECT_EQ("tavrtos:1.00.a::standalone:2.00.a:Bare-metal runtime without an operating system:\n", r.out);
  r = RunTavsw({"query", "--help"});
  EXPECT_TRUE(Contains(r.out, "* for the newest version the repositories hold")) << r.out;

  r = RunTavsw({"flags", "--hw", kHw, "--proc", "cpu_0"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ('\n', r.out.back());
  r = RunTavsw({"flags", "--hw", kHw, "--proc", "nothing"});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("tavsw: " + kHw + ": no processor instance 'nothing' in the hardware\n", r.err);
  // A peripheral is no processor, whatever flags it would give.
  for (const char* command : {"flags", "new"}) {
    std::vector<std::string> args{command, "--hw", kHw, "--proc", "uart_0"};
    if (std::string(command) == "new") args.insert(args.end(), {"-o", dir / "u.mss", "--repo", kRepo});
    r = RunTavsw(args);
    EXPECT_EQ(1, r.status) << command;
    EXPECT_EQ("", r.out) << command;
    EXPECT_EQ("tavsw: " + kHw + ": 'uart_0' is no processor instance of the hardware (its class is "
                                "PERIPHERAL)\n",
              r.err);
  }
  EXPECT_FALSE(Port::File::exist(dir / "u.mss"));
  r = RunTavsw({"flags", "--hw", dir.Write("bad.json", "{"), "--proc", "cpu_0"});
  EXPECT_EQ(1, r.status);
}

// A repository holding an older version first: "*" still means the newest,
// not the first found.
TEST_F(CliEditTest, QueryStarIsTheNewestVersionWhereverItIs) {
  const std::string mdd = tavtest::ReadFile(kRepo + "/drivers/tavgpio_v1_00_a/data/tavgpio_v2_1_0.mdd");
  dir.Write("old/drivers/tavgpio_v1_00_a/data/tavgpio_v2_1_0.mdd", mdd);
  dir.Write("new/drivers/tavgpio_v3_00_a/data/tavgpio_v2_1_0.mdd", mdd);
  auto r = RunTavsw({"query", "dir", "tavgpio", "*", "--repo", dir / "old", "--repo", dir / "new"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(dir / "new" + "/drivers/tavgpio_v3_00_a/data\n", r.out);
}

}  // namespace
