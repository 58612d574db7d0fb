// How tavsw prints diagnostics: the library's messages and the tool's own,
// in one of three forms, with an optional limit on the errors shown.
//
//   text  "ERROR: <message>" for the library's messages (as the library's
//         default sink prints them), "tavsw: <file>: <message>" for the
//         tool's own
//   gcc   "<file>:<line>: error: <message>" ("warning", "note" for
//         information and status), "<file>: error: ..." without a line,
//         "tavsw: error: ..." without a file
//   json  one object per line: {"severity", "text", "file", "line"}, file and
//         line null when the message has none
#ifndef TAVSOFTWARE_TOOLS_DIAGNOSTICS_H
#define TAVSOFTWARE_TOOLS_DIAGNOSTICS_H

#include <iosfwd>
#include <string>

#include "Port.h"

namespace tavsw {

enum class DiagFormat { kText, kGcc, kJson };

// A message taken apart: the "<file> line <n> - " prefix the readers put
// before their text becomes `file` and `line`.
struct Located {
  std::string file;  // empty when the message names none
  int line = 0;      // 0 when it names no line
  std::string text;  // the message without the location and trailing newlines
};

// The location of `msg`: the file and line it was issued with, else the
// prefix of its text; the text without that prefix.
Located Locate(const MsgRecord& msg);

// Installs itself as the thread's message sink while it lives and puts the
// previous one back afterwards.
class Diagnostics : public MsgSink {
 public:
  Diagnostics(std::ostream& err, DiagFormat format, int maxErrors);
  ~Diagnostics() override;
  Diagnostics(const Diagnostics&) = delete;
  Diagnostics& operator=(const Diagnostics&) = delete;

  // A library message. Once `maxErrors` errors were shown (0: no limit),
  // later messages are counted, not printed.
  void Report(const MsgRecord& msg) override;
  // A message of the tool itself about `file` (and `line`), or about none.
  void Tool(MsgSeverity severity, const std::string& text, const std::string& file = "",
            int line = 0);
  // Says how many errors the limit kept back, if any.
  void Finish();

  int Errors() const { return errors_; }
  int Warnings() const { return warnings_; }
  // Every message reported so far, whatever its severity.
  int Messages() const { return messages_; }

 private:
  void Print(MsgSeverity severity, const Located& where);
  std::ostream& err_;
  DiagFormat format_;
  int maxErrors_;
  MsgSink* previous_;
  int errors_ = 0, warnings_ = 0, messages_ = 0;
  int shownErrors_ = 0, heldErrors_ = 0, heldOthers_ = 0;
};

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_DIAGNOSTICS_H
