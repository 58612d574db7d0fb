// tavsw tcl: undefined commands, --lenient, --interactive and the support
// scripts that ship with the tool.
#include "CliRun.h"
#include "TestSupport.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;
using tavtest::RunTavswWithInput;

const std::string kEx = TAVSW_EXAMPLES;
const std::string kMss = kEx + "/system.mss", kHw = kEx + "/hw/system.json", kRepo = kEx + "/repo";

class CliTcl : public tavtest::ScratchTest {};

// A misspelt command is Tcl's error; scripts written for an interpreter
// that answers undefined commands with nothing ask for it.
TEST_F(CliTcl, UndefinedCommandsFailUnlessLenient) {
  const std::string script = dir.Write(
      "typo.tcl", "set v [tget_vlaue $::tavsw::model name]\nputs \"value <$v>\"\n");
  auto r = RunTavsw({"tcl", script, kMss, "--hw", kHw, "--repo", kRepo});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("", r.out);
  EXPECT_EQ(0u, r.err.find("tavsw: " + script + ": invalid command name \"tget_vlaue\"\n")) << r.err;

  const std::string out = dir / "out.txt";
  const std::string lenient = dir.Write(
      "lenient.tcl", "set f [open [lindex $argv 0] w]\nputs $f \"value <[tget_vlaue x]>\"\nclose $f\n");
  r = RunTavsw({"tcl", lenient, kMss, "--hw", kHw, "--repo", kRepo, "--lenient", "--", out});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("value <>\n", tavtest::ReadFile(out));
}

TEST_F(CliTcl, InteractiveReadsItsInputWithoutAPrompt) {
  // A command's result is printed (what a script prints with puts goes to
  // the process's own standard output).
  const struct {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;
    std::string err;
  } cases[] = {
      // A command may span lines; exit N ends with N.
      {{"tcl", "--interactive", kMss, "--hw", kHw, "--repo", kRepo},
       "tget_value [lindex [tget_handle $::tavsw::model PROCESSOR *] 0] name\n"
       "if {1} {\n  set x two\n}\nexit 4\nset x never\n",
       4, "tavcpu\ntwo\n", ""},
      // The end of the input ends it; a failed command read from a pipe
      // fails the run, as in a script.
      {{"tcl", "--interactive", kMss, "--hw", kHw, "--repo", kRepo}, "set x ok\nnosuch 1\nset x after\n",
       1, "ok\nafter\n", "invalid command name \"nosuch\"\n"},
      {{"tcl", "--interactive", kMss, "--hw", kHw, "--repo", kRepo}, "set x ok\n", 0, "ok\n", ""},
      // Without a system: the hardware alone, and an empty model.
      {{"tcl", "--interactive", "--hw", kHw}, "llength [tget_handle $::tavsw::model PROCESSOR *]\n",
       0, "0\n", ""},
      {{"tcl", "--interactive", "--hw", kHw}, "set x {unfinished\n", 1, "",
       "tavsw: the input ended inside a command\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    auto r = RunTavswWithInput(c.args, c.input);
    EXPECT_EQ(c.status, r.status) << r.err;
    EXPECT_EQ(c.out, r.out);
    EXPECT_EQ(c.err, r.err);
  }
}

// Without QUARLY_VEK the support scripts that ship with the tool are
// evaluated: their procedures are there, and nothing is reported.
TEST_F(CliTcl, SupportScriptsShipWithTheTool) {
  tavtest::ScopedInstallRoot none("");
  const std::string out = dir / "flags.txt";
  const std::string script = dir.Write(
      "flags.tcl",
      "set f [open [lindex $argv 0] w]\n"
      "puts $f [tav32_cflags [lindex [sw_processors $::tavsw::model] 0]]\nclose $f\n");
  auto r = RunTavsw({"tcl", script, kMss, "--hw", kHw, "--repo", kRepo, "--", out});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("", r.err);
  EXPECT_EQ("-mhw-mul\n", tavtest::ReadFile(out));
  // The variable is the user's again afterwards.
  EXPECT_EQ(nullptr, std::getenv("QUARLY_VEK"));
  // Set but empty names no installation either.
  ::setenv("QUARLY_VEK", "", 1);
  r = RunTavsw({"tcl", script, kMss, "--hw", kHw, "--repo", kRepo, "--", out});
  ::unsetenv("QUARLY_VEK");
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("", r.err);

  // One the user set is used as it is, and a missing script said.
  tavtest::ScopedInstallRoot elsewhere(dir / "noinstall");
  r = RunTavsw({"tcl", script, kMss, "--hw", kHw, "--repo", kRepo, "--", out});
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(Contains(r.err, "ERROR: Cannot evaluate tcl file " + dir / "noinstall" +
                                  "/data/datastructure/hw_database_access.tcl\n"))
      << r.err;
  EXPECT_TRUE(Contains(r.err, "invalid command name \"sw_processors\"")) << r.err;
}

}  // namespace
