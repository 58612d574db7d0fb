#include "LspMssText.h"

#include "Port.h"

namespace tavsw::lsp {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

bool IsBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

// The first blank-free position at or after `at` and before `end`.
size_t SkipBlanks(std::string_view line, size_t at, size_t end) {
  while (at < end && IsBlank(line[at])) ++at;
  return at;
}

// [begin, end) trimmed of blanks on both sides.
void Trim(std::string_view line, size_t& begin, size_t& end) {
  begin = SkipBlanks(line, begin, end);
  while (end > begin && IsBlank(line[end - 1])) --end;
}

bool KeywordAt(std::string_view line, size_t at, size_t end, std::string_view keyword) {
  return end - at >= keyword.size() && Port::StartsNoCase(line.substr(at, end - at), keyword);
}

MssStatement ReadStatement(std::string_view line, bool inBlock) {
  MssStatement s;
  size_t begin = 0, end = line.find('#');
  if (end == std::string_view::npos) end = line.size();
  Trim(line, begin, end);
  s.begin = begin;
  s.end = end;
  if (begin == end) return s;
  auto rest = [&](size_t keyword) { return SkipBlanks(line, begin + keyword, end); };
  if (KeywordAt(line, begin, end, "BEGIN")) {
    s.kind = MssStatement::kBegin;
    s.wordBegin = rest(5);
    s.wordEnd = end;
    std::string kind(line.substr(s.wordBegin, end - s.wordBegin));
    for (const char* k : {"DRIVER", "LIBRARY", "OS", "PROCESSOR"})
      if (Port::EqualsNoCase(kind, k)) s.word = k;
    return s;
  }
  if (KeywordAt(line, begin, end, "END")) {
    s.kind = MssStatement::kEnd;
    return s;
  }
  if (inBlock && KeywordAt(line, begin, end, "INTERFACE")) {
    s.kind = MssStatement::kInterface;
    s.wordBegin = rest(9);
    s.wordEnd = s.wordBegin;
    while (s.wordEnd < end && !IsBlank(line[s.wordEnd])) ++s.wordEnd;
    s.word = line.substr(s.wordBegin, s.wordEnd - s.wordBegin);
    return s;
  }
  if (!KeywordAt(line, begin, end, "PARAMETER")) {
    s.kind = MssStatement::kOther;
    return s;
  }
  s.kind = MssStatement::kParameter;
  const size_t name = rest(9);
  size_t eq = line.find('=', name);
  if (eq >= end) eq = std::string_view::npos;
  s.hasEq = eq != std::string_view::npos;
  s.wordBegin = name;
  s.wordEnd = s.hasEq ? eq : end;
  Trim(line, s.wordBegin, s.wordEnd);
  s.word = line.substr(s.wordBegin, s.wordEnd - s.wordBegin);
  if (s.hasEq) {
    s.valueBegin = eq + 1;
    s.valueEnd = end;
    // A file-level value ends at the first comma, as the reader takes it.
    if (!inBlock) {
      const size_t comma = line.find(',', s.valueBegin);
      if (comma < end) s.valueEnd = comma;
    }
    Trim(line, s.valueBegin, s.valueEnd);
    s.value = line.substr(s.valueBegin, s.valueEnd - s.valueBegin);
    // The reader reads quotes as blanks.
    for (char& c : s.value)
      if (c == '"') c = ' ';
  } else {
    s.valueBegin = s.valueEnd = end;
  }
  return s;
}

}  // namespace

MssText::MssText(std::string_view text) {
  for (size_t at = 0; at <= text.size();) {
    size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) {
      // A text that ends with a line break has no further line.
      if (at < text.size() || lines_.empty()) lines_.push_back(text.substr(at));
      break;
    }
    std::string_view line = text.substr(at, nl - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.push_back(line);
    at = nl + 1;
  }
  statements_.reserve(lines_.size());
  blockOfLine_.assign(lines_.size(), -1);
  int open = -1;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const int line = static_cast<int>(i);
    statements_.push_back(ReadStatement(lines_[i], open >= 0));
    const MssStatement& s = statements_.back();
    if (s.kind == MssStatement::kBegin) {
      if (open >= 0) blocks_[open].end = line - 1;  // closed by the next BEGIN
      open = -1;
      if (!s.word.empty()) {
        blocks_.push_back({s.word, line, line, false, {}});
        open = static_cast<int>(blocks_.size()) - 1;
      }
    } else if (s.kind == MssStatement::kEnd && open >= 0) {
      blocks_[open].end = line;
      blocks_[open].closed = true;
      blockOfLine_[i] = open;
      open = -1;
      continue;
    }
    if (open >= 0) {
      blockOfLine_[i] = open;
      blocks_[open].end = line;
      if (s.kind == MssStatement::kParameter) blocks_[open].params.push_back(line);
    }
  }
}

std::string_view MssText::Line(int line) const {
  return line >= 0 && static_cast<size_t>(line) < lines_.size() ? lines_[line] : std::string_view();
}

const MssStatement& MssText::Statement(int line) const {
  static const MssStatement kNone;
  return line >= 0 && static_cast<size_t>(line) < statements_.size() ? statements_[line] : kNone;
}

const MssBlock* MssText::BlockAt(int line) const {
  if (line < 0 || static_cast<size_t>(line) >= blockOfLine_.size() || blockOfLine_[line] < 0)
    return nullptr;
  return &blocks_[blockOfLine_[line]];
}

int MssText::ParamLine(const MssBlock& block, std::string_view name) const {
  for (int line : block.params)
    if (Port::EqualsNoCase(statements_[line].word, name)) return line;
  return -1;
}

std::string MssText::ParamValue(const MssBlock& block, std::string_view name) const {
  const int line = ParamLine(block, name);
  return line < 0 ? std::string() : statements_[line].value;
}

int MssText::GlobalParamLine(std::string_view name) const {
  for (size_t i = 0; i < statements_.size(); ++i)
    if (blockOfLine_[i] < 0 && statements_[i].kind == MssStatement::kParameter &&
        Port::EqualsNoCase(statements_[i].word, name))
      return static_cast<int>(i);
  return -1;
}

const char* NameParamOf(const std::string& kind) {
  if (kind == "OS") return "OS_NAME";
  if (kind == "LIBRARY") return "LIBRARY_NAME";
  return "DRIVER_NAME";
}

const char* VersionParamOf(const std::string& kind) {
  if (kind == "OS") return "OS_VER";
  if (kind == "LIBRARY") return "LIBRARY_VER";
  return "DRIVER_VER";
}

const char* PlaceParamOf(const std::string& kind) {
  return kind == "OS" || kind == "LIBRARY" ? "PROC_INSTANCE" : "HW_INSTANCE";
}

}  // namespace tavsw::lsp
