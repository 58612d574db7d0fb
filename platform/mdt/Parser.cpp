// The parse state the readers share: the file, its line, the error count,
// the pending comment, and the unsaved texts read in place of files.
#include "MdtBase.h"
#include "MdtParse.h"
#include "MdtTags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <ostream>

namespace MdtBase {

// ---------------------------------------------------------------------------
// BaseParser
// ---------------------------------------------------------------------------
namespace {
thread_local BaseParser::State* t_state = nullptr;

BaseParser::State& DefaultState() {
  thread_local BaseParser::State state;
  return state;
}
}  // namespace

BaseParser::ParseScope::ParseScope() : previous_(t_state), state_(new State) {
  t_state = state_.get();
}

BaseParser::ParseScope::~ParseScope() { t_state = previous_; }

BaseParser::State& BaseParser::S() { return t_state ? *t_state : DefaultState(); }

namespace {
struct UnsavedEntry {
  String name;
  String normal;  // absolute and lexically normal
  const String* text;
};
thread_local std::vector<UnsavedEntry> t_unsaved;

String NormalPath(const String& name) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(std::string_view(name)), ec);
  if (ec) return name;
  return p.lexically_normal().string();
}

const String* UnsavedTextFor(const String& fileName) {
  if (t_unsaved.empty() || fileName.empty()) return nullptr;
  for (auto it = t_unsaved.rbegin(); it != t_unsaved.rend(); ++it)
    if (it->name == fileName) return it->text;
  const String normal = NormalPath(fileName);
  for (auto it = t_unsaved.rbegin(); it != t_unsaved.rend(); ++it)
    if (it->normal == normal) return it->text;
  return nullptr;
}
}  // namespace

void BaseParser::AddUnsavedText(const String& fileName, const String* text) {
  if (text) t_unsaved.push_back({fileName, NormalPath(fileName), text});
}

void BaseParser::WithdrawUnsavedText(const String* text) {
  std::erase_if(t_unsaved, [text](const UnsavedEntry& e) { return e.text == text; });
}

int BaseParser::InitData(const String& fileName, PsfFile* file) {
  State& s = S();
  s.stream.close();
  s.filename = fileName;
  s.sharedFilename = SharedFileName(fileName);
  s.lineno = 0;
  s.numerr = 0;
  s.comment.Clear();
  s.numEmptyLines = 0;
  s.globalCommentDone = false;
  if (const String* text = UnsavedTextFor(fileName)) {
    s.stream.openText(*text);
    return 0;
  }
  if (fileName.empty() || !s.stream.open(fileName)) {
    Port_MsgManData::Issue(MsgSeverity::kError,
                           "Cannot open file \"" + fileName + "\" for reading\n", fileName, 0);
    return 2;
  }
  int64_t stamp = 0;
  if (file && Port::File::getdatetime(fileName, stamp)) file->SetDateTime(stamp);
  return 0;
}

bool BaseParser::ReadLine(String& line) { return S().stream.readline(line); }
bool BaseParser::AtEof() { return S().stream.geteof(); }
void BaseParser::Close() { S().stream.close(); }

String BaseParser::Where() {
  const State& s = S();
  // Before the first line (or after a read of nothing) there is no line to
  // name, only the file.
  if (s.lineno <= 0) return s.filename + " - ";
  return s.filename + " line " + std::to_string(s.lineno) + " - ";
}

void BaseParser::PARSEERR(const String& text) {
  State& s = S();
  ++s.numerr;
  Port_MsgManData::Issue(MsgSeverity::kError, Where() + text, s.filename, s.lineno);
}

void BaseParser::PARSEWARN(const String& text) {
  State& s = S();
  Port_MsgManData::Issue(MsgSeverity::kWarning, Where() + text, s.filename, s.lineno);
}

void BaseParser::SetFileInfo(PsfComp* node) {
  if (!node) return;
  State& s = S();
  if (!s.sharedFilename) s.sharedFilename = SharedFileName(s.filename);
  node->SetFileNameShared(s.sharedFilename);
  node->SetLineNum(s.lineno);
}

String BaseParser::HandleEscapedCharacters(const String& text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      static const char kFrom[] = "ntr\\\"'";
      static const char kTo[] = "\n\t\r\\\"'";
      const char* hit = std::strchr(kFrom, text[i + 1]);
      if (hit && *hit) {  // a NUL after the backslash is no escape
        out += kTo[hit - kFrom];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

void BaseParser::ResetComment() {
  State& s = S();
  s.comment.Clear();
  s.numEmptyLines = 0;
  s.globalCommentDone = false;
}

void BaseParser::AddToComment(const String& text) {
  // The writer puts "# " before each line; dropping one blank here keeps a
  // comment stable across any number of read-write rounds.
  String line = text;
  if (!line.empty() && line[0] == ' ') line.erase(0, 1);
  S().comment.AddLine(line);
}

void BaseParser::CheckAddGlobalComment(PsfFile* file) {
  State& s = S();
  if (s.globalCommentDone || !file) return;
  if (s.numEmptyLines > 0 && !s.comment.IsEmpty()) {
    file->SetComment(s.comment);
    s.comment.Clear();
    s.globalCommentDone = true;
  }
}

void BaseParser::AssociateComment(PsfComp* node) {
  State& s = S();
  // Once a node took a comment, later comment blocks are never global.
  s.globalCommentDone = true;
  if (!node || s.comment.IsEmpty()) return;
  node->SetComment(s.comment);
  s.comment.Clear();
}

}  // namespace MdtBase
