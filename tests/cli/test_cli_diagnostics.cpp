// --diagnostics, --max-errors, the exit-code rule in every --help, and the
// naming of unknown commands and options.
#include <nlohmann/json.hpp>

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
  EXPECT_EQ(r.err, "tavsw: error: unknown command 'bogus' (commands: parse, fmt, repo, build, check, tcl, new, edit, query, flags, explain, show, completion, lsp)\n");
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

// Whatever form a message's text has, gcc and json give its file and line:
// "<file> line <n> - ", "<name> - <file> line <n> - ", a text that starts
// with a line break, "<file> - ", a file named inside the text.
TEST_F(CliDiagnostics, EveryMessageFormGivesItsFileAndLine) {
  const std::string ex = TAVSW_EXAMPLES;
  const std::string hw = ex + "/hw/system.json", repo = ex + "/repo";
  const std::string head =
      "PARAMETER VERSION = 2.2.0\n"
      "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = tavcpu\n PARAMETER DRIVER_VER = 1.00.a\n"
      " PARAMETER HW_INSTANCE = cpu_0\nEND\n";  // lines 1 to 6
  auto uart = [](const char* inst, const char* baud, const char* extra) {
    return std::string("BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n PARAMETER DRIVER_VER = 1.00.a\n") +
           " PARAMETER HW_INSTANCE = " + inst + "\n PARAMETER C_BAUDRATE = " + baud + "\n" + extra +
           "END\n";
  };
  const std::string nohw = dir.Write(
      "nohw.mss", head + "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavgpio\n PARAMETER DRIVER_VER = 2.00.a\n"
                         " PARAMETER HW_INSTANCE = gpio_9\nEND\n");
  const std::string twoBauds =
      dir.Write("bauds.mss", head + uart("uart_0", "9600", "") + uart("uart_1", "115200", ""));
  const std::string handler = dir.Write(
      "handler.mss", head + uart("uart_0", "9600", " PARAMETER interrupt_handler = ((rx, on_rx))\n"));
  const std::string badMdd = dir.Write("r/drivers/tavbad_v1_00_a/data/tavbad_v2_1_0.mdd",
                                       "OPTION psf_version = 2.1;\nBEGIN DRIVER tavbad\n BOGUS\nEND DRIVER\n");
  const std::string usesBad = dir.Write(
      "usesbad.mss", "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavbad\n PARAMETER DRIVER_VER = 1.00.a\n"
                     " PARAMETER HW_INSTANCE = uart_0\nEND\n");
  const std::string badHw = dir.Write("bad.json", "{ \"format\": 2, \"instances\": [] }");
  // The line of one message, or with `whole` false its beginning.
  auto json = [](const std::string& file, const std::string& line, const char* severity,
                 const std::string& text, bool whole = true) {
    return R"({"file":)" + (file.empty() ? "null" : "\"" + file + "\"") + R"(,"line":)" + line +
           R"(,"severity":")" + severity + R"(","text":")" + text + (whole ? "\"}\n" : "");
  };
  const std::string kBauds =
      "Parameter C_BAUDRATE has different values for different instantiation. \\nCannot support "
      "multiple values of C_BAUDRATE for a driver";
  const std::string kHandler =
      "ARRAY interrupt_handler has been deprecated in VEK and will be removed in future versions "
      "of the tool. It is recommended that you register interrupt handlers via your application "
      "code rather than via the MSS. Please refer to Tavnote 24988 for more information.";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string json;  // the line of the message in --diagnostics=json
    std::string gcc;   // and in --diagnostics=gcc
  } cases[] = {
      {{"check", nohw, "--hw", hw, "--repo", repo}, 1,
       json(nohw, "7", "error", "tavgpio - No IP instance named gpio_9 is present in the hardware!"),
       nohw + ":7: error: tavgpio - No IP instance named gpio_9 is present in the hardware!\n"},
      {{"build", twoBauds, "--hw", hw, "--repo", repo}, 1,
       json(twoBauds, "11", "error", kBauds),
       twoBauds + ":11: error: " +
           "Parameter C_BAUDRATE has different values for different instantiation. \nCannot "
           "support multiple values of C_BAUDRATE for a driver\n"},
      {{"parse", "-q", handler}, 0, json(handler, "12", "warning", "tavuart - " + kHandler),
       handler + ":12: warning: tavuart - " + kHandler + "\n"},
      {{"check", usesBad, "--repo", dir / "r"}, 1,
       json(badMdd, "null", "error", "Errors while parsing MDD file " + badMdd),
       badMdd + ": error: Errors while parsing MDD file " + badMdd + "\n"},
      {{"check", usesBad, "--hw", badHw, "--repo", repo}, 1,
       json(badHw, "null", "error", "format: expected 1", false), badHw + ": error: format: expected 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[1]);
    std::vector<std::string> args = c.args;
    args.push_back("--diagnostics=json");
    auto r = RunTavsw(args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(Contains(r.err, c.json)) << r.err;
    args.back() = "--diagnostics=gcc";
    r = RunTavsw(args);
    EXPECT_TRUE(Contains(r.err, c.gcc)) << r.err;
  }
  // The text form keeps the message whole, on the line of its severity.
  auto r = RunTavsw({"build", twoBauds, "--hw", hw, "--repo", repo});
  EXPECT_TRUE(Contains(r.err, "\nERROR: " + twoBauds + " line 11 - Parameter C_BAUDRATE has"))
      << r.err;
}

// A fault two stages of the build report alike is shown and counted once.
TEST_F(CliDiagnostics, AMessageIssuedTwiceIsShownOnce) {
  const std::string ex = TAVSW_EXAMPLES;
  auto driver = [](const char* name, const char* inst) {
    return std::string("BEGIN DRIVER\n PARAMETER DRIVER_NAME = ") + name +
           "\n PARAMETER DRIVER_VER = 1.00.a\n PARAMETER HW_INSTANCE = " + inst + "\nEND\n";
  };
  const std::string mss = dir.Write(
      "twice.mss", "PARAMETER VERSION = 2.2.0\nBEGIN PROCESSOR\n PARAMETER DRIVER_NAME = tavcpu\n"
                   " PARAMETER DRIVER_VER = 1.00.a\n PARAMETER HW_INSTANCE = cpu_0\nEND\n" +
                       driver("tavuart", "uart_1") + driver("generic", "uart_1"));
  const std::vector<std::string> build = {"build", mss, "--hw", ex + "/hw/system.json", "--repo",
                                          ex + "/repo"};
  const std::string twice = "2 Driver instances assigned to IP uart_1!";
  auto r = RunTavsw(build);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.find("ERROR: " + twice + "\n"), r.err.rfind("ERROR: " + twice + "\n")) << r.err;
  EXPECT_TRUE(Contains(r.err, twice)) << r.err;
  std::vector<std::string> asJson = build;
  asJson.push_back("--json");
  r = RunTavsw(asJson);
  const auto doc = nlohmann::json::parse(r.out);
  int errors = 0, shown = 0;
  for (const auto& d : doc["diagnostics"]) {
    errors += d["severity"] == "error";
    shown += d["text"] == twice;
  }
  EXPECT_EQ(shown, 1) << r.out;
  EXPECT_EQ(doc["errors"], errors);
}

