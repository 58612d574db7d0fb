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
#include <set>
#include <string>

#include "Port.h"

namespace tavsw {

enum class DiagFormat { kText, kGcc, kJson };

// A message taken apart: the "<file> line <n> - " prefix the readers put
// before their text (also after a component name, "<name> - <file> line
// <n> - "), a "<file> - " prefix, or else a file the text names, becomes
// `file` and `line`.
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
  // later messages are counted, not printed. A message equal to one reported
  // before (severity, file, line and text) since the last NewScope() is
  // dropped: neither shown nor counted.
  void Report(const MsgRecord& msg) override;
  // Forgets the messages seen so far: reading the next input may rightly
  // say the same again.
  void NewScope() { seen_.clear(); }
  // What makes two messages the same for Report.
  static std::string Key(const MsgRecord& msg);
  // A message of the tool itself about `file` (and `line`), or about none.
  void Tool(MsgSeverity severity, const std::string& text, const std::string& file = "",
            int line = 0);
  // A note that follows a message of the tool ("did you mean ...?"): an
  // information message, printed "tavsw: note: <text>" in the text form.
  void Note(const std::string& text, const std::string& file = "", int line = 0);
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
  std::set<std::string> seen_;
};

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_DIAGNOSTICS_H
