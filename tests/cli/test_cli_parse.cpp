// tavsw --version and tavsw parse: exit status, diagnostics, summaries.

#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "TestSupport.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;

const char* kMdd =
    "OPTION psf_version = 2.1;\n"
    "BEGIN DRIVER tavdemo\n"
    "  OPTION supported_peripherals = (tavdemo);\n"
    "  OPTION driver_state = active;\n"
    "  PARAM name = C_BASEADDR, default = 0x0, type = int;\n"
    "  PARAM name = C_LABEL, default = demo;\n"
    "  BEGIN BLOCK, dep = (C_USE_FIFO = 1)\n"
    "    PARAM name = C_FIFO_DEPTH, default = 16, type = int;\n"
    "  END BLOCK\n"
    "  BEGIN INTERFACE stdin\n"
    "    PROPERTY header = tavdemo.h;\n"
    "    FUNCTION name = inbyte, value = tavdemo_recv;\n"
    "  END INTERFACE\n"
    "END DRIVER\n";

const char* kMld =
    "OPTION psf_version = 2.1;\n"
    "BEGIN LIBRARY tavlib\n"
    "  OPTION drc = tavlib_drc;\n"
    "  PARAM name = use_cache, default = false, type = bool;\n"
    "  BEGIN CATEGORY cache\n"
    "    PARAM name = cache_opts, type = bool, default = true, dep = (use_cache = true);\n"
    "    PARAM name = cache_size, type = int, default = 512;\n"
    "  END CATEGORY\n"
    "END LIBRARY\n";

const char* kMss =
    "PARAMETER VERSION = 2.2.0\n"
    "BEGIN DRIVER\n"
    " PARAMETER DRIVER_NAME = tavdemo\n"
    " PARAMETER HW_INSTANCE = demo_0\n"
    " PARAMETER channels = ((1, rx), (2, tx))\n"
    " INTERFACE stdin\n"
    "END\n"
    "BEGIN OS\n"
    " PARAMETER OS_NAME = standalone\n"
    "END\n";

class CliParse : public tavtest::ScratchTest {};

TEST_F(CliParse, VersionPrintsToolNameAndProjectVersion) {
  auto r = RunTavsw({"--version"});
  EXPECT_EQ(r.status, 0);
  size_t b = 0, e = 0;
  EXPECT_TRUE(Port_Regexp("^tavsw [0-9]+\\.[0-9]+\\.[0-9]+\n$").GetRangeOfMatch(r.out, 0, b, e))
      << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(CliParse, UsageErrorsExitTwo) {
  const std::string good = dir.Write("good.mss", kMss);
  const std::string txt = dir.Write("notes.txt", "hello\n");
  struct Case {
    std::vector<std::string> args;
    const char* errPart;
  } cases[] = {
      {{}, "no command given"},
      {{"parse"}, "files"},
      {{"frobnicate"}, ""},
      {{"parse", "--bogus", good}, "bogus"},
      // One unknown extension refuses the whole line, before anything is read.
      {{"parse", good, txt}, "notes.txt: unknown file type (expected .mdd, .mld or .mss)"},
      {{"parse", dir / "noextension"}, "unknown file type"},
  };
  for (const auto& c : cases) {
    auto r = RunTavsw(c.args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.out, "") << r.out;
    EXPECT_TRUE(Contains(r.err, c.errPart)) << r.err;
  }
}

TEST_F(CliParse, CleanFilesExitZeroWithSummaries) {
  const std::string mdd = dir.Write("tavdemo_v2_1_0.mdd", kMdd);
  const std::string mld = dir.Write("tavlib_v2_1_0.MLD", kMld);  // extension case ignored
  const std::string mss = dir.Write("system.mss", kMss);
  auto r = RunTavsw({"parse", mdd, mld, mss});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* line : {
           "MDD tavdemo: 2 options, 2 parameters, 1 block, 1 interface, 0 arrays\n",
           "  OPTION SUPPORTED_PERIPHERALS = tavdemo\n",
           "  PARAM C_BASEADDR : int = 0x0\n",
           "  PARAM C_LABEL : string = demo\n",
           "  BLOCK dep (C_USE_FIFO = 1)\n    PARAM C_FIFO_DEPTH : int = 16\n",
           "  INTERFACE stdin\n    PROPERTY header = tavdemo.h\n    FUNCTION inbyte = "
           "tavdemo_recv\n",
           "MLD LIBRARY tavlib: 2 options, 1 parameter, 1 category, 0 interfaces, 0 arrays\n",
           "  CATEGORY cache_opts\n",
           "    PARAM cache_opts : bool = true  [dep (use_cache = true)]\n",
           "MSS system: 1 OS, 0 processors, 1 driver, 0 libraries\n",
           "  PARAMETER VERSION = 2.2.0\n",
           "  OS standalone\n    PARAMETER OS_NAME = standalone\n",
           "  DRIVER tavdemo\n    PARAMETER DRIVER_NAME = tavdemo\n",
           "    ARRAY channels = ((1, rx), (2, tx))  [2 rows]\n",
           "    INTERFACE stdin\n",
       }) {
    EXPECT_TRUE(Contains(r.out, line)) << "missing: " << line << "\n--- got:\n" << r.out;
  }
  // Components come by kind: the OS before the driver, whatever the file order.
  EXPECT_LT(r.out.find("  OS standalone"), r.out.find("  DRIVER tavdemo"));
}

