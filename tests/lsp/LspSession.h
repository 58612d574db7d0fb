// Drives `tavsw lsp` in-process: the messages a client would send, framed
// on one input stream, and the messages the server sent back, read from its
// output.
#ifndef TAVSOFTWARE_TESTS_LSP_LSPSESSION_H
#define TAVSOFTWARE_TESTS_LSP_LSPSESSION_H

#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "LspProtocol.h"
#include "Tavsw.h"
#include "TestSupport.h"

namespace tavtest {

using Json = nlohmann::json;

inline std::string Frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class LspSession {
 public:
  // The session's input: messages added in order, raw bytes too.
  LspSession& Raw(const std::string& bytes) {
    input_ += bytes;
    return *this;
  }
  LspSession& Request(int id, const std::string& method, Json params = Json::object()) {
    return Raw(Frame(Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}
                         .dump()));
  }
  LspSession& Notify(const std::string& method, Json params = Json::object()) {
    return Raw(Frame(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump()));
  }
  LspSession& Initialize(Json options = Json::object()) {
    Request(1, "initialize", {{"processId", nullptr}, {"rootUri", nullptr},
                              {"capabilities", Json::object()},
                              {"initializationOptions", options}});
    return Notify("initialized");
  }
  LspSession& Open(const std::string& path, const std::string& text, int version = 1) {
    return Notify("textDocument/didOpen",
                  {{"textDocument",
                    {{"uri", tavsw::lsp::UriOfPath(path)}, {"languageId", "mss"},
                     {"version", version}, {"text", text}}}});
  }
  LspSession& ChangeAll(const std::string& path, const std::string& text, int version) {
    return Notify("textDocument/didChange",
                  {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(path)}, {"version", version}}},
                   {"contentChanges", {{{"text", text}}}}});
  }
  LspSession& At(int id, const std::string& method, const std::string& path, int line,
                 int character) {
    return Request(id, method,
                   {{"textDocument", {{"uri", tavsw::lsp::UriOfPath(path)}}},
                    {"position", {{"line", line}, {"character", character}}}});
  }
  LspSession& End() {
    Request(99, "shutdown");
    return Notify("exit");
  }

  // Runs `tavsw lsp ARGS...` on the input; the messages sent, in order.
  std::vector<Json> Run(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"tavsw", "lsp"});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::istringstream in(input_);
    std::ostringstream out, err;
    status = TavswMain(static_cast<int>(args.size()), argv.data(), in, out, err);
    errText = err.str();
    std::istringstream sent(out.str());
    std::vector<Json> messages;
    std::string body, problem;
    while (tavsw::lsp::ReadFrame(sent, body, problem) == tavsw::lsp::FrameStatus::kMessage)
      messages.push_back(Json::parse(body));
    return messages;
  }

  int status = -1;
  std::string errText;

 private:
  std::string input_;
};

// The answer to request `id`; null when there was none.
inline Json Answer(const std::vector<Json>& messages, int id) {
  for (const Json& m : messages)
    if (m.contains("id") && m["id"] == id && !m.contains("method")) return m;
  return nullptr;
}

// The last diagnostics published for `path`; null when none were.
inline Json LastDiagnostics(const std::vector<Json>& messages, const std::string& path) {
  Json last;
  for (const Json& m : messages)
    if (m.value("method", "") == "textDocument/publishDiagnostics" &&
        m["params"]["uri"] == tavsw::lsp::UriOfPath(path))
      last = m["params"]["diagnostics"];
  return last;
}

// "line: severity message" for each diagnostic, lines counted from 1.
inline std::vector<std::string> Summaries(const Json& diagnostics) {
  std::vector<std::string> out;
  if (!diagnostics.is_array()) return out;
  for (const Json& d : diagnostics)
    out.push_back(std::to_string(d["range"]["start"]["line"].get<int>() + 1) + ": " +
                  std::to_string(d["severity"].get<int>()) + " " +
                  d["message"].get<std::string>());
  return out;
}

// The demo copied into the scratch directory, so that its HW_SPEC_FILE
// (hw/system.json, relative to the MSS) and its repository are found there.
class LspDemoTest : public ScratchTest {
 protected:
  void SetUp() override {
    std::filesystem::copy(TAVSW_EXAMPLES, dir.Path(), std::filesystem::copy_options::recursive);
    mss = dir / "system.mss";
    demo = ReadFile(mss);
    repo = dir / "repo";
  }
  std::string mss, demo, repo;
};

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_LSP_LSPSESSION_H
