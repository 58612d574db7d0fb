#include "Diagnostics.h"

#include <nlohmann/json.hpp>
#include <algorithm>
#include <ostream>
#include <string_view>

namespace tavsw {
namespace {

bool IsError(MsgSeverity s) { return s == MsgSeverity::kError || s == MsgSeverity::kInternal; }

const char* GccSeverity(MsgSeverity s) {
  if (IsError(s)) return "error";
  if (s == MsgSeverity::kWarning) return "warning";
  return "note";
}

// The message without the line breaks around it: some texts start with one
// to stand apart on a terminal, which would cut a one-line diagnostic.
std::string TrimLineBreaks(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == '\n' || text[begin] == '\r')) ++begin;
  while (end > begin && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
  return text.substr(begin, end - begin);
}

// "<file> line <n> - " at `pos` of `text`: its length, and the file and
// line through the arguments; 0 when there is none.
size_t PrefixAt(const std::string& text, size_t pos, const std::string& file, int line) {
  std::string prefix = file + (line > 0 ? " line " + std::to_string(line) : "") + " - ";
  return text.compare(pos, prefix.size(), prefix) == 0 ? prefix.size() : 0;
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  const size_t n = std::char_traits<char>::length(suffix);
  return text.size() > n && Port::EqualsNoCase(text.substr(text.size() - n), suffix);
}

// A word that names one of the files the tool reads: by its extension, or
// because it is there.
bool NamesFile(const std::string& word) {
  if (word.empty()) return false;
  for (const char* ext : {".mss", ".mdd", ".mld", ".json", ".tcl"})
    if (EndsWithNoCase(word, ext)) return true;
  return Port::File::isfile(word);
}

// "<file>" or "<name> - <file>" in front of a location: the file, and the
// component name the message starts with, if any. A file name may itself
// hold " - "; a name never holds a blank or a slash.
void SplitName(const std::string& prefix, std::string& name, std::string& file) {
  name.clear();
  file = prefix;
  if (Port::File::isfile(prefix)) return;
  for (size_t dash = prefix.find(" - "); dash != std::string::npos;
       dash = prefix.find(" - ", dash + 3)) {
    if (Port::File::isfile(prefix.substr(dash + 3))) {
      name = prefix.substr(0, dash);
      file = prefix.substr(dash + 3);
      return;
    }
  }
  const size_t dash = prefix.find(" - ");
  if (dash != std::string::npos && dash > 0 &&
      prefix.find_first_of("/ ", 0) >= dash) {
    name = prefix.substr(0, dash);
    file = prefix.substr(dash + 3);
  }
}

// "[<name> - ]<file> line <n> - <text>" in a message that came without file
// information.
bool ParseLinePrefix(const std::string& text, Located& out) {
  const size_t firstBreak = text.find('\n');
  for (size_t at = text.find(" line "); at != std::string::npos && at < firstBreak;
       at = text.find(" line ", at + 1)) {
    size_t digits = at + 6, end = digits;
    while (end < text.size() && end - digits < 9 && text[end] >= '0' && text[end] <= '9') ++end;
    if (end == digits || text.compare(end, 3, " - ") != 0) continue;
    std::string name;
    SplitName(text.substr(0, at), name, out.file);
    out.line = std::stoi(text.substr(digits, end - digits));
    out.text = (name.empty() ? "" : name + " - ") + text.substr(end + 3);
    return true;
  }
  return false;
}

// "<file> - <text>": a message about a file as a whole.
bool ParseFilePrefix(const std::string& text, Located& out) {
  const size_t dash = text.find(" - ");
  if (dash == std::string::npos || dash == 0 || dash > text.find('\n')) return false;
  const std::string file = text.substr(0, dash);
  if (!NamesFile(file)) return false;
  out.file = file;
  out.text = text.substr(dash + 3);
  return true;
}

// The file a message names in its text ("Errors while parsing MDD file
// <path>", "Cannot open file \"<path>\" ..."): the first quoted or blank-
// separated word that names one; "" when none does.
std::string FileNamedIn(const std::string& text) {
  for (size_t open = text.find('"'); open != std::string::npos;) {
    const size_t close = text.find('"', open + 1);
    if (close == std::string::npos) break;
    const std::string quoted = text.substr(open + 1, close - open - 1);
    if (NamesFile(quoted)) return quoted;
    open = text.find('"', close + 1);
  }
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t begin = text.find_first_not_of(" \t\n", pos);
    if (begin == std::string::npos) break;
    const size_t end = std::min(text.find_first_of(" \t\n", begin), text.size());
    std::string word = text.substr(begin, end - begin);
    while (!word.empty() && std::string_view(".,:;!'\"").find(word.back()) != std::string::npos)
      word.pop_back();
    if (!word.empty() && word.front() == '"') word.erase(0, 1);
    if (NamesFile(word)) return word;
    pos = end;
  }
  return std::string();
}

}  // namespace

