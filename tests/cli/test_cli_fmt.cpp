// tavsw fmt: rewriting an MSS in place or elsewhere, and refusing to write
// when the read had errors.
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
  const std::string mdd = dir.Write("d.mdd", "BEGIN DRIVER d\nEND DRIVER\n");
  struct Case {
    std::vector<std::string> args;
    const char* errPart;
  } cases[] = {
      {{"fmt"}, "file"},
      {{"fmt", mdd}, "d.mdd: MDD files cannot be formatted yet"},
      {{"fmt", mss, "-o"}, "-o"},
      {{"fmt", mss, "-o", dir / "missing/dir/out.mss"}, "could not be written"},
  };
  for (const auto& c : cases) {
    auto r = RunTavsw(c.args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_TRUE(Contains(r.err, c.errPart)) << r.err;
  }
  EXPECT_EQ(ReadFile(mss), kUnordered);
}

}  // namespace
