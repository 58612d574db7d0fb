// tavsw fmt: rewriting an MSS in place or elsewhere, and refusing to write
// when the read had errors.
#include <sys/stat.h>

#include <filesystem>

#include "CliRun.h"
#include "TestSupport.h"

namespace {

using tavtest::Contains;
using tavtest::ReadFile;
using tavtest::RunTavsw;

// Driver before OS, so the rewrite visibly regroups the components.
const char* kUnordered =
    "# demo system\n"
    "\n"
    "PARAMETER VERSION = 2.2.0\n"
    "BEGIN DRIVER\n"
    " PARAMETER DRIVER_NAME = tavdemo # the demo driver\n"
    " PARAMETER HW_INSTANCE = demo_0\n"
    "END\n"
    "BEGIN OS\n"
    " PARAMETER OS_NAME = standalone\n"
    "END\n";

const char* kBroken =
    "PARAMETER VERSION = 2.2.0\n"
    "BEGIN DRIVER\n"
    " PARAMETER DRIVER_NAME = tavdemo\n"
    " BOGUS = 1\n"
    "END\n";

class CliFmt : public tavtest::ScratchTest {};

TEST_F(CliFmt, RewritesInPlaceRegroupedAndStable) {
  const std::string mss = dir.Write("system.mss", kUnordered);
  auto r = RunTavsw({"fmt", mss});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  const std::string first = ReadFile(mss);
  EXPECT_NE(first, kUnordered);
  EXPECT_LT(first.find("BEGIN OS"), first.find("BEGIN DRIVER")) << first;
  EXPECT_TRUE(Contains(first, "# demo system")) << first;
  EXPECT_TRUE(Contains(first, "the demo driver")) << first;

  // What fmt writes reads back cleanly and formats to itself.
  r = RunTavsw({"fmt", mss});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(mss), first);
  r = RunTavsw({"parse", "--quiet", mss});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliFmt, OutputOptionLeavesTheSourceAlone) {
  const std::string mss = dir.Write("system.mss", kUnordered);
  const std::string inPlace = dir.Write("copy.mss", kUnordered);
  auto r = RunTavsw({"fmt", mss, "-o", dir / "out.mss"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(mss), kUnordered);
  ASSERT_EQ(RunTavsw({"fmt", inPlace}).status, 0);
  // Same text as an in-place rewrite (the name comes from the source file).
  EXPECT_EQ(ReadFile(dir / "out.mss"), ReadFile(inPlace));

  r = RunTavsw({"fmt", "--output", dir / "long.mss", mss});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "long.mss"));
}

