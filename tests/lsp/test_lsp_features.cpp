// tavsw lsp on the demo: outline, formatting, completion, hover, go to
// definition and quick fixes, each asked as an editor asks.
#include <filesystem>

#include "../cli/CliRun.h"
#include "LspSession.h"
#include "TestSupport.h"

namespace {

using tavtest::Answer;
using tavtest::Json;
using tavtest::LspSession;

class LspFeaturesTest : public tavtest::LspDemoTest {
 protected:
  // Opens `text` as the MSS, asks `method` at (line, character) (0-based)
  // and returns the result.
  Json Ask(const std::string& method, int line, int character, const std::string& text) {
    LspSession s;
    s.Initialize().Open(mss, text).At(2, method, mss, line, character).End();
    const Json answer = Answer(s.Run({"--repo", repo}), 2);
    EXPECT_TRUE(answer.contains("result")) << answer;
    return answer["result"];
  }
  Json Ask(const std::string& method, int line, int character) {
    return Ask(method, line, character, demo);
  }
  // The labels of a completion answer, in the order the editor shows them.
  static std::vector<std::string> Labels(const Json& items) {
    std::vector<std::pair<std::string, std::string>> sorted;
    for (const Json& i : items) sorted.emplace_back(i["sortText"], i["label"]);
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> out;
    for (const auto& [sort, label] : sorted) out.push_back(label);
    return out;
  }
  // The demo with a line inserted before 0-based line `at`.
  std::string DemoWithLine(int at, const std::string& line) const {
    size_t pos = 0;
    for (int i = 0; i < at; ++i) pos = demo.find('\n', pos) + 1;
    return std::string(demo).insert(pos, line + "\n");
  }
  static Json Range(int line, int from, int to) {
    return {{"start", {{"line", line}, {"character", from}}},
            {"end", {{"line", line}, {"character", to}}}};
  }
};

TEST_F(LspFeaturesTest, OutlineHasOneSymbolPerBlockWithItsParameters) {
  LspSession s;
  s.Initialize().Open(mss, demo + "BEGIN DRIVER\n PARAMETER HW_INSTANCE = uart_1\n")
      .Request(2, "textDocument/documentSymbol", {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}}})
      .End();
  const Json symbols = Answer(s.Run({"--repo", repo}), 2)["result"];
  std::vector<std::string> names;
  for (const Json& sym : symbols) names.push_back(sym["name"].get<std::string>() + " | " +
                                                  sym["detail"].get<std::string>());
  EXPECT_EQ((std::vector<std::string>{
                "OS standalone | 2.00.a on cpu_0", "PROCESSOR tavcpu | 1.00.a on cpu_0",
                "DRIVER tavuart | 1.00.a on uart_0", "DRIVER tavuart | 1.00.a on uart_1",
                "DRIVER tavgpio | 2.00.a on gpio_0", "DRIVER tavtimer | 1.01.a on timer_0",
                "DRIVER tavintc | 1.00.b on intc_0", "DRIVER generic | 1.00.a on ram_0",
                "LIBRARY tavfs | 1.00.a on cpu_0",
                // A block still being typed: no END, no name yet.
                "DRIVER (unnamed) | on uart_1"}),
            names);
  const Json& uart = symbols.at(2);
  EXPECT_EQ((Json{{"start", {{"line", 24}, {"character", 0}}}, {"end", {{"line", 31}, {"character", 3}}}}),
            uart["range"]);
  EXPECT_EQ(Range(24, 0, 12), uart["selectionRange"]);
  ASSERT_EQ(4u, uart["children"].size());
  EXPECT_EQ((Json{{"name", "C_BAUDRATE"}, {"detail", "115200"}, {"kind", 7},
                  {"range", Range(28, 1, 30)}, {"selectionRange", Range(28, 11, 21)}}),
            uart.at("children").at(3));
}

TEST_F(LspFeaturesTest, FormattingGivesFmtsLayoutAndIsRefusedWhereFmtWouldLoseText) {
  const std::string messy =
      "PARAMETER VERSION = 2.2.0\nBEGIN DRIVER\nPARAMETER DRIVER_NAME=tavuart\n"
      "      PARAMETER HW_INSTANCE =    uart_0   # the console\nEND\n";
  const std::string file = dir.Write("messy.mss", messy);
  const auto fmt = tavtest::RunTavsw({"fmt", file, "-o", "-"});
  ASSERT_EQ(0, fmt.status) << fmt.err;
  LspSession s;
  auto format = [&](int id, const std::string& path) {
    s.Request(id, "textDocument/formatting",
              {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(path)}}},
               {"options", {{"tabSize", 2}, {"insertSpaces", true}}}});
  };
  const std::string lossy = dir / "lossy.mss", broken = dir / "broken.mss", clean = dir / "clean.mss";
  s.Initialize().Open(file, messy).Open(lossy, "PARAMETER OTHER = 1\n").Open(broken, "BEGIN DRIVER\n")
      .Open(clean, fmt.out);
  format(2, file);
  format(3, lossy);
  format(4, broken);
  format(5, clean);
  s.End();
  const auto sent = s.Run({"--repo", repo});
  EXPECT_EQ((Json::array({{{"range", {{"start", {{"line", 0}, {"character", 0}}},
                                      {"end", {{"line", 5}, {"character", 0}}}}},
                           {"newText", fmt.out}}})),
            Answer(sent, 2)["result"]);
  EXPECT_EQ((Json{{"code", -32803},
                  {"message", "not formatted: formatting would lose text (line 1: value of "
                              "file-level PARAMETER OTHER is not kept)"}}),
            Answer(sent, 3)["error"]);
  EXPECT_EQ((Json{{"code", -32803}, {"message", "not formatted: the file has errors"}}),
            Answer(sent, 4)["error"]);
  EXPECT_EQ(Json::array(), Answer(sent, 5)["result"]);  // already in the layout
}

