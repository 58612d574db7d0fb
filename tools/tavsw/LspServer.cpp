#include "LspServer.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <set>
#include <stdexcept>
#include <memory>
#include <sstream>

#include "Diagnostics.h"
#include "LspKnowledge.h"
#include "LspMssText.h"
#include "LspProtocol.h"
#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"
#include "MssEdit.h"
#include "ParseMdd.h"
#include "ParseMld.h"
#include "ParseMss.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "SwReposMan.h"
#include "Command.h"
#include "Port.h"
#include "Tavsw.h"
#include "UnsavedText.h"
#include "WriteMss.h"

#ifndef TAVSW_VERSION
#define TAVSW_VERSION "unknown"
#endif

namespace tavsw::lsp {
namespace {

using Port::String;

// JSON-RPC and LSP error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;

// A field of a request that is not what the protocol says it is.
struct BadParams : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// An integer field. A float is refused rather than converted: a huge one
// does not fit any integer.
long long IntOf(const Json& j, const char* what) {
  if (!j.is_number_integer()) throw BadParams(std::string(what) + " is no integer");
  return j.get<long long>();
}

long long IntOr(const Json& object, const char* key, long long fallback) {
  if (!object.is_object()) return fallback;
  auto it = object.find(key);
  return it == object.end() || it->is_null() ? fallback : IntOf(*it, key);
}

// LSP enumerations used here.
constexpr int kSeverityError = 1, kSeverityWarning = 2, kSeverityInfo = 3;
constexpr int kItemProperty = 10, kItemValue = 12, kItemEnum = 13, kItemModule = 9,
              kItemKeyword = 14;
constexpr int kSymbolModule = 2, kSymbolProperty = 7;

// The parameters a component sets that its definition does not declare
// and that are no mistake: they say which core and which hardware.
bool Exempt(const std::string& kind, const std::string& name) {
  static const std::vector<const char*> kDriver = {"DRIVER_NAME", "DRIVER_VER", "HW_INSTANCE",
                                                   "SUB_HW_INSTANCE", "SUB_HW_INSTANCE_LIST",
                                                   "LIBRARY", "LIBRARY_VER"};
  static const std::vector<const char*> kLibrary = {"DRIVER_VER", "DRIVER_NAME", "HW_INSTANCE",
                                                    "SUB_HW_INSTANCE", "PROC_INSTANCE",
                                                    "LIBRARY_NAME", "LIBRARY_VER"};
  static const std::vector<const char*> kOs = {"OS_VER", "OS_NAME", "PROC_INSTANCE"};
  const auto& list = kind == "OS" ? kOs : kind == "LIBRARY" ? kLibrary : kDriver;
  for (const char* n : list)
    if (Port::EqualsNoCase(name, n)) return true;
  return false;
}

bool HasExtension(const std::string& path, const char* ext) {
  return Port::EqualsNoCase(std::string(Port::FileName(path).GetExtension()), ext);
}

bool IsMss(const std::string& path) { return HasExtension(path, ".mss"); }
bool IsDefinition(const std::string& path) {
  return HasExtension(path, ".mdd") || HasExtension(path, ".mld");
}

std::string Absolute(const std::string& path, const std::string& base = std::string()) {
  if (path.empty()) return path;
  if (path[0] == '/' || base.empty())
    return Port::FileName(path).GetAbsolutePath().GetFullName();
  Port::FileName joined(base);
  joined.PushPathEnd(path);
  return joined.GetAbsolutePath().GetFullName();
}

Json Position(int line, size_t character) { return {{"line", line}, {"character", character}}; }

Json Range(int line, size_t from, int endLine, size_t to) {
  return {{"start", Position(line, from)}, {"end", Position(endLine, to)}};
}

// The range of bytes [from, to) of line `line` of `text`, in UTF-16 units.
Json RangeOn(const MssText& text, int line, size_t from, size_t to) {
  const std::string_view l = text.Line(line);
  return Range(line, Utf16OfByte(l, from), line, Utf16OfByte(l, to));
}

// The statement of a line, or the whole line when it holds none.
Json StatementRange(const MssText& text, int line) {
  const MssStatement& s = text.Statement(line);
  if (s.kind == MssStatement::kEmpty) return RangeOn(text, line, 0, text.Line(line).size());
  return RangeOn(text, line, s.begin, s.end);
}

Json Markdown(const std::string& text) { return {{"kind", "markdown"}, {"value", text}}; }

// "file:line" of a node read from a file, as the hover shows it.
std::string WhereDefined(const MdtBase::PsfComp* p) {
  return std::string(p->GetFileNameStr()) + ":" + std::to_string(p->GetLineNum());
}

// The allowed values of a declared parameter: its enum's values with their
// names, else its range.
std::vector<std::pair<std::string, std::string>> AllowedValues(const MdtBase::Property* p) {
  std::vector<std::pair<std::string, std::string>> out;
  if (const MdtBase::PsfComp* values = p->GetPsfCompByName("values"))
    if (auto* list = dynamic_cast<const MdtBase::ListPsfCompVal*>(values->GetMdtValuePtr()))
      for (const MdtBase::PsfComp* v : list->GetList())
        if (v) out.emplace_back(v->GetValueStr(), v->GetName());
  if (!out.empty()) return out;
  if (const MdtBase::PsfComp* range = p->GetPsfCompByName("range"))
    if (auto* list = dynamic_cast<const MdtBase::ListStrVal*>(range->GetMdtValuePtr()))
      for (const String& v : list->GetList()) out.emplace_back(v, "");
  return out;
}

std::string ParamDoc(const MdtBase::Property* p) {
  std::string doc = "**" + std::string(p->GetName()) + "**";
  const String type = p->GetPsfCompValueStr("type");
  doc += " (" + (type.empty() ? std::string("string") : std::string(type)) + ")";
  if (p->GetPsfCompByName("default"))
    doc += "\n\nDefault: `" + std::string(p->GetPsfCompValueStr("default")) + "`";
  const auto allowed = AllowedValues(p);
  if (!allowed.empty()) {
    doc += p->GetPsfCompByName("values") ? "\n\nValues:" : "\n\nRange:";
    for (const auto& [value, name] : allowed)
      doc += " `" + value + "`" + (name.empty() ? "" : " (" + name + ")");
  }
  const String desc = p->GetPsfCompValueStr("desc");
  if (!desc.empty()) doc += "\n\n" + std::string(desc);
  doc += "\n\nDefined at " + WhereDefined(p);
  return doc;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(String::Lower(static_cast<unsigned char>(c)));
  return s;
}

const char* KindWord(CoreKind kind) {
  return kind == kDriverCore ? "driver" : kind == kOsCore ? "os" : "library";
}

std::string DefinitionPath(TavSoftware::SwCore* core) {
  Port::FileName f = core->GetCoreDir();
  f.PushPathEnd(core->GetName() + core->GetPsfVersion() +
                (core->GetPsfKind() == 1 ? ".mdd" : ".mld"));
  return f.GetFullName();
}

std::string CoreDoc(TavSoftware::SwCore* core, CoreKind kind) {
  const std::string state = Knowledge::State(core);
  std::string doc = "**" + std::string(KindWord(kind)) + " " + std::string(core->GetName()) +
                    "** " + std::string(core->GetVersion()) +
                    (state.empty() ? "" : " (" + state + ")");
  if (const MdtBase::PsfFile* def = Knowledge::DefinitionOf(core)) {
    const MdtBase::Property* desc = nullptr;
    if (auto* mdd = dynamic_cast<const TavSoftware::Mdd*>(def))
      desc = mdd->GetPropertyByName(TavSoftware::Mdd::OPTIONS, "DESC");
    else if (auto* mld = dynamic_cast<const TavSoftware::Mld*>(def))
      desc = mld->GetPropertyByName(TavSoftware::Mld::OPTIONS, "DESC");
    if (desc && !desc->GetValueStr().empty()) doc += "\n\n" + std::string(desc->GetValueStr());
  }
  doc += "\n\nDirectory: " + std::string(Port::FileName(core->GetCoreDir()).GetDir());
  return doc;
}

std::string HwDoc(const TavHwDb::HwDbFile& hw, const std::string& name) {
  for (const auto& inst : hw.Instances()) {
    if (!Port::EqualsNoCase(inst.name, name)) continue;
    std::string doc = "**" + inst.name + "**: " + inst.type + " " + inst.version +
                      (inst.ipClass.empty() ? "" : " (" + inst.ipClass + ")");
    for (const auto& [param, value] : inst.parameters) doc += "\n- " + param + " = " + value;
    return doc;
  }
  return "";
}

// The instance names of the hardware; only its processors with `processors`.
std::vector<std::string> HwNames(const TavHwDb::HwDbFile& hw, bool processors) {
  std::vector<std::string> out;
  for (const auto& inst : hw.Instances())
    if (!processors || Port::EqualsNoCase(inst.ipClass, "PROCESSOR")) out.push_back(inst.name);
  return out;
}

// The UTF-16 position of a request as a line of `text` and a byte column.
bool At(const MssText& text, const Json& params, int& line, size_t& byte) {
  const Json& pos = params.at("position");
  const long long l = IntOf(pos.at("line"), "line");
  const long long c = IntOf(pos.at("character"), "character");
  if (l < 0 || c < 0 || static_cast<size_t>(l) >= text.LineCount()) return false;
  line = static_cast<int>(l);
  byte = ByteOfUtf16(text.Line(line), static_cast<size_t>(c));
  return true;
}

// A completion item replacing bytes [from, to) of `line`.
Json Item(const MssText& text, int line, size_t from, size_t to, const std::string& label,
          int kind, size_t order) {
  char sort[16];
  std::snprintf(sort, sizeof sort, "%06zu", order);
  return {{"label", label},
          {"kind", kind},
          {"sortText", sort},
          {"filterText", label},
          {"textEdit", {{"range", RangeOn(text, line, from, to)}, {"newText", label}}}};
}

}  // namespace

Server::Server(std::istream& in, std::ostream& out, Settings settings)
    : in_(in), out_(out), settings_(std::move(settings)) {}

Server::~Server() = default;

int Server::Run() {
  std::string body, problem;
  while (!exited_) {
    const FrameStatus status = ReadFrame(in_, body, problem);
    if (status == FrameStatus::kEnd) break;
    if (status == FrameStatus::kMessage)
      Handle(body);
    else
      ReplyError(nullptr, status == FrameStatus::kTooLarge ? kInvalidRequest : kParseError,
                 problem);
    // Changes typed in quick succession are checked once, after the last.
    if (!exited_ && in_.rdbuf()->in_avail() <= 0) PublishPending();
  }
  return exited_ && shutdown_ ? 0 : 1;
}

void Server::Handle(const std::string& body) {
  Json msg = Json::parse(body, nullptr, false);
  if (msg.is_discarded()) return ReplyError(nullptr, kParseError, "the message is no JSON");
  if (!msg.is_object()) return ReplyError(nullptr, kInvalidRequest, "the message is no object");
  const Json* id = nullptr;
  if (auto it = msg.find("id"); it != msg.end()) {
    if (!it->is_string() && !it->is_number_integer())
      return ReplyError(nullptr, kInvalidRequest, "the id is no number or string");
    id = &*it;
  }
  auto method = msg.find("method");
  if (method == msg.end() || !method->is_string()) {
    // An answer of the client to a request of ours: none is ever sent.
    if (id && (msg.contains("result") || msg.contains("error"))) return;
    return ReplyError(id ? *id : Json(nullptr), kInvalidRequest, "no method");
  }
  const std::string name = method->get<std::string>();
  static const Json kNoParams = Json::object();
  auto params = msg.find("params");
  const Json& p = params == msg.end() ? kNoParams : *params;
  if (name != "textDocument/didChange" && name != "exit") PublishPending();
  // What the library says while answering goes nowhere: the diagnostics
  // carry what the user is to see, and the output is the protocol's alone.
  MsgCapture quiet;
  try {
    Dispatch(name, p, id);
  } catch (const BadParams& e) {
    if (id) ReplyError(*id, kInvalidParams, std::string("invalid params: ") + e.what());
  } catch (const Json::exception& e) {
    // A field of the wrong type or missing: the message is refused, the
    // documents stay as they were.
    if (id) ReplyError(*id, kInvalidParams, std::string("invalid params: ") + e.what());
  } catch (const std::exception& e) {
    if (id) ReplyError(*id, kInternalError, e.what());
  }
}

void Server::Dispatch(const std::string& method, const Json& params, const Json* id) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ && method != "initialize") {
    if (id) ReplyError(*id, kServerNotInitialized, "the server was not initialized");
    return;
  }
  if (shutdown_) {
    if (id) ReplyError(*id, kInvalidRequest, "the server was shut down");
    return;
  }
  if (method == "initialize") {
    if (!id) return;
    if (initialized_) return ReplyError(*id, kInvalidRequest, "initialize was already sent");
    std::string root;
    if (auto r = params.find("rootUri"); r != params.end() && r->is_string())
      root = PathOfUri(r->get<std::string>());
    if (auto o = params.find("initializationOptions"); o != params.end() && o->is_object()) {
      if (auto repos = o->find("repos"); repos != o->end() && repos->is_array())
        for (const Json& r : *repos)
          if (r.is_string()) settings_.repos.push_back(Absolute(r.get<std::string>(), root));
      if (auto hw = o->find("hw"); hw != o->end() && hw->is_string() && settings_.hw.empty())
        settings_.hw = Absolute(hw->get<std::string>(), root);
    }
    knowledge_ = std::make_unique<Knowledge>(settings_.repos);
    initialized_ = true;
    Json caps = {
        {"positionEncoding", "utf-16"},
        {"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", true}}},
        {"completionProvider", {{"triggerCharacters", {"="}}}},
        {"hoverProvider", true},
        {"definitionProvider", true},
        {"documentSymbolProvider", true},
        {"documentFormattingProvider", true},
        {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}}};
    return Reply(*id, {{"capabilities", caps},
                       {"serverInfo", {{"name", "tavsw"}, {"version", TAVSW_VERSION}}}});
  }
  if (method == "shutdown") {
    shutdown_ = true;
    if (id) Reply(*id, nullptr);
    return;
  }
  if (method == "textDocument/didOpen") return Open(params);
  if (method == "textDocument/didChange") return Change(params);
  if (method == "textDocument/didClose") return Close(params);
  if (method == "textDocument/didSave" || method == "workspace/didChangeWatchedFiles") {
    // A definition or hardware file written: every MSS may read otherwise.
    return MarkMssDirty();
  }
  if (!id) return;  // other notifications ($/cancelRequest, ...) ask nothing
  const bool known = method == "textDocument/completion" || method == "textDocument/hover" ||
                     method == "textDocument/definition" ||
                     method == "textDocument/documentSymbol" ||
                     method == "textDocument/formatting" || method == "textDocument/codeAction";
  if (!known) return ReplyError(*id, kMethodNotFound, "unknown method " + method);
  Document* doc = Find(params, id);
  if (!doc) return;
  if (method == "textDocument/documentSymbol") return Reply(*id, Symbols(*doc));
  if (method == "textDocument/formatting") {
    bool refused = false;
    Json edits = Format(*doc, id, refused);
    if (!refused) Reply(*id, std::move(edits));
    return;
  }
  // The rest look at the repositories, which may have changed on disk.
  knowledge_->Refresh();
  if (method == "textDocument/completion") return Reply(*id, Completion(*doc, params));
  if (method == "textDocument/hover") return Reply(*id, Hover(*doc, params));
  if (method == "textDocument/definition") return Reply(*id, Definition(*doc, params));
  return Reply(*id, CodeActions(*doc, params));
}