TEST_F(CliParse, ErrorsExitOneAndAreReportedWithSeverityFileAndLine) {
  const std::string bad =
      dir.Write("bad.mss", "PARAMETER VERSION = 2.2.0\nFOO = 1\nBEGIN DRIVER\nEND\n");
  const std::string good = dir.Write("good.mss", kMss);
  auto r = RunTavsw({"parse", bad, good});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: " + bad + " line 2 - Syntax error. Expecting PARAMETER\n");
  // The good file after the bad one is still read and summarised.
  EXPECT_TRUE(Contains(r.out,
                       "MSS bad: 0 OSes, 0 processors, 1 driver, 0 libraries\n"
                       "  PARAMETER VERSION = 2.2.0\n"
                       "  DRIVER (unnamed)\n"))
      << r.out;
  EXPECT_TRUE(Contains(r.out, "MSS good:")) << r.out;
}

TEST_F(CliParse, WarningsAloneKeepExitZero) {
  const std::string mdd = dir.Write("w.mdd",
                                    "BEGIN DRIVER w\n"
                                    "PARAM name = C_RATIO, type = float, default = 1.5;\n"
                                    "END DRIVER\n");
  auto r = RunTavsw({"parse", mdd});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARNING: " + mdd + " line 2 - Unknown Data type float specified. Assuming string\n");
}

TEST_F(CliParse, SummariesNameTheirFileAndAMissingFileGetsNone) {
  const std::string good = dir.Write("good.mss", "PARAMETER VERSION = 2.2.0\n");
  auto r = RunTavsw({"parse", dir / "absent.mdd", good});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: Cannot open file \"" + dir / "absent.mdd" + "\" for reading\n");
  EXPECT_EQ(r.out, good + ":\nMSS good: 0 OSes, 0 processors, 0 drivers, 0 libraries\n" +
                       "  PARAMETER VERSION = 2.2.0\n");
}

TEST_F(CliParse, JsonDescribesWhatWasReadPerFile) {
  const std::string mdd = dir.Write("tavdemo_v2_1_0.mdd", kMdd);
  const std::string mss = dir.Write("system.mss", kMss);
  const std::string bad = dir.Write("bad.mss", "FOO\n");
  auto r = RunTavsw({"parse", "--json", mdd, mss, bad, dir / "absent.mss"});
  EXPECT_EQ(r.status, 1);
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), 4u);
  EXPECT_EQ(j[0]["file"], mdd);
  EXPECT_EQ(j[0]["format"], "mdd");
  EXPECT_EQ(j[0]["content"]["parameters"][0],
            (nlohmann::json{{"name", "C_BASEADDR"}, {"type", "int"}, {"default", "0x0"}}));
  EXPECT_EQ(j[0]["content"]["blocks"], 1);
  EXPECT_EQ(j[0]["content"]["interfaces"][0]["functions"][0],
            (nlohmann::json{{"name", "inbyte"}, {"value", "tavdemo_recv"}}));
  const auto& drv = j[1]["content"]["drivers"][0];
  EXPECT_EQ(drv["name"], "tavdemo");
  EXPECT_EQ(drv["arrays"][0],
            (nlohmann::json{{"name", "channels"}, {"value", "((1, rx), (2, tx))"}, {"rows", 2}}));
  EXPECT_EQ(j[1]["content"]["oses"][0]["name"], "standalone");
  EXPECT_EQ(j[1]["errors"], 0);
  EXPECT_EQ(j[2]["errors"], 1);
  EXPECT_EQ(j[2]["read"], true);
  EXPECT_EQ(j[3]["read"], false);
  EXPECT_FALSE(j[3].contains("content"));

  // Bytes that are no UTF-8 are replaced, not a reason to fail.
  const std::string odd =
      dir.Write("odd.mss", "BEGIN DRIVER\n PARAMETER DRIVER_NAME = d\xff\nEND\n");
  r = RunTavsw({"parse", "--json", odd});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)[0]["content"]["drivers"][0]["name"], "d\xef\xbf\xbd");
}

TEST_F(CliParse, QuietPrintsDiagnosticsOnly) {
  const std::string good = dir.Write("good.mss", kMss);
  const std::string bad = dir.Write("bad.mss", "BEGIN DRIVER\n PARAMETER DRIVER_NAME = x\n");
  auto r = RunTavsw({"parse", "--quiet", good, bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ERROR: " + bad + " line 2 - No END see in MSS file. \n");

  r = RunTavsw({"parse", "-q", good});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST_F(CliParse, RestoresTheCallersMessageSink) {
  const std::string bad = dir.Write("bad.mss", "FOO\n");
  RunTavsw({"parse", bad});
  EXPECT_TRUE(msgs.Messages().empty());
  Port_MsgManData::Issue(MsgSeverity::kWarning, "after");
  EXPECT_EQ(msgs.Texts(MsgSeverity::kWarning), std::vector<std::string>{"after"});
}

}  // namespace