TEST_F(LspFeaturesTest, CompletesKindsAndParameterNamesFromTheDefinition) {
  EXPECT_EQ((std::vector<std::string>{"DRIVER", "PROCESSOR", "OS", "LIBRARY"}),
            Labels(Ask("textDocument/completion", 76, 7, demo + "BEGIN D")));
  // Inside the first tavuart block, at the name of its C_BAUDRATE: the
  // parameters it does not set yet come first, then those it sets.
  const Json items = Ask("textDocument/completion", 28, 13);
  EXPECT_EQ((std::vector<std::string>{"C_BAUDRATE", "C_PARITY", "DRIVER_NAME", "DRIVER_VER",
                                      "HW_INSTANCE"}),
            Labels(items));
  const Json& baud = items.at(0);
  EXPECT_EQ("int", baud["detail"]);
  EXPECT_EQ("**C_BAUDRATE** (int)\n\nDefault: `115200`\n\nLine speed in bits per second\n\n"
            "Defined at " + repo + "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd:15",
            baud.at("documentation").at("value"));
  // The whole word being typed is replaced.
  EXPECT_EQ((Json{{"range", Range(28, 11, 13)}, {"newText", "C_BAUDRATE"}}), baud["textEdit"]);
}

TEST_F(LspFeaturesTest, CompletesValuesAfterTheEqualsSign) {
  struct Case {
    int line;
    std::string inserted;
    std::vector<std::string> expected;
  } cases[] = {
      // Enum values of the definition, bool values, hardware instances.
      {29, " PARAMETER C_PARITY = ", {"0", "1", "2"}},
      {13, " PARAMETER need_exit_code = ", {"true", "false"}},
      {13, " PARAMETER stdin = ",
       {"cpu_0", "uart_0", "uart_1", "gpio_0", "timer_0", "intc_0", "ram_0"}},
      {13, " PARAMETER PROC_INSTANCE = ", {"cpu_0"}},
      // The drivers that fit the instance's hardware type; the OSes that
      // fit the processor.
      {28, " PARAMETER DRIVER_NAME = ", {"tavuart"}},
      {13, " PARAMETER OS_NAME = ", {"tavrtos", "standalone"}},
      {75, " PARAMETER LIBRARY_NAME = ", {"tavfs"}},
      // Versions, newest first.
      {47, " PARAMETER DRIVER_VER = ", {"2.00.a", "1.00.a"}},
  };
  for (const Case& c : cases) {
    const std::string text = DemoWithLine(c.line, c.inserted);
    EXPECT_EQ(c.expected, Labels(Ask("textDocument/completion", c.line,
                                     static_cast<int>(c.inserted.size()), text)))
        << c.inserted;
  }
  const Json versions = Ask("textDocument/completion", 47, 24,
                            DemoWithLine(47, " PARAMETER DRIVER_VER = "));
  ASSERT_EQ(2u, versions.size());
  EXPECT_EQ("ACTIVE", versions.at(0).at("detail"));
  EXPECT_FALSE(versions.at(0).contains("tags"));
  EXPECT_EQ("DEPRECATED", versions.at(1).at("detail"));
  EXPECT_EQ(Json::array({1}), versions.at(1).value("tags", Json()));
  const Json parity = Ask("textDocument/completion", 29, 22,
                          DemoWithLine(29, " PARAMETER C_PARITY = "));
  EXPECT_EQ("odd", parity.at(1).at("detail"));
}