void Server::Reply(const Json& id, Json result) {
  Send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::ReplyError(const Json& id, int code, const std::string& message) {
  Send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void Server::Notify(const std::string& method, Json params) {
  Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

void Server::Send(const Json& message) {
  // File text need not be UTF-8: a bad byte becomes U+FFFD, not an exception.
  WriteFrame(out_, message.dump(-1, ' ', false, Json::error_handler_t::replace));
}

Server::Document* Server::Find(const Json& params, const Json* id) {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  auto it = docs_.find(uri);
  if (it != docs_.end()) return &it->second;
  if (id) ReplyError(*id, kInvalidParams, "unknown document " + uri + " (not opened)");
  return nullptr;
}

void Server::Open(const Json& params) {
  const Json& item = params.at("textDocument");
  Document doc;
  doc.uri = item.at("uri").get<std::string>();
  doc.text = item.at("text").get<std::string>();
  doc.version = IntOr(item, "version", 0);
  const std::string path = PathOfUri(doc.uri);
  doc.path = path.starts_with("/") ? Absolute(path) : path;
  docs_[doc.uri] = std::move(doc);
  if (IsDefinition(path)) MarkMssDirty();
}

void Server::Change(const Json& params) {
  Document* doc = Find(params, nullptr);
  if (!doc) return;
  // Applied to a copy: a change that does not fit leaves the text whole.
  std::string text = doc->text;
  for (const Json& change : params.at("contentChanges")) {
    const std::string& newText = change.at("text").get_ref<const std::string&>();
    auto range = change.find("range");
    if (range == change.end()) {
      text = newText;
      continue;
    }
    size_t offsets[2];
    for (int k = 0; k < 2; ++k) {
      const Json& pos = range->at(k == 0 ? "start" : "end");
      long long line = IntOf(pos.at("line"), "line");
      const long long character = IntOf(pos.at("character"), "character");
      if (line < 0 || character < 0) return;
      size_t at = 0;
      for (; line > 0 && at != std::string::npos; --line) {
        at = text.find('\n', at);
        if (at != std::string::npos) ++at;
      }
      if (at == std::string::npos) {
        at = text.size();  // beyond the last line: its end
      } else {
        const size_t nl = std::min(text.find('\n', at), text.size());
        at += ByteOfUtf16(std::string_view(text).substr(at, nl - at),
                          static_cast<size_t>(character));
      }
      offsets[k] = at;
    }
    if (offsets[1] < offsets[0]) return;
    text.replace(offsets[0], offsets[1] - offsets[0], newText);
  }
  doc->text = std::move(text);
  doc->version = IntOr(params.at("textDocument"), "version", doc->version);
  doc->dirty = true;
  if (IsDefinition(doc->path)) MarkMssDirty();
}

void Server::Close(const Json& params) {
  Document* doc = Find(params, nullptr);
  if (!doc) return;
  // What the server said about the file goes with it.
  Notify("textDocument/publishDiagnostics", {{"uri", doc->uri}, {"diagnostics", Json::array()}});
  for (const std::string& other : doc->otherUris)
    Notify("textDocument/publishDiagnostics", {{"uri", other}, {"diagnostics", Json::array()}});
  const bool definition = IsDefinition(doc->path);
  docs_.erase(doc->uri);
  if (definition) MarkMssDirty();
}

void Server::MarkMssDirty() {
  for (auto& [uri, doc] : docs_)
    if (IsMss(doc.path)) doc.dirty = true;
}

void Server::PublishPending() {
  if (!initialized_ || shutdown_) return;
  for (auto& [uri, doc] : docs_) {
    if (!doc.dirty) continue;
    doc.dirty = false;
    std::map<std::string, Json> others;
    Json list;
    try {
      list = DiagnosticsOf(doc, others);
    } catch (const std::exception& e) {
      // The check's own output did not read as expected: said on the
      // document rather than ending the server.
      list = Json::array({{{"range", Range(0, 0, 0, 0)},
                           {"severity", kSeverityError},
                           {"source", "tavsw"},
                           {"message", std::string("the check failed: ") + e.what()}}});
      others.clear();
    }
    Notify("textDocument/publishDiagnostics",
           {{"uri", doc.uri}, {"version", doc.version}, {"diagnostics", std::move(list)}});
    // A file that no longer has a word said about it is cleared.
    for (const std::string& before : doc.otherUris)
      if (!others.count(before)) others[before] = Json::array();
    doc.otherUris.clear();
    for (auto& [other, diags] : others) {
      // An open definition file speaks for itself, from its unsaved text.
      if (docs_.count(other)) continue;
      if (!diags.empty()) doc.otherUris.insert(other);
      Notify("textDocument/publishDiagnostics", {{"uri", other}, {"diagnostics", diags}});
    }
  }
}

Json Server::DiagnosticsOf(Document& doc, std::map<std::string, Json>& others) {
  if (IsMss(doc.path)) return CheckMss(doc, others);
  if (IsDefinition(doc.path)) return ReadDefinition(doc);
  return Json::array();
}

std::string Server::HwFor(const Document& doc, std::string* named) const {
  if (!settings_.hw.empty()) return Port::File::isfile(settings_.hw) ? settings_.hw : "";
  const MssText text(doc.text);
  const int line = text.GlobalParamLine("HW_SPEC_FILE");
  if (line < 0) return "";
  const std::string value = text.Statement(line).value;
  if (value.empty()) return "";
  if (named) *named = value;
  const std::string path = Absolute(value, std::string(Port::FileName(doc.path).GetDir()));
  return Port::File::isfile(path) ? path : "";
}

// The messages of `tavsw check` on the document, from the command itself:
// its document, then what the tool said about its inputs (a repository
// that is not there, a hardware description that cannot be read).
void Server::RunCheck(const Document& doc, const std::string& hw, std::vector<Json>& found) {
  std::vector<std::string> args = {"tavsw", "--diagnostics=json", "check", doc.path, "--json"};
  if (!hw.empty()) args.insert(args.end(), {"--hw", hw});
  for (const std::string& r : settings_.repos) args.insert(args.end(), {"--repo", r});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream none;
  std::ostringstream out, err;
  TavswMain(static_cast<int>(args.size()), argv.data(), none, out, err);
  const Json report = Json::parse(out.str(), nullptr, false);
  if (report.is_object() && report.contains("diagnostics") && report["diagnostics"].is_array())
    for (const Json& d : report["diagnostics"]) found.push_back(d);
  std::istringstream lines(err.str());
  for (std::string line; std::getline(lines, line);) {
    Json d = Json::parse(line, nullptr, false);
    if (d.is_object()) found.push_back(std::move(d));
  }
}

namespace {

// Every message once, in issue order, as check records them.
class Collector : public MsgSink {
 public:
  Collector() : previous_(Port_MsgManData::SetSink(this)) {}
  ~Collector() override { Port_MsgManData::SetSink(previous_); }
  Collector(const Collector&) = delete;
  Collector& operator=(const Collector&) = delete;
  void Report(const MsgRecord& msg) override {
    if (msg.severity == MsgSeverity::kDebug || !seen_.insert(Diagnostics::Key(msg)).second) return;
    const Located where = Locate(msg);
    std::string text = msg.text;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    static const char* kWords[] = {"error", "warning", "info", "status", "internal", "debug"};
    found.push_back({{"severity", kWords[static_cast<int>(msg.severity)]},
                     {"text", text},
                     {"file", where.file.empty() ? Json(nullptr) : Json(where.file)},
                     {"line", where.line > 0 ? Json(where.line) : Json(nullptr)}});
  }
  std::vector<Json> found;

 private:
  MsgSink* previous_;
  std::set<std::string> seen_;
};

}  // namespace

// The stages check runs, called here with the hardware description the
// server keeps between changes: reading a description of thousands of
// instances again for every key typed would cost more than the check.
// False, with nothing done, where check itself must speak: the hardware or
// a repository cannot be used, or there is none.
bool Server::CheckDirectly(const Document& doc, const std::string& hw, std::vector<Json>& found) {
  auto hwDb = knowledge_->Hw(hw);
  if (!hwDb) return false;
  RepoOptions options{settings_.repos};
  auto man = options.Scan();
  if (!man || man->GetSwReposSeqRef().empty()) return false;
  Collector collect;
  for (const MsgRecord& m : knowledge_->HwMessages(hw)) collect.Report(m);
  {
    auto mss = std::make_unique<TavSoftware::Mss>();
    int errors = TavSoftware::ParseMss::Parse(doc.path, mss.get());
    errors += TavSoftware::SwRTUtil::CheckMss(mss.get(), man.get(), hwDb);
    // A clean MSS goes through every stage of the build, as with check.
    if (errors == 0) {
      int built = 0;
      std::unique_ptr<TavSoftware::SwRTClass> model(
          TavSoftware::SwRTUtil::CreateSwRTObject(hwDb, mss.get(), *man, built, nullptr));
    }
  }
  found = std::move(collect.found);
  return true;
}

Json Server::CheckMss(Document& doc, std::map<std::string, Json>& others) {
  // The editor's text of every open file stands in for the disk, so that a
  // definition being edited counts before it is saved.
  std::vector<std::unique_ptr<TavSoftware::UnsavedText>> unsaved;
  for (const auto& [uri, d] : docs_)
    if (&d == &doc || IsDefinition(d.path))
      unsaved.push_back(std::make_unique<TavSoftware::UnsavedText>(d.path, d.text));
  std::string named;
  const std::string hw = HwFor(doc, &named);
  std::vector<Json> found;
  if (!CheckDirectly(doc, hw, found)) RunCheck(doc, hw, found);
  const MssText text(doc.text);
  Json list = Json::array();
  if (hw.empty() && !named.empty()) {
    const int line = text.GlobalParamLine("HW_SPEC_FILE");
    list.push_back({{"range", StatementRange(text, line)},
                    {"severity", kSeverityWarning},
                    {"source", "tavsw"},
                    {"message", "hardware description " + named +
                                    " not found; the checks that need the hardware were skipped"}});
  }
  Json* last = nullptr;
  for (const Json& d : found) {
    const std::string severity = d.value("severity", "");
    std::string message = d.value("text", "");
    const bool located = d.contains("file") && d["file"].is_string();
    // Follow-up lines ("Valid Values are :", the directories searched)
    // belong to the message before them.
    if ((severity == "status" || severity == "info") && !located) {
      if (last) {
        std::string& m = (*last)["message"].get_ref<std::string&>();
        if (message.find_first_not_of(" \n") == std::string::npos) continue;
        while (!message.empty() && message.back() == '\n') message.pop_back();
        m += (!m.empty() && m.back() == ' ') ? message : "\n" + message;
      }
      continue;
    }
    // The place is the diagnostic's range: the text says the rest.
    if (located) {
      const Located where = Locate(MsgRecord{MsgSeverity::kError, message, "", 0});
      if (!where.file.empty()) message = where.text;
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
      message.pop_back();
    const int sev = severity == "error" || severity == "internal" ? kSeverityError
                    : severity == "warning"                       ? kSeverityWarning
                                                                  : kSeverityInfo;
    const int line = d.contains("line") && d["line"].is_number_integer()
                         ? std::max(0, d["line"].get<int>() - 1)
                         : 0;
    const std::string file = located ? Absolute(d["file"].get<std::string>()) : doc.path;
    Json diag = {{"severity", sev}, {"source", "tavsw"}, {"message", message}};
    if (file == doc.path) {
      diag["range"] = StatementRange(text, line);
      list.push_back(std::move(diag));
      last = &list.back();
    } else if (IsMss(file) || IsDefinition(file)) {
      diag["range"] = Range(line, 0, line + 1, 0);
      Json& target = others[UriOfPath(file)];
      if (target.is_null()) target = Json::array();
      target.push_back(std::move(diag));
      last = &target.back();
    } else {
      // About an input that is no document (a repository directory, the
      // hardware description): shown on the first line.
      diag["message"] = file + ": " + message;
      diag["range"] = StatementRange(text, 0);
      list.push_back(std::move(diag));
      last = &list.back();
    }
  }
  // The follow-up lines end in a blank ("Valid Values are : 0 1 2 ").
  auto trim = [](Json& diags) {
    for (Json& d : diags) {
      std::string& m = d["message"].get_ref<std::string&>();
      while (!m.empty() && (m.back() == ' ' || m.back() == '\n')) m.pop_back();
    }
  };
  trim(list);
  for (auto& [uri, diags] : others) {
    if (diags.is_null()) diags = Json::array();
    trim(diags);
  }
  return list;
}

Json Server::ReadDefinition(Document& doc) {
  MsgCapture capture;
  {
    TavSoftware::UnsavedText unsaved(doc.path, doc.text);
    if (HasExtension(doc.path, ".mdd")) {
      TavSoftware::Mdd mdd;
      TavSoftware::ParseMdd::Parse(doc.path, &mdd);
    } else {
      TavSoftware::Mld mld;
      TavSoftware::ParseMld::Parse(doc.path, &mld);
    }
  }
  const MssText text(doc.text);  // for the lines only
  Json list = Json::array();
  for (const MsgRecord& m : capture.Messages()) {
    if (m.severity == MsgSeverity::kDebug) continue;
    const Located where = Locate(m);
    const int line = std::max(0, where.line - 1);
    list.push_back({{"range", RangeOn(text, line, 0, text.Line(line).size())},
                    {"severity", m.severity == MsgSeverity::kWarning ? kSeverityWarning
                                 : m.severity == MsgSeverity::kError ||
                                         m.severity == MsgSeverity::kInternal
                                     ? kSeverityError
                                     : kSeverityInfo},
                    {"source", "tavsw"},
                    {"message", where.text}});
  }
  return list;
}

Json Server::Symbols(Document& doc) {
  Json list = Json::array();
  if (!IsMss(doc.path)) return list;
  const MssText text(doc.text);
  for (const MssBlock& b : text.Blocks()) {
    const std::string name = text.ParamValue(b, NameParamOf(b.kind));
    Json children = Json::array();
    for (int line : b.params) {
      const MssStatement& s = text.Statement(line);
      if (s.word.empty()) continue;
      children.push_back({{"name", s.word},
                          {"detail", s.value},
                          {"kind", kSymbolProperty},
                          {"range", StatementRange(text, line)},
                          {"selectionRange", RangeOn(text, line, s.wordBegin, s.wordEnd)}});
    }
    std::string detail = text.ParamValue(b, VersionParamOf(b.kind));
    const std::string place = text.ParamValue(b, PlaceParamOf(b.kind));
    if (!place.empty()) detail += (detail.empty() ? "" : " ") + std::string("on ") + place;
    list.push_back({{"name", b.kind + " " + (name.empty() ? std::string("(unnamed)") : name)},
                    {"detail", detail},
                    {"kind", kSymbolModule},
                    {"range", Range(b.begin, 0, b.end, text.Line(b.end).size())},
                    {"selectionRange", StatementRange(text, b.begin)},
                    {"children", std::move(children)}});
  }
  return list;
}

Json Server::Format(Document& doc, const Json* id, bool& refused) {
  auto refuse = [&](const std::string& why) {
    refused = true;
    ReplyError(*id, kRequestFailed, "not formatted: " + why);
    return Json();
  };
  if (!IsMss(doc.path)) return refuse("only MSS files are formatted");
  TavSoftware::Mss mss;
  std::vector<TavSoftware::MssTextLoss> losses;
  int result = 0;
  MsgCapture capture;
  {
    TavSoftware::UnsavedText unsaved(doc.path, doc.text);
    result = TavSoftware::ParseMss::Parse(doc.path, &mss, &losses);
  }
  // The same refusals as tavsw fmt without --force: text the layout would
  // drop is the user's, and an editor applies edits without a second look.
  if (result != 0 || capture.Count(MsgSeverity::kError) > 0)
    return refuse("the file has errors");
  if (!losses.empty())
    return refuse("formatting would lose text (line " + std::to_string(losses.front().line) +
                  ": " + std::string(losses.front().what) + ")");
  for (const MsgRecord& m : capture.Messages())
    if (m.severity != MsgSeverity::kDebug)
      return refuse("reading it reported problems (" + Locate(m).text + ")");
  std::string formatted = TavSoftware::WriteMss::ToText(mss);
  if (const std::string problem = ReadBackProblem(formatted, mss); !problem.empty())
    return refuse("the formatted text would not read back the same: " + problem);
  // The editor's line ends stay as they were.
  if (doc.text.find("\r\n") != std::string::npos) {
    std::string crlf;
    for (char c : formatted) {
      if (c == '\n') crlf.push_back('\r');
      crlf.push_back(c);
    }
    formatted = std::move(crlf);
  }
  if (formatted == doc.text) return Json::array();
  // The whole text: up to the start of the line after the last line break,
  // else to the end of the last line.
  const MssText text(doc.text);
  const int lines = static_cast<int>(text.LineCount());
  const Json end = !doc.text.empty() && doc.text.back() == '\n'
                       ? Position(lines, 0)
                       : Position(lines - 1, Utf16OfByte(text.Line(lines - 1), SIZE_MAX));
  return Json::array({{{"range", {{"start", Position(0, 0)}, {"end", end}}},
                       {"newText", formatted}}});
}

Json Server::Completion(Document& doc, const Json& params) {
  Json items = Json::array();
  if (!IsMss(doc.path)) return items;
  const MssText text(doc.text);
  int line = 0;
  size_t byte = 0;
  if (!At(text, params, line, byte)) return items;
  const std::string_view before = text.Line(line).substr(0, byte);
  if (before.find('#') != std::string_view::npos) return items;  // in a comment
  // The word being typed ends at the cursor.
  size_t from = byte;
  while (from > 0 && before[from - 1] != ' ' && before[from - 1] != '\t' &&
         before[from - 1] != '=')
    --from;
  const MssStatement& s = text.Statement(line);
  size_t order = 0;
  auto add = [&](const std::string& label, int kind, const std::string& detail,
                 const std::string& doc) {
    Json item = Item(text, line, from, byte, label, kind, order++);
    if (!detail.empty()) item["detail"] = detail;
    if (!doc.empty()) item["documentation"] = Markdown(doc);
    items.push_back(std::move(item));
    return &items.back();
  };
  if (s.kind == MssStatement::kBegin && byte >= s.wordBegin && from >= s.begin + 5) {
    for (const char* kind : {"DRIVER", "PROCESSOR", "OS", "LIBRARY"})
      add(kind, kItemKeyword, "component", "");
    return items;
  }
  const MssBlock* block = text.BlockAt(line);
  if (!block || s.kind != MssStatement::kParameter || byte < s.wordBegin) return items;
  const CoreKind kind = CoreKindOf(block->kind);
  const std::string name = text.ParamValue(*block, NameParamOf(block->kind));
  const std::string version = text.ParamValue(*block, VersionParamOf(block->kind));
  TavSoftware::SwCore* core = knowledge_->Core(kind, name, version);
  const MdtBase::PsfFile* def = Knowledge::DefinitionOf(core);
  const size_t eq = std::string(before).find('=');
  if (eq == std::string::npos) {
    // Parameter names: the identity ones and those not yet set first.
    std::vector<std::string> identity = {NameParamOf(block->kind), VersionParamOf(block->kind),
                                         PlaceParamOf(block->kind)};
    for (int pass = 0; pass < 2; ++pass) {
      for (const std::string& id : identity)
        if ((text.ParamLine(*block, id) < 0 || text.ParamLine(*block, id) == line) == (pass == 0))
          add(id, kItemProperty, "", "");
      for (const MdtBase::Property* p : Knowledge::Declared(def)) {
        const int set = text.ParamLine(*block, std::string(p->GetName()));
        if ((set < 0 || set == line) != (pass == 0)) continue;
        const String type = p->GetPsfCompValueStr("type");
        add(p->GetName(), kItemProperty, type.empty() ? "string" : std::string(type), ParamDoc(p));
      }
    }
    return items;
  }
  // Values after '='.
  const std::string param = s.word;
  const std::string hwPath = HwFor(doc);
  auto hw = knowledge_->Hw(hwPath);
  const std::string place = text.ParamValue(*block, PlaceParamOf(block->kind));
  if (Port::EqualsNoCase(param, NameParamOf(block->kind))) {
    std::string ipType, ipVersion;
    if (hw && !place.empty()) {
      ipType = hw->GetIpType(place);
      ipVersion = hw->GetIpVersion(place);
    }
    std::set<std::string> seen;
    for (TavSoftware::SwCore* c : knowledge_->Cores(kind)) {
      if (!seen.insert(Lower(c->GetName())).second) continue;
      if (!ipType.empty() && !Knowledge::Supports(c, ipType, ipVersion)) continue;
      add(c->GetName(), kItemModule, std::string(KindWord(kind)) + " " + c->GetVersion(),
          CoreDoc(c, kind));
    }
    return items;
  }
  if (Port::EqualsNoCase(param, VersionParamOf(block->kind))) {
    for (TavSoftware::SwCore* c : knowledge_->Versions(kind, name)) {
      const std::string state = Knowledge::State(c);
      Json* item = add(c->GetVersion(), kItemValue, state, CoreDoc(c, kind));
      if (state == "DEPRECATED" || state == "OBSOLETE") (*item)["tags"] = {1};
    }
    return items;
  }
  const MdtBase::Property* p = Knowledge::DeclaredByName(def, param);
  const String type = p ? p->GetPsfCompValueStr("type") : String();
  const bool isPlace = Port::EqualsNoCase(param, PlaceParamOf(block->kind));
  if (isPlace || Port::StartsNoCase(type, "peripheral_instance")) {
    if (!hw) return items;
    const bool processors = isPlace && block->kind != "DRIVER";
    for (const std::string& n : HwNames(*hw, processors))
      add(n, kItemValue, hw->GetIpType(n) + " " + hw->GetIpVersion(n), HwDoc(*hw, n));
    return items;
  }
  if (!p) return items;
  if (Port::StartsNoCase(type, "bool")) {
    add("true", kItemValue, "", "");
    add("false", kItemValue, "", "");
    return items;
  }
  for (const auto& [value, label] : AllowedValues(p))
    add(value, kItemEnum, label, "");
  return items;
}

Json Server::Hover(Document& doc, const Json& params) {
  if (!IsMss(doc.path)) return nullptr;
  const MssText text(doc.text);
  int line = 0;
  size_t byte = 0;
  if (!At(text, params, line, byte)) return nullptr;
  const MssBlock* block = text.BlockAt(line);
  const MssStatement& s = text.Statement(line);
  auto hoverOf = [&](const std::string& markdown, size_t from, size_t to) -> Json {
    if (markdown.empty()) return nullptr;
    return {{"contents", Markdown(markdown)}, {"range", RangeOn(text, line, from, to)}};
  };
  auto hwHover = [&](const std::string& value) -> Json {
    auto hw = knowledge_->Hw(HwFor(doc));
    return hw ? hoverOf(HwDoc(*hw, value), s.valueBegin, s.valueEnd) : Json(nullptr);
  };
  if (!block) {
    if (s.kind == MssStatement::kParameter && byte >= s.valueBegin && byte <= s.valueEnd &&
        Port::EqualsNoCase(s.word, "HW_SPEC_FILE")) {
      const std::string hw = HwFor(doc);
      return hoverOf(hw.empty() ? "not found" : "Hardware description " + hw, s.valueBegin,
                     s.valueEnd);
    }
    return nullptr;
  }
  const CoreKind kind = CoreKindOf(block->kind);
  TavSoftware::SwCore* core =
      knowledge_->Core(kind, text.ParamValue(*block, NameParamOf(block->kind)),
                       text.ParamValue(*block, VersionParamOf(block->kind)));
  const bool isName = s.kind == MssStatement::kParameter &&
                      Port::EqualsNoCase(s.word, NameParamOf(block->kind));
  if (s.kind == MssStatement::kBegin || (isName && byte >= s.valueBegin)) {
    if (!core) return nullptr;
    return s.kind == MssStatement::kBegin ? hoverOf(CoreDoc(core, kind), s.begin, s.end)
                                          : hoverOf(CoreDoc(core, kind), s.valueBegin, s.valueEnd);
  }
  if (s.kind != MssStatement::kParameter) return nullptr;
  const MdtBase::Property* p = Knowledge::DeclaredByName(Knowledge::DefinitionOf(core), s.word);
  if (byte >= s.wordBegin && byte <= s.wordEnd) {
    if (Exempt(block->kind, s.word) && core) return hoverOf(CoreDoc(core, kind), s.wordBegin, s.wordEnd);
    return p ? hoverOf(ParamDoc(p), s.wordBegin, s.wordEnd) : Json(nullptr);
  }
  if (s.hasEq && byte >= s.valueBegin && byte <= s.valueEnd) {
    if (Port::EqualsNoCase(s.word, PlaceParamOf(block->kind)) ||
        (p && Port::StartsNoCase(p->GetPsfCompValueStr("type"), "peripheral_instance")))
      return hwHover(s.value);
    if (Port::EqualsNoCase(s.word, VersionParamOf(block->kind)) && core)
      return hoverOf(CoreDoc(core, kind), s.valueBegin, s.valueEnd);
  }
  return nullptr;
}

Json Server::Definition(Document& doc, const Json& params) {
  if (!IsMss(doc.path)) return nullptr;
  const MssText text(doc.text);
  int line = 0;
  size_t byte = 0;
  if (!At(text, params, line, byte)) return nullptr;
  const MssBlock* block = text.BlockAt(line);
  const MssStatement& s = text.Statement(line);
  if (!block) return nullptr;
  const CoreKind kind = CoreKindOf(block->kind);
  TavSoftware::SwCore* core =
      knowledge_->Core(kind, text.ParamValue(*block, NameParamOf(block->kind)),
                       text.ParamValue(*block, VersionParamOf(block->kind)));
  if (!core) return nullptr;
  auto location = [](const std::string& file, int line0) -> Json {
    return {{"uri", UriOfPath(Absolute(file))}, {"range", Range(line0, 0, line0, 0)}};
  };
  const bool onName = s.kind == MssStatement::kParameter && byte >= s.wordBegin &&
                      byte <= s.wordEnd;
  if (onName && !Exempt(block->kind, s.word)) {
    const MdtBase::Property* p = Knowledge::DeclaredByName(Knowledge::DefinitionOf(core), s.word);
    if (!p) return nullptr;
    return location(p->GetFileNameStr(), std::max(0, p->GetLineNum() - 1));
  }
  // The component itself: its BEGIN line, its name or version parameter.
  const bool identity =
      s.kind == MssStatement::kBegin ||
      (s.kind == MssStatement::kParameter && (Port::EqualsNoCase(s.word, NameParamOf(block->kind)) ||
                                              Port::EqualsNoCase(s.word, VersionParamOf(block->kind))));
  if (!identity) return nullptr;
  return location(DefinitionPath(core), 0);
}

Json Server::CodeActions(Document& doc, const Json& params) {
  Json actions = Json::array();
  if (!IsMss(doc.path)) return actions;
  const MssText text(doc.text);
  const Json& range = params.at("range");
  const long long first = IntOf(range.at("start").at("line"), "line");
  const long long lastLine = IntOf(range.at("end").at("line"), "line");
  if (first < 0 || lastLine < first || static_cast<size_t>(first) >= text.LineCount())
    return actions;
  const int end = static_cast<int>(std::min<long long>(lastLine, text.LineCount() - 1));
  // The client's diagnostics on a line, so that the fix is shown with them.
  auto diagnosticsOn = [&](int line) {
    Json on = Json::array();
    auto ctx = params.find("context");
    if (ctx == params.end() || !ctx->contains("diagnostics")) return on;
    for (const Json& d : (*ctx)["diagnostics"]) {
      // Anything the client sends back is looked at with care.
      const Json* at = &d;
      for (const char* key : {"range", "start", "line"}) {
        if (!at->is_object() || !at->contains(key)) {
          at = nullptr;
          break;
        }
        at = &(*at)[key];
      }
      if (at && at->is_number_integer() && at->get<long long>() == line) on.push_back(d);
    }
    return on;
  };
  auto replace = [&](int line, size_t from, size_t to, const std::string& typed,
                     const std::string& with) {
    Json edit = {{"range", RangeOn(text, line, from, to)}, {"newText", with}};
    actions.push_back({{"title", "Replace '" + typed + "' with '" + with + "'"},
                       {"kind", "quickfix"},
                       {"diagnostics", diagnosticsOn(line)},
                       {"isPreferred", actions.empty()},
                       {"edit", {{"changes", {{doc.uri, Json::array({edit})}}}}}});
  };
  const std::string hwPath = HwFor(doc);
  auto hw = knowledge_->Hw(hwPath);
  std::set<const MssBlock*> blocks;
  for (int line = static_cast<int>(first); line <= end; ++line) {
    const MssBlock* block = text.BlockAt(line);
    if (!block) continue;
    blocks.insert(block);
    const MssStatement& s = text.Statement(line);
    if (s.kind != MssStatement::kParameter || s.word.empty()) continue;
    const CoreKind kind = CoreKindOf(block->kind);
    if (Port::EqualsNoCase(s.word, NameParamOf(block->kind))) {
      const std::vector<std::string> names = knowledge_->Names(kind);
      const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
        return Port::EqualsNoCase(n, s.value);
      });
      if (!known)
        for (const std::string& n : Closest(s.value, names))
          replace(line, s.valueBegin, s.valueEnd, s.value, n);
      continue;
    }
    if (Port::EqualsNoCase(s.word, PlaceParamOf(block->kind))) {
      if (hw && !s.value.empty() && !hw->IsInstPresent(s.value))
        for (const std::string& n : Closest(s.value, HwNames(*hw, block->kind != "DRIVER")))
          replace(line, s.valueBegin, s.valueEnd, s.value, n);
      continue;
    }
    if (Exempt(block->kind, s.word)) continue;
    TavSoftware::SwCore* core =
        knowledge_->Core(kind, text.ParamValue(*block, NameParamOf(block->kind)),
                         text.ParamValue(*block, VersionParamOf(block->kind)));
    const MdtBase::PsfFile* def = Knowledge::DefinitionOf(core);
    if (!def || Knowledge::DeclaredByName(def, s.word)) continue;
    std::vector<std::string> declared;
    for (const MdtBase::Property* p : Knowledge::Declared(def)) declared.push_back(p->GetName());
    for (const std::string& n : Closest(s.word, declared))
      replace(line, s.wordBegin, s.wordEnd, s.word, n);
  }
  // A driver without a version takes whichever the repositories hold first.
  for (const MssBlock* block : blocks) {
    if (block->kind != "DRIVER" && block->kind != "PROCESSOR") continue;
    const int nameLine = text.ParamLine(*block, "DRIVER_NAME");
    if (nameLine < 0 || text.ParamLine(*block, "DRIVER_VER") >= 0) continue;
    const auto versions = knowledge_->Versions(kDriverCore, text.Statement(nameLine).value);
    if (versions.empty()) continue;
    const std::string newest = versions.front()->GetVersion();
    const std::string_view nameText = text.Line(nameLine);
    const std::string indent(nameText.substr(0, text.Statement(nameLine).begin));
    const std::string eol = doc.text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    Json edit = {{"range", Range(nameLine + 1, 0, nameLine + 1, 0)},
                 {"newText", indent + "PARAMETER DRIVER_VER = " + newest + eol}};
    // At the end of a text without a last line break the line is new.
    if (static_cast<size_t>(nameLine + 1) >= text.LineCount())
      edit = {{"range", RangeOn(text, nameLine, nameText.size(), nameText.size())},
              {"newText", eol + indent + "PARAMETER DRIVER_VER = " + newest}};
    actions.push_back({{"title", "Add DRIVER_VER = " + newest},
                       {"kind", "quickfix"},
                       {"diagnostics", diagnosticsOn(nameLine)},
                       {"edit", {{"changes", {{doc.uri, Json::array({edit})}}}}}});
  }
  return actions;
}

}  // namespace tavsw::lsp
