// tavsw lsp diagnostics: what tavsw check says, at its line, on open and on
// every change of the unsaved text; messages about definition files go to
// their own URI; a definition file is read again when it changes.
#include <filesystem>
#include <fstream>

#include "LspServer.h"
#include "LspSession.h"
#include "TestSupport.h"

namespace {

using tavtest::Json;
using tavtest::LastDiagnostics;
using tavtest::LspSession;
using tavtest::Summaries;

class LspDiagnosticsTest : public tavtest::LspDemoTest {
 protected:
  // The demo with `from` replaced by `to` (once).
  std::string DemoWith(const std::string& from, const std::string& to) const {
    std::string text = demo;
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    return text.replace(at, from.size(), to);
  }
};

TEST_F(LspDiagnosticsTest, OpenAndEveryChangeOfTheUnsavedTextAreChecked) {
  LspSession s;
  s.Initialize()
      .Open(mss, demo)
      .ChangeAll(mss, DemoWith(" PARAMETER C_BAUDRATE = 115200\n INTERFACE stdin",
                               " PARAMETER C_BAUDRAT = 115200\n INTERFACE stdin"), 2)
      .Request(7, "textDocument/documentSymbol", {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}}})
      .ChangeAll(mss, demo +
                          "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n"
                          " PARAMETER DRIVER_VER = 1.00.a\n PARAMETER HW_INSTANCE = uart_9\n"
                          " PARAMETER C_PARITY = 5\nEND\n",
                 3)
      .End();
  const auto sent = s.Run({"--repo", repo});
  EXPECT_EQ(0, s.status) << s.errText;
  std::vector<std::vector<std::string>> published;
  for (const Json& m : sent)
    if (m.value("method", "") == "textDocument/publishDiagnostics" &&
        m.at("params").at("uri") == tavsw::lsp::UriOfPath(mss))
      published.push_back(Summaries(m.at("params").at("diagnostics")));
  // The open text and the change after it come one after the other before
  // the next request: only the changed text is checked. The third text is
  // checked before shutdown is answered.
  ASSERT_EQ(2u, published.size());
  EXPECT_EQ(std::vector<std::string>{"29: 1 C_BAUDRAT is not a configurable parameter for driver tavuart"},
            published[0]);
  // A hardware instance that is not there, at its component.
  EXPECT_EQ((std::vector<std::string>{
                "77: 1 tavuart - No IP instance named uart_9 is present in the hardware!"}),
            published[1]);
}

// Incremental changes, applied in order, ranges in UTF-16 units.
TEST_F(LspDiagnosticsTest, RangeChangesEditTheTextTheServerChecks) {
  const std::string typo = DemoWith(" PARAMETER C_BAUDRATE = 115200\n INTERFACE",
                                    " PARAMETER C_BAUDRAT = 115200\n INTERFACE");
  auto at = [](int line, int character) { return Json{{"line", line}, {"character", character}}; };
  LspSession s;
  s.Initialize().Open(mss, typo).Notify(
      "textDocument/didChange",
      {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}, {"version", 2}}},
       {"contentChanges",
        {{{"range", {{"start", at(28, 11)}, {"end", at(28, 20)}}}, {"text", "C_BAUDRATE"}},
         {{"range", {{"start", at(29, 0)}, {"end", at(29, 0)}}}, {"text", " PARAMETER C_PARITY = 7\n"}},
         // "ä" is one unit: the range ends after it, in the comment.
         {{"range", {{"start", at(0, 0)}, {"end", at(0, 0)}}}, {"text", "#\xC3\xA4x\n"}},
         {{"range", {{"start", at(0, 1)}, {"end", at(0, 2)}}}, {"text", "o"}}}}});
  s.Request(3, "textDocument/documentSymbol", {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}}});
  s.Request(4, "textDocument/formatting", {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}}});
  const auto sent = s.Run({"--repo", repo});
  EXPECT_EQ((std::vector<std::string>{
                "31: 1 Invalid Value 7  specified for PARAMETER C_PARITY!\nValid Values are : 0 1 2"}),
            Summaries(LastDiagnostics(sent, mss)));
  const Json uart = tavtest::Answer(sent, 3).at("result").at(2);
  EXPECT_EQ("C_BAUDRATE", uart.at("children").at(3).at("name"));
  EXPECT_EQ("7", uart.at("children").at(4).at("detail"));
  EXPECT_EQ(25, uart.at("range").at("start").at("line"));
  const std::string formatted = tavtest::Answer(sent, 4).at("result").at(0).at("newText");
  EXPECT_EQ("# ox\n# The demo system", formatted.substr(0, 22));
}