Located Locate(const MsgRecord& msg) {
  Located out;
  std::string text = TrimLineBreaks(msg.text);
  if (msg.file.empty()) {
    if (ParseLinePrefix(text, out) || ParseFilePrefix(text, out)) return out;
    out.text = text;
    out.file = FileNamedIn(text);
    return out;
  }
  out.file = msg.file;
  out.line = msg.line;
  out.text = text;
  if (size_t n = PrefixAt(text, 0, msg.file, msg.line)) {
    out.text = text.substr(n);
    return out;
  }
  // A prefix inside the text ("<driver> - <file> line <n> - ...") goes too.
  size_t at = text.find(" - " + msg.file);
  if (at != std::string::npos)
    if (size_t n = PrefixAt(text, at + 3, msg.file, msg.line)) out.text.erase(at + 3, n);
  return out;
}

Diagnostics::Diagnostics(std::ostream& err, DiagFormat format, int maxErrors)
    : err_(err),
      format_(format),
      maxErrors_(maxErrors),
      previous_(Port_MsgManData::SetSink(this)) {}

Diagnostics::~Diagnostics() { Port_MsgManData::SetSink(previous_); }

std::string Diagnostics::Key(const MsgRecord& msg) {
  return std::to_string(static_cast<int>(msg.severity)) + '\0' + msg.file + '\0' +
         std::to_string(msg.line) + '\0' + TrimLineBreaks(msg.text);
}

void Diagnostics::Report(const MsgRecord& msg) {
  // One fault reported twice (by two stages that each check it) is shown
  // and counted once.
  if (!seen_.insert(Key(msg)).second) return;
  ++messages_;
  if (IsError(msg.severity)) ++errors_;
  if (msg.severity == MsgSeverity::kWarning) ++warnings_;
  if (maxErrors_ > 0 && shownErrors_ >= maxErrors_) {
    if (IsError(msg.severity))
      ++heldErrors_;
    else
      ++heldOthers_;
    return;
  }
  if (IsError(msg.severity)) ++shownErrors_;
  if (format_ == DiagFormat::kText) {
    // Exactly as the library's own sink prints it.
    err_ << Port_MsgManData::SeverityName(msg.severity) << ": " << TrimLineBreaks(msg.text) << "\n";
    return;
  }
  Print(msg.severity, Locate(msg));
}

void Diagnostics::Tool(MsgSeverity severity, const std::string& text, const std::string& file,
                       int line) {
  ++messages_;
  if (IsError(severity)) ++errors_;
  if (severity == MsgSeverity::kWarning) ++warnings_;
  if (format_ == DiagFormat::kText) {
    err_ << "tavsw: ";
    if (!file.empty()) err_ << file << (line > 0 ? " line " + std::to_string(line) + " - " : ": ");
    err_ << text << "\n";
    return;
  }
  Print(severity, Located{file, line, text});
}

void Diagnostics::Note(const std::string& text, const std::string& file, int line) {
  if (format_ == DiagFormat::kText) {
    ++messages_;
    err_ << "tavsw: ";
    if (!file.empty()) err_ << file << (line > 0 ? " line " + std::to_string(line) + " - " : ": ");
    err_ << "note: " << text << "\n";
    return;
  }
  Tool(MsgSeverity::kInfo, text, file, line);
}

void Diagnostics::Print(MsgSeverity severity, const Located& where) {
  if (format_ == DiagFormat::kJson) {
    nlohmann::json j = {{"severity", GccSeverity(severity)}, {"text", where.text}};
    j["file"] = where.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(where.file);
    j["line"] = where.line > 0 ? nlohmann::json(where.line) : nlohmann::json(nullptr);
    // Invalid UTF-8 from a file is replaced, never a reason to stop.
    err_ << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return;
  }
  if (where.file.empty())
    err_ << "tavsw: ";
  else
    err_ << where.file << ":" << (where.line > 0 ? std::to_string(where.line) + ":" : "") << " ";
  err_ << GccSeverity(severity) << ": " << where.text << "\n";
}

void Diagnostics::Finish() {
  if (heldErrors_ == 0 && heldOthers_ == 0) return;
  std::string text =
      std::to_string(heldErrors_) + (heldErrors_ == 1 ? " more error" : " more errors");
  if (heldOthers_ > 0)
    text += " and " + std::to_string(heldOthers_) +
            (heldOthers_ == 1 ? " other message" : " other messages");
  text += " not shown (--max-errors " + std::to_string(maxErrors_) + ")";
  heldErrors_ = heldOthers_ = 0;
  // Printed as a note: the errors themselves were counted already.
  const int errors = errors_, messages = messages_;
  Tool(MsgSeverity::kInfo, text);
  errors_ = errors;
  messages_ = messages;
}

}  // namespace tavsw
