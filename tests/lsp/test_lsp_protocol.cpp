// The transport and the life cycle of tavsw lsp: framing, error answers,
// initialize, shutdown and exit, documents the server never saw.
#include <sstream>

#include "LspSession.h"
#include "TestSupport.h"

namespace {

using tavtest::Answer;
using tavtest::Frame;
using tavtest::Json;
using tavtest::LspSession;
using tavsw::lsp::FrameStatus;
using tavsw::lsp::ReadFrame;

TEST(LspFraming, ReadsMessagesWithEitherLineEndAndSkipsWhatItCannotUse) {
  std::istringstream in(Frame("{\"a\":1}") +
                        "Content-Type: x\ncontent-length: 2\n\n[]" +   // LF only, any case
                        "Content-Lenght: 5\r\n\r\n" +                 // no length: skipped
                        "Content-Length: 12x\r\n\r\n" +               // no number
                        "Content-Length: 100\r\n\r\n" + std::string(100, ' ') +  // over the limit
                        Frame("{}") + "Content-Length: 10\r\n\r\n{\"cut");
  std::string body, problem;
  EXPECT_EQ(FrameStatus::kMessage, ReadFrame(in, body, problem, 50));
  EXPECT_EQ("{\"a\":1}", body);
  EXPECT_EQ(FrameStatus::kMessage, ReadFrame(in, body, problem, 50));
  EXPECT_EQ("[]", body);
  EXPECT_EQ(FrameStatus::kBadHeader, ReadFrame(in, body, problem, 50));
  EXPECT_EQ("no Content-Length header", problem);
  EXPECT_EQ(FrameStatus::kBadHeader, ReadFrame(in, body, problem, 50));
  EXPECT_EQ("Content-Length is no number: '12x'", problem);
  EXPECT_EQ(FrameStatus::kTooLarge, ReadFrame(in, body, problem, 50));
  EXPECT_EQ("Content-Length 100 exceeds the limit of 50 bytes", problem);
  EXPECT_EQ(FrameStatus::kMessage, ReadFrame(in, body, problem, 50));
  EXPECT_EQ("{}", body);
  EXPECT_EQ(FrameStatus::kEnd, ReadFrame(in, body, problem, 50));  // the input ends inside a body
}

TEST(LspFraming, UrisAndUtf16Columns) {
  EXPECT_EQ("/a b/c%.mss", tavsw::lsp::PathOfUri("file:///a%20b/c%25.mss"));
  EXPECT_EQ("file:///a%20b/c%25.mss", tavsw::lsp::UriOfPath("/a b/c%.mss"));
  EXPECT_EQ("untitled:1", tavsw::lsp::PathOfUri("untitled:1"));
  // "ä" is two bytes and one unit; "𝄞" four bytes and two units.
  const std::string line = "a\xC3\xA4\xF0\x9D\x84\x9E" "b";
  EXPECT_EQ(3u, tavsw::lsp::ByteOfUtf16(line, 2));
  EXPECT_EQ(7u, tavsw::lsp::ByteOfUtf16(line, 4));
  EXPECT_EQ(8u, tavsw::lsp::ByteOfUtf16(line, 99));  // clamped to the line
  EXPECT_EQ(4u, tavsw::lsp::Utf16OfByte(line, 7));
  EXPECT_EQ(1u, tavsw::lsp::Utf16OfByte("\xFF", 1));  // a bad byte is one unit
}

TEST(LspLifecycle, InitializeAnswersCapabilitiesAndShutdownThenExitEndsWithZero) {
  LspSession s;
  s.Initialize().End();
  const auto sent = s.Run();
  EXPECT_EQ(0, s.status) << s.errText;
  const Json init = Answer(sent, 1);
  const Json& caps = init["result"]["capabilities"];
  EXPECT_EQ(2, caps["textDocumentSync"]["change"]);
  for (const char* c : {"hoverProvider", "definitionProvider", "documentSymbolProvider",
                        "documentFormattingProvider"})
    EXPECT_EQ(true, caps[c]) << c;
  EXPECT_EQ(Json::array({"="}), caps["completionProvider"]["triggerCharacters"]);
  EXPECT_EQ("tavsw", init["result"]["serverInfo"]["name"]);
  EXPECT_EQ(Json(nullptr), Answer(sent, 99)["result"]);
  EXPECT_EQ(2u, sent.size());
}

TEST(LspLifecycle, ExitWithoutShutdownOrEndOfInputEndsWithOne) {
  LspSession a;
  a.Initialize().Notify("exit").Request(5, "shutdown");
  const auto sent = a.Run();
  EXPECT_EQ(1, a.status);
  EXPECT_EQ(Json(nullptr), Answer(sent, 5));  // nothing is read after exit
  LspSession b;
  b.Initialize();
  b.Run();
  EXPECT_EQ(1, b.status);
}

// Every message the server cannot serve gets the protocol's error answer,
// and the server goes on with the next one.
TEST(LspLifecycle, BadInputGetsErrorAnswersAndTheServerGoesOn) {
  LspSession s;
  s.Request(2, "textDocument/hover", {})  // before initialize
      .Raw(Frame("{not json"))
      .Raw(Frame("[1,2]"))
      .Raw(Frame("{\"jsonrpc\":\"2.0\",\"id\":{\"x\":1},\"method\":\"initialize\"}"))
      .Raw("Content-Length: 999999999999\r\n\r\n")  // too large: the rest is its body
      ;
  auto sent = s.Run();
  ASSERT_EQ(5u, sent.size());
  EXPECT_EQ(-32002, sent[0]["error"]["code"]);
  EXPECT_EQ(2, sent[0]["id"]);
  EXPECT_EQ((Json{{"code", -32700}, {"message", "the message is no JSON"}}), sent[1]["error"]);
  EXPECT_EQ(Json(nullptr), sent[1]["id"]);
  EXPECT_EQ(-32600, sent[2]["error"]["code"]);
  EXPECT_EQ("the id is no number or string", sent[3]["error"]["message"]);
  EXPECT_EQ(-32600, sent[4]["error"]["code"]);
  EXPECT_EQ("Content-Length 999999999999 exceeds the limit of 67108864 bytes",
            sent[4]["error"]["message"]);

  LspSession t;
  t.Initialize()
      .Request(3, "textDocument/unknownThing")
      .Notify("$/unknownNotification")
      .Request(4, "textDocument/hover",
               {{"textDocument", {{"uri", "file:///never/opened.mss"}}},
                {"position", {{"line", 0}, {"character", 0}}}})
      .Request(6, "textDocument/hover", {{"textDocument", 7}})  // wrong type
      .Request(7, "initialize", Json::object())
      .Request(8, "shutdown")
      .Request(9, "textDocument/documentSymbol",
               {{"textDocument", {{"uri", "file:///never/opened.mss"}}}})
      .Notify("exit");
  sent = t.Run();
  EXPECT_EQ(0, t.status);
  EXPECT_EQ((Json{{"code", -32601}, {"message", "unknown method textDocument/unknownThing"}}),
            Answer(sent, 3)["error"]);
  EXPECT_EQ((Json{{"code", -32602},
                  {"message", "unknown document file:///never/opened.mss (not opened)"}}),
            Answer(sent, 4)["error"]);
  EXPECT_EQ(-32602, Answer(sent, 6)["error"]["code"]);
  EXPECT_EQ("initialize was already sent", Answer(sent, 7)["error"]["message"]);
  EXPECT_EQ("the server was shut down", Answer(sent, 9)["error"]["message"]);
  // One answer per request, none for the notifications.
  EXPECT_EQ(7u, sent.size());
}

TEST(LspLifecycle, HelpNamesTheSettings) {
  std::vector<std::string> args = {"tavsw", "lsp", "--help"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  std::ostringstream out, err;
  EXPECT_EQ(0, TavswMain(3, argv.data(), out, err));
  for (const char* part : {"--repo", "--hw", "initializationOptions"})
    EXPECT_NE(std::string::npos, out.str().find(part)) << out.str();
}

}  // namespace