TEST_F(CliDiagnostics, MaxErrorsStopsReportingNotReading) {
  const std::string f = dir.Write("bad.mss", kFaulty);
  const std::string good = dir.Write("good.mss", "PARAMETER VERSION = 2.2.0\n");
  auto r = RunTavsw({"parse", "--max-errors", "1", f, good});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: " + f + " line 2 - Syntax error. Expecting PARAMETER\n" +
                       "tavsw: 2 more errors and 1 other message not shown (--max-errors 1)\n");
  EXPECT_TRUE(Contains(r.out, good + ":\nMSS good:")) << r.out;
}

TEST_F(CliDiagnostics, UnknownCommandsAndOptionsAreNamed) {
  const std::string mss = std::string(TAVSW_EXAMPLES) + "/system.mss";
  const std::string plain = dir.Write("plain.mss", "PARAMETER VERSION = 2.2.0\n");
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"bogus"}, "tavsw: unknown command 'bogus' (commands: parse, fmt, repo, build, check, tcl, new, edit, query, flags, explain, show, completion, lsp)\n"},
      {{"--diagnostics", "gcc", "frob", "x"},
       "tavsw: error: unknown command 'frob' (commands: parse, fmt, repo, build, check, tcl, new, edit, query, flags, explain, show, completion, lsp)\n"},
      {{"repo", "lst"}, "tavsw: unknown command 'repo lst' (commands: repo list, repo find)\n"
                        "tavsw: note: did you mean 'list'?\n"},
      {{"parse", "--bogus", "x.mss"}, "tavsw: unknown option '--bogus' (see tavsw parse --help)\n"},
      {{"repo", "list", "extra"}, "tavsw: unexpected argument 'extra' (see tavsw repo list --help)\n"},
      // A near miss is named with the option meant, whatever took the
      // words after it.
      {{"build", "--rep", "r", mss, "--hw", "h.json"},
       "tavsw: unknown option '--rep'; did you mean '--repo'?\n"},
      // Named before the option it left missing.
      {{"build", "--rpo", "r", mss}, "tavsw: unknown option '--rpo'; did you mean '--repo'?\n"},
      {{"repo", "find", "x", "--verbos"}, "tavsw: unknown option '--verbos'; did you mean '--verbose'?\n"},
      {{"parse", "--jsno=1", "x.mss"}, "tavsw: unknown option '--jsno'; did you mean '--json'?\n"},
      {{"check", mss, "--diagnostic", "gcc"},
       "tavsw: unknown option '--diagnostic'; did you mean '--diagnostics'?\n"},
      // The tool's own values get plain words, not the parser's.
      {{"parse", "--max-errors", "0", mss}, "tavsw: --max-errors takes a number of errors above 0, not '0'\n"},
      {{"parse", "--max-errors", "x", mss}, "tavsw: --max-errors takes a number of errors above 0, not 'x'\n"},
      {{"--diagnostics=xml", "parse", mss}, "tavsw: --diagnostics takes text, gcc or json, not 'xml'\n"},
      // Without --hw the MSS must name its hardware.
      {{"build", plain}, "tavsw: " + plain + ": --hw is required (the MSS names no HW_SPEC_FILE)\n"},
      {{"build", mss, "--hw", "h.json", "--repo"}, "tavsw: --repo needs a value (see tavsw build --help)\n"},
      {{}, "tavsw: no command given (commands: parse, fmt, repo, build, check, tcl, new, edit, query, flags, explain, show, completion, lsp) (see tavsw --help)\n"},
  };
  for (const auto& c : cases) {
    auto r = RunTavsw(c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
}

// An option takes one value: the word after it is the command's own.
TEST_F(CliDiagnostics, OptionsNeverTakeTheFollowingArgument) {
  const std::string ex = TAVSW_EXAMPLES;
  auto r = RunTavsw({"build", "--repo", ex + "/repo", ex + "/system.mss", "--hw", ex + "/hw/system.json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "processor cpu_0:")) << r.out;
  r = RunTavsw({"check", "--repo", ex + "/repo", "--repo", ex + "/repo", ex + "/system.mss"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ex + "/system.mss: no errors\n");
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
      {"new", "--help"},   {"edit", "--help"},     {"query", "--help"},  {"flags", "--help"},
      {"explain", "--help"}, {"show", "--help"},   {"completion", "--help"}};
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
