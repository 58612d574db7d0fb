#include "Diagnostics.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace tavsw {
namespace {

bool IsError(MsgSeverity s) { return s == MsgSeverity::kError || s == MsgSeverity::kInternal; }

const char* GccSeverity(MsgSeverity s) {
  if (IsError(s)) return "error";
  if (s == MsgSeverity::kWarning) return "warning";
  return "note";
}

std::string TrimNewlines(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// "<file> line <n> - " at `pos` of `text`: its length, and the file and
// line through the arguments; 0 when there is none.
size_t PrefixAt(const std::string& text, size_t pos, const std::string& file, int line) {
  std::string prefix = file + (line > 0 ? " line " + std::to_string(line) : "") + " - ";
  return text.compare(pos, prefix.size(), prefix) == 0 ? prefix.size() : 0;
}

// A reader's prefix in a message that came without file information.
bool ParsePrefix(const std::string& text, Located& out) {
  size_t at = text.find(" line ");
  if (at == 0 || at == std::string::npos || text.find('\n') < at) return false;
  size_t digits = at + 6, end = digits;
  while (end < text.size() && end - digits < 9 && text[end] >= '0' && text[end] <= '9') ++end;
  if (end == digits || text.compare(end, 3, " - ") != 0) return false;
  out.file = text.substr(0, at);
  out.line = std::stoi(text.substr(digits, end - digits));
  out.text = text.substr(end + 3);
  return true;
}

}  // namespace

Located Locate(const MsgRecord& msg) {
  Located out;
  std::string text = TrimNewlines(msg.text);
  if (msg.file.empty()) {
    if (!ParsePrefix(text, out)) out.text = text;
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

void Diagnostics::Report(const MsgRecord& msg) {
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
    err_ << Port_MsgManData::SeverityName(msg.severity) << ": " << TrimNewlines(msg.text) << "\n";
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
