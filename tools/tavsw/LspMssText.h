// Where things stand in the text of an MSS an editor holds: the statement of
// each line with the columns of its words, and the component blocks. The
// library's reader says what the text means and what is wrong with it; an
// editor also needs columns, and a picture of text that is half typed (a
// block without END, a PARAMETER without '='), which the reader drops.
// The keyword rules are the reader's: the text before '#', trimmed; a
// keyword matches as a prefix ignoring case; BEGIN takes exactly one of the
// four component kinds.
#ifndef TAVSOFTWARE_TOOLS_LSPMSSTEXT_H
#define TAVSOFTWARE_TOOLS_LSPMSSTEXT_H

#include <string>
#include <string_view>
#include <vector>

namespace tavsw::lsp {

struct MssStatement {
  enum Kind { kEmpty, kBegin, kEnd, kParameter, kInterface, kOther };
  Kind kind = kEmpty;
  // Byte columns of the statement (comment and blanks around it left out).
  size_t begin = 0, end = 0;
  // BEGIN: the kind word (upper case, "" when it is no component kind).
  // PARAMETER: name and value, each trimmed, with their columns; `hasEq`
  // when the '=' was typed. INTERFACE: the name.
  std::string word, value;
  size_t wordBegin = 0, wordEnd = 0, valueBegin = 0, valueEnd = 0;
  bool hasEq = false;
};

struct MssBlock {
  std::string kind;  // DRIVER, PROCESSOR, OS or LIBRARY
  int begin = 0;     // the BEGIN line (0-based)
  int end = 0;       // the END line, or the last line of an unclosed block
  bool closed = false;
  std::vector<int> params;  // lines of its PARAMETER statements
};

class MssText {
 public:
  explicit MssText(std::string_view text);

  size_t LineCount() const { return lines_.size(); }
  std::string_view Line(int line) const;
  const MssStatement& Statement(int line) const;
  const std::vector<MssBlock>& Blocks() const { return blocks_; }
  // The block holding `line` (BEGIN and END lines included); null outside.
  const MssBlock* BlockAt(int line) const;
  // The line of the block's PARAMETER of that name (ignoring case); -1.
  int ParamLine(const MssBlock& block, std::string_view name) const;
  // Its value; "" when the block does not set it.
  std::string ParamValue(const MssBlock& block, std::string_view name) const;
  // The line of the file-level PARAMETER of that name; -1.
  int GlobalParamLine(std::string_view name) const;

 private:
  std::vector<std::string_view> lines_;
  std::vector<MssStatement> statements_;
  std::vector<MssBlock> blocks_;
  std::vector<int> blockOfLine_;  // index into blocks_, -1 outside
};

// The name of the parameter that names a component of that kind
// (DRIVER_NAME, OS_NAME, LIBRARY_NAME), its version parameter, and the one
// that places it on the hardware (HW_INSTANCE, PROC_INSTANCE).
const char* NameParamOf(const std::string& kind);
const char* VersionParamOf(const std::string& kind);
const char* PlaceParamOf(const std::string& kind);

}  // namespace tavsw::lsp

#endif  // TAVSOFTWARE_TOOLS_LSPMSSTEXT_H