TEST_F(LspFeaturesTest, HoverShowsParametersComponentsAndHardwareInstances) {
  EXPECT_EQ((Json{{"contents",
                   {{"kind", "markdown"},
                    {"value", "**C_PARITY** (enum)\n\nDefault: `0`\n\nValues: `0` (none) `1` (odd) "
                              "`2` (even)\n\nParity bit\n\nDefined at " + repo +
                                  "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd:16"}}},
                  {"range", Range(29, 11, 19)}}),
            Ask("textDocument/hover", 29, 14, DemoWithLine(29, " PARAMETER C_PARITY = 1")));
  EXPECT_EQ("**driver tavuart** 1.00.a (ACTIVE)\n\nSerial port with a receive and a transmit "
            "FIFO\n\nDirectory: " + repo + "/drivers/tavuart_v1_00_a",
            Ask("textDocument/hover", 24, 2).at("contents").at("value"));
  EXPECT_EQ("**driver tavgpio** 2.00.a (ACTIVE)",
            Ask("textDocument/hover", 42, 26).at("contents").at("value").get<std::string>().substr(0, 34));
  EXPECT_EQ("**uart_0**: tavuart 1.00.a (PERIPHERAL)\n- C_BASEADDR = 0x40600000\n"
            "- C_HIGHADDR = 0x4060FFFF\n- C_BAUDRATE = 115200\n- C_DATA_BITS = 8",
            Ask("textDocument/hover", 27, 26).at("contents").at("value"));
  EXPECT_EQ("**uart_0**: tavuart 1.00.a (PERIPHERAL)",
            Ask("textDocument/hover", 11, 20).at("contents").at("value").get<std::string>().substr(0, 39));
  EXPECT_EQ(Json(nullptr), Ask("textDocument/hover", 0, 3));  // a comment
}

TEST_F(LspFeaturesTest, DefinitionGoesToThePARAMLineOrTheDefinitionFile) {
  const std::string uart = tavsw::lsp::UriOfPath(repo + "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd");
  EXPECT_EQ((Json{{"uri", uart}, {"range", Range(14, 0, 0)}}),
            Ask("textDocument/definition", 28, 14));
  EXPECT_EQ((Json{{"uri", uart}, {"range", Range(0, 0, 0)}}),
            Ask("textDocument/definition", 25, 26));
  EXPECT_EQ((Json{{"uri", tavsw::lsp::UriOfPath(repo + "/sw_services/tavfs_v1_00_a/data/tavfs_v2_1_0.mld")},
                  {"range", Range(18, 0, 0)}}),
            Ask("textDocument/definition", 74, 14));  // ramdisk_size, inside a category
  EXPECT_EQ(Json(nullptr), Ask("textDocument/definition", 4, 3));
}

TEST_F(LspFeaturesTest, QuickFixesOfferTheClosestNamesAndAMissingVersion) {
  std::string text = demo;
  auto swap = [&](const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
  };
  swap(" PARAMETER C_BAUDRATE = 115200\n INTERFACE", " PARAMETER C_BAUDRAT = 115200\n INTERFACE");
  swap("DRIVER_NAME = tavtimer", "DRIVER_NAME = tavtimr");
  swap("HW_INSTANCE = uart_1", "HW_INSTANCE = uart_7");
  swap(" PARAMETER DRIVER_VER = 1.00.b\n", "");
  LspSession s;
  s.Initialize().Open(mss, text);
  const Json diagnostic = {{"range", Range(28, 1, 30)}, {"severity", 1}, {"message", "m"}};
  s.Request(2, "textDocument/codeAction",
            {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}},
             {"range", Range(0, 0, 0)},
             {"context", {{"diagnostics", {diagnostic}}}}});
  // Only the lines asked about.
  s.Request(3, "textDocument/codeAction",
            {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}},
             {"range", {{"start", {{"line", 28}, {"character", 0}}}, {"end", {{"line", 28}, {"character", 0}}}}},
             {"context", {{"diagnostics", {diagnostic}}}}});
  s.End();
  // The whole file.
  const auto sent = s.Run({"--repo", repo});
  (void)sent;
  LspSession all;
  all.Initialize().Open(mss, text).Request(
      4, "textDocument/codeAction",
      {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(mss)}}},
       {"range", {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 80}, {"character", 0}}}}},
       {"context", {{"diagnostics", Json::array()}}}});
  all.End();
  const Json actions = Answer(all.Run({"--repo", repo}), 4)["result"];
  std::vector<std::string> titles;
  for (const Json& a : actions) titles.push_back(a["title"]);
  EXPECT_EQ((std::vector<std::string>{"Replace 'C_BAUDRAT' with 'C_BAUDRATE'",
                                      "Replace 'uart_7' with 'uart_0'",
                                      "Replace 'uart_7' with 'uart_1'",
                                      "Replace 'tavtimr' with 'tavtimer'",
                                      "Add DRIVER_VER = 1.00.b"}),
            titles);
  EXPECT_EQ((Json{{"changes",
                   {{tavsw::lsp::UriOfPath(mss),
                     {{{"range", Range(28, 11, 20)}, {"newText", "C_BAUDRATE"}}}}}}}),
            actions.at(0).at("edit"));
  EXPECT_EQ((Json{{"changes",
                   {{tavsw::lsp::UriOfPath(mss),
                     {{{"range", Range(59, 0, 0)}, {"newText", " PARAMETER DRIVER_VER = 1.00.b\n"}}}}}}}),
            actions.at(4).at("edit"));
  const Json first = Answer(sent, 3)["result"];
  ASSERT_EQ(1u, first.size());
  EXPECT_EQ(Json::array({diagnostic}), first.at(0).at("diagnostics"));
  EXPECT_EQ(Json::array(), Answer(sent, 2)["result"]);
}

}  // namespace