TEST_F(LspDiagnosticsTest, ValueChecksRunOnceTheNamesAreRightWithTheAllowedValues) {
  LspSession s;
  s.Initialize().Open(mss, DemoWith(" PARAMETER C_BAUDRATE = 115200\n INTERFACE stdin",
                                    " PARAMETER C_PARITY = 5\n INTERFACE stdin"));
  const auto sent = s.Run({"--repo", repo});
  EXPECT_EQ((std::vector<std::string>{
                "29: 1 Invalid Value 5  specified for PARAMETER C_PARITY!\nValid Values are : 0 1 2"}),
            Summaries(LastDiagnostics(sent, mss)));
  const Json d = LastDiagnostics(sent, mss).at(0);
  // The range is the statement, without the indentation.
  EXPECT_EQ((Json{{"start", {{"line", 28}, {"character", 1}}}, {"end", {{"line", 28}, {"character", 23}}}}),
            d["range"]);
  EXPECT_EQ("tavsw", d["source"]);
}

TEST_F(LspDiagnosticsTest, MessagesAboutADefinitionFileGoToItsUri) {
  const std::string mdd = repo + "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd";
  std::string text = tavtest::ReadFile(mdd);
  text.replace(text.find("  PARAM name = C_PARITY"), 0, "  PARAM = ;\n");
  std::ofstream(mdd) << text;
  LspSession s;
  s.Initialize().Open(mss, demo);
  const auto sent = s.Run({"--repo", repo});
  EXPECT_EQ((std::vector<std::string>{"16: 1 Empty PARAMETER declaration",
                                      "1: 1 Errors while parsing MDD file " + mdd}),
            Summaries(LastDiagnostics(sent, mdd)));
}

TEST_F(LspDiagnosticsTest, AnOpenDefinitionCountsWithItsUnsavedTextAndADiskChangeIsReadAgain) {
  const std::string mdd = repo + "/drivers/tavtimer_v1_01_a/data/tavtimer_v2_1_0.mdd";
  const std::string original = tavtest::ReadFile(mdd);
  std::string renamed = original;
  renamed.replace(renamed.find("name = tick_rate"), 16, "name = tick_rates");
  LspSession s;
  // The unsaved definition no longer declares tick_rate: the MSS is wrong;
  // its own reader's messages (none here) are the MDD's diagnostics.
  s.Initialize().Open(mss, demo).Open(mdd, renamed)
      .Request(5, "textDocument/documentSymbol", {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}}});
  auto sent = s.Run({"--repo", repo});
  EXPECT_EQ(std::vector<std::string>{"54: 1 tick_rate is not a configurable parameter for driver tavtimer"},
            Summaries(LastDiagnostics(sent, mss)));
  EXPECT_EQ(Json::array(), LastDiagnostics(sent, mdd));

  // Written on disk instead, the change is seen when the editor says a
  // watched file changed: the server is driven message by message here.
  std::istringstream in;
  std::ostringstream out;
  tavsw::lsp::Server server(in, out, {{repo}, ""});
  auto handle = [&](const std::string& method, const Json& params) {
    server.Handle(Json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", method}, {"params", params}}
                      .dump());
    server.PublishPending();
  };
  auto lastForMss = [&] {
    std::istringstream frames(out.str());
    std::string body, problem;
    Json last;
    while (tavsw::lsp::ReadFrame(frames, body, problem) == tavsw::lsp::FrameStatus::kMessage) {
      const Json m = Json::parse(body);
      if (m.value("method", "") == "textDocument/publishDiagnostics" &&
          m.at("params").at("uri") == tavsw::lsp::UriOfPath(mss))
        last = m.at("params").at("diagnostics");
    }
    out.str("");
    return Summaries(last);
  };
  handle("initialize", Json::object());
  handle("textDocument/didOpen", {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)},
                                                    {"version", 1}, {"text", demo}}}});
  EXPECT_EQ(std::vector<std::string>{}, lastForMss());
  std::ofstream(mdd) << renamed;
  handle("workspace/didChangeWatchedFiles",
         {{"changes", {{{"uri", tavsw::lsp::UriOfPath(mdd)}, {"type", 2}}}}});
  EXPECT_EQ(std::vector<std::string>{"54: 1 tick_rate is not a configurable parameter for driver tavtimer"},
            lastForMss());
  std::ofstream(mdd) << original;
  handle("textDocument/didSave", {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mdd)}}}});
  EXPECT_EQ(std::vector<std::string>{}, lastForMss());
}

