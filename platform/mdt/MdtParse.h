// What the library's readers and writers share and callers never see: the
// parse state of the file being read, the writer's state, and a property's
// sub-components kept as text until first looked at.
#ifndef TAVSOFTWARE_PLATFORM_MDTPARSE_H
#define TAVSOFTWARE_PLATFORM_MDTPARSE_H

#include <memory>
#include <string_view>
#include <vector>

#include "MdtBase.h"

namespace MdtBase {

// ---------------------------------------------------------------------------
// Parse state. One parse at a time per thread; a nested parse (a reader that
// starts another) gets its own state through ParseScope and restores the
// outer one when it ends.
// ---------------------------------------------------------------------------
class BaseParser {
 public:
  BaseParser() = delete;

  struct State {
    String filename;
    SharedFileName sharedFilename;
    int lineno = 0;
    int numerr = 0;
    Comment comment;  // the pending comment
    int numEmptyLines = 0;
    bool globalCommentDone = false;
    Port::Stream stream;
  };

  // Makes a fresh parse state current for its lifetime.
  class ParseScope {
   public:
    ParseScope();
    ~ParseScope();
    ParseScope(const ParseScope&) = delete;
    ParseScope& operator=(const ParseScope&) = delete;

   private:
    State* previous_;
    std::unique_ptr<State> state_;
  };

  // The current parse state (a default one when no scope is open).
  static State& S();

  // Resets the state and opens `fileName`. 0 on success; 2 when the file is
  // missing or unreadable, after the error "Cannot open file \"%s\" for reading\n".
  // Records the file's modification stamp in `file` when given.
  // A file registered with an unsaved text is read from that text (its
  // stamp left unset) instead of the disk.
  static int InitData(const String& fileName, PsfFile* file);
  // Registers `text` (not copied; it must outlive the registration) to be
  // read in place of the file `fileName`, on this thread, until it is
  // withdrawn. The names match when equal, or when both name one path once
  // made absolute and normal. The latest registration of a file wins.
  static void AddUnsavedText(const String& fileName, const String* text);
  static void WithdrawUnsavedText(const String* text);
  // Reads the next line; false at end of input.
  static bool ReadLine(String& line);
  static bool AtEof();
  static void Close();

  // "<file> line <n> - ", or "<file> - " before the first line: the prefix
  // of every message about the current file.
  static String Where();
  // Reports `text` as an error at the current file and line, counted.
  static void PARSEERR(const String& text);
  // Reports `text` as a warning at the current file and line.
  static void PARSEWARN(const String& text);
  // The current file name and line onto `node`.
  static void SetFileInfo(PsfComp* node);
  // Decodes \n, \t, \r, \\, \" and \' in place.
  static String HandleEscapedCharacters(const String& text);

  // Comment keeping.
  static void ResetComment();
  static void AddToComment(const String& text);
  // Before anything was attached to a node, a pending comment followed by an
  // empty line becomes the file's global comment.
  static void CheckAddGlobalComment(PsfFile* file);
  // Moves the pending comment onto `node`.
  static void AssociateComment(PsfComp* node);
};

// ---------------------------------------------------------------------------
// Writer state
// ---------------------------------------------------------------------------
class BaseWriter {
 public:
  BaseWriter() = delete;
  // Resets the writer state.
  static void InitData(void*);
  // The file being written.
  static String& s_filename();
  // Stamps `node` with the written file and the line last written.
  static void SetFileInfo(PsfComp* node, const UtStreamWriter* writer);
};

// ---------------------------------------------------------------------------
// Sub-components given as text
// ---------------------------------------------------------------------------
class PropertyLater {
 public:
  PropertyLater() = delete;
  using ValueMaker = Property::ValueMaker;
  using LaterPsfComp = Property::LaterPsfComp;
  static void Set(Property& p, const std::vector<LaterPsfComp>& comps) { p.SetPsfCompsLater(comps); }
};

}  // namespace MdtBase

#endif  // TAVSOFTWARE_PLATFORM_MDTPARSE_H
