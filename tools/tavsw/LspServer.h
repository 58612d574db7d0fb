// The language server for MSS files (and the MDD and MLD files beside
// them): one reader of framed messages, one dispatcher, one store of the
// documents the editor opened. It runs on the caller's thread and answers
// each message before it reads the next.
#ifndef TAVSOFTWARE_TOOLS_LSPSERVER_H
#define TAVSOFTWARE_TOOLS_LSPSERVER_H

#include <istream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace tavsw::lsp {

using Json = nlohmann::json;

struct Settings {
  std::vector<std::string> repos;  // searched before the installation's
  std::string hw;                  // the hardware description; else HW_SPEC_FILE
};

class Knowledge;

class Server {
 public:
  Server(std::istream& in, std::ostream& out, Settings settings);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Reads and answers messages until `exit` or the end of the input. The
  // process's exit status: 0 after shutdown then exit, 1 otherwise.
  int Run();
  // Answers one message body (also what Run does for each message read).
  void Handle(const std::string& body);
  // Publishes the diagnostics of every document changed since they were
  // last published. Run does this whenever no input is waiting.
  void PublishPending();
  bool Exited() const { return exited_; }

 private:
  struct Document {
    std::string uri, path, text;
    long long version = 0;
    bool dirty = true;
    std::set<std::string> otherUris;  // where its last diagnostics also went
  };

  void Dispatch(const std::string& method, const Json& params, const Json* id);
  void Reply(const Json& id, Json result);
  void ReplyError(const Json& id, int code, const std::string& message);
  void Notify(const std::string& method, Json params);
  void Send(const Json& message);

  // The document a request names; null (answered with an error) when the
  // server never saw it.
  Document* Find(const Json& params, const Json* id);
  void Open(const Json& params);
  void Change(const Json& params);
  void Close(const Json& params);
  // Every MSS is checked again: a definition or hardware file changed.
  void MarkMssDirty();

  Json DiagnosticsOf(Document& doc, std::map<std::string, Json>& others);
  Json CheckMss(Document& doc, std::map<std::string, Json>& others);
  void RunCheck(const Document& doc, const std::string& hw, std::vector<Json>& found);
  bool CheckDirectly(const Document& doc, const std::string& hw, std::vector<Json>& found);
  Json ReadDefinition(Document& doc);
  // The hardware description for `doc`: the setting, else its HW_SPEC_FILE
  // relative to it; "" when neither names a file that is there.
  std::string HwFor(const Document& doc, std::string* named = nullptr) const;

  Json Completion(Document& doc, const Json& params);
  Json Hover(Document& doc, const Json& params);
  Json Definition(Document& doc, const Json& params);
  Json Symbols(Document& doc);
  Json Format(Document& doc, const Json* id, bool& refused);
  Json CodeActions(Document& doc, const Json& params);

  std::istream& in_;
  std::ostream& out_;
  Settings settings_;
  std::unique_ptr<Knowledge> knowledge_;
  std::map<std::string, Document> docs_;
  bool initialized_ = false, shutdown_ = false, exited_ = false;
};

}  // namespace tavsw::lsp

#endif  // TAVSOFTWARE_TOOLS_LSPSERVER_H