TEST_F(LspDiagnosticsTest, AMissingHardwareDescriptionIsSaidAtItsLine) {
  LspSession s;
  s.Initialize().Open(mss, DemoWith("hw/system.json", "hw/gone.json"));
  const auto sent = s.Run({"--repo", repo});
  const auto got = Summaries(LastDiagnostics(sent, mss));
  ASSERT_FALSE(got.empty());
  EXPECT_EQ("6: 2 hardware description hw/gone.json not found; the checks that need the hardware "
            "were skipped",
            got.at(0));
}

// The settings may come from the client instead of the command line: the
// hardware setting wins over the MSS's HW_SPEC_FILE.
TEST_F(LspDiagnosticsTest, InitializationOptionsNameTheRepositoriesAndTheHardware) {
  LspSession s;
  s.Initialize({{"repos", {repo}}, {"hw", dir / "hw/system.json"}})
      .Open(mss, DemoWith("hw/system.json", "hw/gone.json") + "BEGIN DRIVER\n"
                 " PARAMETER DRIVER_NAME = tavuart\n PARAMETER HW_INSTANCE = uart_9\nEND\n");
  const auto sent = s.Run();
  EXPECT_EQ((std::vector<std::string>{
                "77: 1 tavuart - No IP instance named uart_9 is present in the hardware!"}),
            Summaries(LastDiagnostics(sent, mss)));
}

// The hardware description is kept between changes; what reading it said
// is still said with every check.
TEST_F(LspDiagnosticsTest, WarningsAboutTheHardwareDescriptionComeWithEveryCheck) {
  const std::string hw = dir / "hw/system.json";
  std::string json = tavtest::ReadFile(hw);
  json.replace(json.find("\"format\": 1,"), 12, "\"format\": 1, \"colour\": 1,");
  std::ofstream(hw) << json;
  LspSession s;
  s.Initialize().Open(mss, demo)
      .Request(5, "textDocument/documentSymbol", {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}}})
      .ChangeAll(mss, demo + "\n", 2);
  const auto sent = s.Run({"--repo", repo});
  int published = 0;
  for (const Json& m : sent) {
    if (m.value("method", "") != "textDocument/publishDiagnostics") continue;
    ++published;
    const auto got = Summaries(m.at("params").at("diagnostics"));
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ(0u, got.at(0).find("1: 2 " + hw + ": ")) << got.at(0);
    EXPECT_NE(std::string::npos, got.at(0).find("colour")) << got.at(0);
  }
  EXPECT_EQ(2, published);
}

TEST_F(LspDiagnosticsTest, AnMddDocumentGetsItsReadersMessages) {
  const std::string mdd = dir / "x.mdd";
  LspSession s;
  s.Initialize().Open(mdd, "BEGIN DRIVER x\n  PARAM name = a, type = int;\n  FOO = 1;\nEND DRIVER\n");
  const auto sent = s.Run();
  const auto got = Summaries(LastDiagnostics(sent, mdd));
  ASSERT_EQ(1u, got.size());
  EXPECT_EQ(0u, got.at(0).find("3: 1 Syntax error. Either an invalid Keyword is used")) << got.at(0);
}

}  // namespace