TEST_F(CliFmt, ReadErrorsWriteNothing) {
  const std::string mss = dir.Write("broken.mss", kBroken);
  auto r = RunTavsw({"fmt", mss});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(mss), kBroken);
  EXPECT_EQ(r.err, "ERROR: " + mss + " line 4 - Syntax error. Use PARAMETER or INTERFACE\n" +
                       "tavsw: " + mss + ": not written, the file has errors\n");

  r = RunTavsw({"fmt", mss, "-o", dir / "out.mss"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.mss"));

  r = RunTavsw({"fmt", dir / "absent.mss", "-o", dir / "out.mss"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.mss"));
}

TEST_F(CliFmt, UsageAndWriteFailuresExitTwo) {
  const std::string mss = dir.Write("system.mss", kUnordered);
  const std::string other = dir.Write("other.mss", kUnordered);
  const std::string mdd = dir.Write("d.mdd", "BEGIN DRIVER d\nEND DRIVER\n");
  const std::string mld = dir.Write("l.mld", "BEGIN LIBRARY l\nEND LIBRARY\n");
  const std::string txt = dir.Write("notes.txt", "x\n");
  const std::string readOnly = dir.Write("ro.mss", kUnordered);
  ::chmod(readOnly.c_str(), 0444);
  ASSERT_EQ(::mkfifo((dir / "fifo.mss").c_str(), 0644), 0);
  struct Case {
    std::vector<std::string> args;
    std::string err;  // exact; empty: CLI11's own message, not checked
  } cases[] = {
      {{"fmt"}, ""},
      {{"fmt", mss, "-o"}, ""},
      {{"fmt", mdd}, "tavsw: " + mdd + ": MDD files cannot be formatted yet\n"},
      {{"fmt", mss, mld}, "tavsw: " + mld + ": MLD files cannot be formatted yet\n"},
      {{"fmt", txt}, "tavsw: " + txt + ": unknown file type (expected .mss)\n"},
      {{"fmt", mss, "-o", ""}, "tavsw: -o needs a file name ('-' for standard output)\n"},
      {{"fmt", mss, other, "-o", dir / "x.mss"}, "tavsw: -o takes one input file, not 2\n"},
      {{"fmt", mss, "-o", dir / "missing/out.mss"},
       "tavsw: " + dir / "missing/out.mss" +
           ": could not be written: No such file or directory\n"},
      {{"fmt", mss, "-o", dir / "fifo.mss"},
       "tavsw: " + dir / "fifo.mss" + ": could not be written: not a regular file\n"},
      {{"fmt", readOnly},
       "tavsw: " + readOnly + ": could not be written: Permission denied\n"},
  };
  for (const auto& c : cases) {
    auto r = RunTavsw(c.args);
    EXPECT_EQ(r.status, 2) << r.err;
    if (!c.err.empty()) {
      EXPECT_EQ(r.err, c.err);
    }
  }
  EXPECT_EQ(ReadFile(mss), kUnordered);
  EXPECT_EQ(ReadFile(readOnly), kUnordered);
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo.mss"));
  EXPECT_FALSE(std::filesystem::exists(dir / "x.mss"));
}

// Reading keeps less than the file says in these cases, without an error:
// fmt must not write the shorter file unless told to.
TEST_F(CliFmt, LossyReadsWriteNothingUnlessForced) {
  const struct {
    const char* text;
    int line;
    std::string lost;
  } cases[] = {
      {"PARAMETER VERSION = 2.2.0\nPARAMETER PROC = cpu_0\n", 2,
       "value of file-level PARAMETER PROC is not kept"},
      {"PARAMETER VERSION = 2.2.0, 2.1.0\n", 1,
       "text after ',' in the value of PARAMETER VERSION is not kept"},
      {"BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER ports = (1,2)\nEND\n", 3,
       "array value PARAMETER ports in a processor is not kept"},
      {"BEGIN DRIVER\n PARAMETER DRIVER_NAME = d\n INTERFACE stdin stdout\nEND\n", 3,
       "text after INTERFACE stdin is not kept"},
      {"BEGIN DRIVER\n PARAMETER DRIVER_NAME = \"d 1\"\nEND\n", 2,
       "double quotes are read as blanks"},
      {"BEGIN DRIVER\n PARAMETER DRIVER_NAME = d\n PARAMETER map = (1,2) and 3\nEND\n", 3,
       "array value PARAMETER map is written back as (1,2)"},
      {"#\nPARAMETER VERSION = 2.2.0\n", 1, "empty comment is not kept"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string mss = dir.Write("lossy.mss", c.text);
    auto r = RunTavsw({"fmt", mss});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tavsw: " + mss + " line " + std::to_string(c.line) +
                         " - would be lost: " + c.lost + "\n" + "tavsw: " + mss +
                         ": not written, formatting would lose text (--force writes anyway)\n");
    EXPECT_EQ(ReadFile(mss), c.text);
    r = RunTavsw({"fmt", "--force", mss});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(ReadFile(mss), c.text);
  }
}

TEST_F(CliFmt, WarningsAloneWriteNothingUnlessForced) {
  const char* text =
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = intc\n PARAMETER interrupt_handler = (h, 1)\nEND\n";
  const std::string mss = dir.Write("warn.mss", text);
  auto r = RunTavsw({"fmt", "--diagnostics=gcc", mss});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, mss +
                       ":3: warning: intc - ARRAY interrupt_handler has been deprecated in VEK "
                       "and will be removed in future versions of the tool. It is recommended "
                       "that you register interrupt handlers via your application code rather "
                       "than via the MSS. Please refer to Tavnote 24988 for more information.\n" +
                       mss +
                       ": error: not written, reading it reported problems (--force "
                       "writes anyway)\n");
  EXPECT_EQ(ReadFile(mss), text);
  EXPECT_EQ(RunTavsw({"fmt", "--force", mss}).status, 0);
}

TEST_F(CliFmt, WritesThroughASymbolicLink) {
  const std::string real = dir.Write("real/system.mss", kUnordered);
  std::filesystem::create_symlink("real/system.mss", dir / "link.mss");
  auto r = RunTavsw({"fmt", dir / "link.mss"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.mss"));
  EXPECT_NE(ReadFile(real), kUnordered);
  EXPECT_EQ(RunTavsw({"fmt", "--check", dir / "link.mss"}).status, 0);
}

TEST_F(CliFmt, SeveralFilesCheckDiffAndStdout) {
  const std::string a = dir.Write("a.mss", kUnordered);
  const std::string b = dir.Write("b.mss", kUnordered);
  ASSERT_EQ(RunTavsw({"fmt", b}).status, 0);
  const std::string formatted = ReadFile(b);

  auto r = RunTavsw({"fmt", "--check", a, b});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, a + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(a), kUnordered);

  r = RunTavsw({"fmt", "--diff", a, b});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(a), kUnordered);
  EXPECT_EQ(r.out, "--- " + a + "\n+++ " + a +
                       "\n"
                       "@@ -1,10 +1,18 @@\n"
                       " # demo system\n"
                       " \n"
                       "-PARAMETER VERSION = 2.2.0\n"
                       "-BEGIN DRIVER\n"
                       "- PARAMETER DRIVER_NAME = tavdemo # the demo driver\n"
                       "- PARAMETER HW_INSTANCE = demo_0\n"
                       "-END\n"
                       "+ PARAMETER VERSION = 2.2.0\n"
                       "+\n"
                       "+\n"
                       " BEGIN OS\n"
                       "  PARAMETER OS_NAME = standalone\n"
                       " END\n"
                       "+\n"
                       "+\n"
                       "+\n"
                       "+BEGIN DRIVER\n"
                       "+# the demo driver\n"
                       "+ PARAMETER DRIVER_NAME = tavdemo\n"
                       "+ PARAMETER HW_INSTANCE = demo_0\n"
                       "+END\n"
                       "+\n"
                       "+\n");
  EXPECT_EQ(RunTavsw({"fmt", "--diff", "--check", b}).out, "");

  r = RunTavsw({"fmt", a, "-o", "-"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, formatted);
  EXPECT_FALSE(std::filesystem::exists(dir / "-"));
  EXPECT_EQ(ReadFile(a), kUnordered);

  // A file with errors fails the line, the others are still formatted.
  const std::string bad = dir.Write("bad.mss", kBroken);
  r = RunTavsw({"fmt", bad, a});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(a), formatted);
}

}  // namespace
