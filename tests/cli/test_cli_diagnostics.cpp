// --diagnostics, --max-errors, the exit-code rule in every --help, and the
// naming of unknown commands and options.
#include "CliRun.h"
#include "TestSupport.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;

class CliDiagnostics : public tavtest::ScratchTest {};

// Errors at lines 2 to 4, a status line (a note) at line 3.
const char* kFaulty =
    "PARAMETER VERSION = 2.2.0\n"
    "FOO = 1\n"
    "BEGIN DRIVER x\n"
    "END\n";

TEST_F(CliDiagnostics, EachFormatOnAFileWithErrors) {
  const std::string f = dir.Write("bad.mss", kFaulty);
  const std::string missing = dir / "absent.mdd";
  const struct {
    const char* format;
    std::string err;
  } cases[] = {
      {"text", "ERROR: " + f + " line 2 - Syntax error. Expecting PARAMETER\n" + "ERROR: " + f +
                   " line 3 - Unknown Component Type \n" + "STATUS: " + f +
                   " line 3 - DRIVER x \n" + "ERROR: " + f +
                   " line 4 - Using END without BEGINNING a component. Line ignored\n" +
                   "ERROR: Cannot open file \"" + missing + "\" for reading\n"},
      {"gcc", f + ":2: error: Syntax error. Expecting PARAMETER\n" + f +
                  ":3: error: Unknown Component Type \n" + f + ":3: note: DRIVER x \n" + f +
                  ":4: error: Using END without BEGINNING a component. Line ignored\n" + missing +
                  ": error: Cannot open file \"" + missing + "\" for reading\n"},
      {"json",
       R"({"file":")" + f +
           R"(","line":2,"severity":"error","text":"Syntax error. Expecting PARAMETER"})"
           "\n" +
           R"({"file":")" + f +
           R"(","line":3,"severity":"error","text":"Unknown Component Type "})"
           "\n" +
           R"({"file":")" + f +
           R"(","line":3,"severity":"note","text":"DRIVER x "})"
           "\n" +
           R"({"file":")" + f +
           R"(","line":4,"severity":"error","text":"Using END without BEGINNING a component. Line ignored"})"
           "\n" +
           R"({"file":")" + missing +
           R"(","line":null,"severity":"error","text":"Cannot open file \")" + missing +
           R"(\" for reading"})"
           "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    // The option is the tool's: before or after the command.
    auto r = RunTavsw({"--diagnostics", c.format, "parse", "-q", f, missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    r = RunTavsw({"parse", "-q", f, missing, std::string("--diagnostics=") + c.format});
    EXPECT_EQ(r.err, c.err);
  }
  // A message without a file, and the tool's own about a file.
  auto r = RunTavsw({"--diagnostics=gcc", "bogus"});
  EXPECT_EQ(r.err, "tavsw: error: unknown command 'bogus' (commands: parse, fmt, repo, build, check, tcl, new, edit, query, flags)\n");
  r = RunTavsw({"--diagnostics=json", "fmt", f});
  EXPECT_TRUE(Contains(
      r.err, R"({"file":")" + f +
                 R"(","line":null,"severity":"error","text":"not written, the file has errors"})"))
      << r.err;
  EXPECT_EQ(RunTavsw({"--diagnostics=xml", "parse", f}).status, 2);
}

TEST_F(CliDiagnostics, LineZeroAndDuplicateMessagesNameTheirFile) {
  const std::string empty = dir.Write("e_v2_1_0.mdd", "");
  const std::string dup = dir.Write("dup.mss",
                                    "BEGIN DRIVER\n PARAMETER DRIVER_NAME = d\n PARAMETER A = 1\n"
                                    " PARAMETER a = 2\nEND\n");
  auto r = RunTavsw({"--diagnostics=gcc", "parse", "-q", empty, dup});
  EXPECT_EQ(r.err, empty + ": error: No BEGIN DRIVER found in the MDD file. \n" + dup +
                       ":4: error: Property a already added to driver instance d\n" + dup +
                       ":4: error: PARAMETER is already added to driver instance.\n");
}

TEST_F(CliDiagnostics, MaxErrorsStopsReportingNotReading) {
  const std::string f = dir.Write("bad.mss", kFaulty);
  const std::string good = dir.Write("good.mss", "PARAMETER VERSION = 2.2.0\n");
  auto r = RunTavsw({"parse", "--max-errors", "1", f, good});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: " + f + " line 2 - Syntax error. Expecting PARAMETER\n" +
                       "tavsw: 2 more errors and 1 other message not shown (--max-errors 1)\n");
  EXPECT_TRUE(Contains(r.out, good + ":\nMSS good:")) << r.out;
  EXPECT_EQ(RunTavsw({"parse", "--max-errors", "0", f}).status, 2);
}

TEST_F(CliDiagnostics, UnknownCommandsAndOptionsAreNamed) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"bogus"}, "tavsw: unknown command 'bogus' (commands: parse, fmt, repo, build, check, tcl, new, edit, query, flags)\n"},
      {{"--diagnostics", "gcc", "frob", "x"},
       "tavsw: error: unknown command 'frob' (commands: parse, fmt, repo, build, check, tcl, new, edit, query, flags)\n"},
      {{"repo", "lst"}, "tavsw: unknown command 'repo lst' (commands: repo list, repo find)\n"},
      {{"parse", "--bogus", "x.mss"}, "tavsw: unknown option '--bogus' (see tavsw --help)\n"},
      {{"repo", "list", "extra"}, "tavsw: unexpected argument 'extra' (see tavsw --help)\n"},
  };
  for (const auto& c : cases) {
    auto r = RunTavsw(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(CliDiagnostics, OutputThatCannotBeWrittenExitsTwo) {
  // A stream that takes nothing, as a full disk does.
  struct Full : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
  } full;
  const std::string mss = std::string(TAVSW_EXAMPLES) + "/system.mss";
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"parse", "--json", mss}, {"parse", mss}, {"fmt", "-o", "-", mss}}) {
    args.insert(args.begin(), "tavsw");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(kTavswUsage, TavswMain(static_cast<int>(argv.size()), argv.data(), out, err))
        << args[1];
    EXPECT_EQ("tavsw: the standard output could not be written\n", err.str()) << args[1];
  }
}

TEST_F(CliDiagnostics, EveryHelpStatesTheExitCodes) {
  const std::vector<std::vector<std::string>> helps = {
      {"--help"},         {"parse", "--help"},        {"fmt", "--help"},
      {"repo", "--help"}, {"repo", "list", "--help"}, {"repo", "find", "--help"},
      {"build", "--help"}, {"check", "--help"},    {"tcl", "--help"},
      {"new", "--help"},   {"edit", "--help"},     {"query", "--help"},  {"flags", "--help"}};
  for (const auto& args : helps) {
    auto r = RunTavsw(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(Contains(r.out,
                         "Exit status: 0 no errors; 1 an input had errors or a lookup found "
                         "nothing; 2 usage error\nor an output that could not be written."))
        << r.out;
    EXPECT_TRUE(Contains(r.out, "--diagnostics")) << r.out;
  }
}

}  // namespace
