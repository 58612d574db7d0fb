// Base-node layer: the node tree every model class derives from, the value
// classes, the sequence utilities, and the writer that replaces a file only
// when the new text is whole.
#ifndef TAVSOFTWARE_MDTBASE_H
#define TAVSOFTWARE_MDTBASE_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "Export.h"
#include "Port.h"

namespace MdtBase {

using Port::String;

// Prefix lengths for String::Compare: RANGEn selects the first n characters.
inline constexpr size_t RANGE1 = 1, RANGE2 = 2, RANGE3 = 3, RANGE4 = 4, RANGE5 = 5, RANGE6 = 6,
                        RANGE7 = 7, RANGE8 = 8, RANGE9 = 9, RANGE10 = 10, RANGE11 = 11,
                        RANGE12 = 12, RANGE13 = 13, RANGE14 = 14, RANGE15 = 15, RANGE16 = 16,
                        RANGE17 = 17, RANGE18 = 18, RANGE19 = 19, RANGE20 = 20, RANGE21 = 21;
// Blank characters of the formats: blank, tab and CR.
inline constexpr const char* SPACESET = " \t\r";

class UtStreamWriter;

// ---------------------------------------------------------------------------
// Nodes
// ---------------------------------------------------------------------------
class TAVSW_API BaseNode {
 public:
  BaseNode();
  virtual ~BaseNode();
  BaseNode(const BaseNode&) = delete;
  BaseNode& operator=(const BaseNode&) = delete;

  // Appends `tag` (a string literal that outlives the node) to the node's
  // type-tag chain; the last one appended is the most derived.
  static void AddBaseNode(BaseNode* node, const char* tag);
  // The most derived tag; "" for null or an untagged node.
  static const char* GetBaseNode(const BaseNode* node);
  // True when `tag` is any tag of the chain (exact, with case). False for null.
  static bool IsBaseNodeType(const BaseNode* node, const char* tag);

  // Node types are the small enumerations of the model's sequences; they
  // are kept in 24 bits.
  void SetNodeType(int nodeType) { nodeType_ = nodeType; }
  int GetNodeType() const { return nodeType_; }
  void SetOwner(BaseNode* owner) { owner_ = owner; }
  BaseNode* GetOwner() const { return owner_; }

  // Change notification: off by default; an editor turns it on per node.
  bool GetNotifyEnabled() const { return notify_; }
  void SetNotifyEnabled(bool enabled) { notify_ = enabled; }
  // Counts the notification and passes it to this thread's observer, if any.
  void NotifyPropertyChanged();
  int GetNotifyCount() const;
  using NotifyObserver = void (*)(BaseNode* node, void* data);
  static void SetNotifyObserver(NotifyObserver observer, void* data);

  // A node handed to the outside (a Tcl handle) is watched: when it is
  // destroyed the process's hook hears of it, so that the handle can be
  // withdrawn instead of left dangling.
  void SetWatched() { watched_ = true; }
  using DestroyedHook = void (*)(BaseNode* node);
  static void SetDestroyedHook(DestroyedHook hook);

  // Opaque outside the base layer: a node's interned type-tag chain.
  struct TagChain;

 private:
  friend class MdtValue;
  friend class NameValue;
  friend class PsfComp;
  // The chain is as deep as the class tree, and every node of a class has
  // the same one: chains are kept once for the process and a node points at
  // its own, which costs a pointer instead of a fixed array of tags.
  static constexpr int kMaxTags = 6;
  const TagChain* tags_ = nullptr;
  BaseNode* owner_ = nullptr;
  // PsfComp's line and the flags of the classes below: kept here, packed
  // beside the node type, so that every node is four words and a PsfComp
  // fits a smaller block. Few nodes are ever notified: their counts live
  // in a table of their own.
  int psfLine_ = 0;
  int nodeType_ : 24 = 0;
  bool notify_ : 1 = false;
  bool watched_ : 1 = false;
  bool nameIndexed_ : 1 = false;
  bool counted_ : 1 = false;
  bool valid_ : 1 = true;  // MdtValue's
};

// A file name shared, with a count, by every node read from one file: a
// pointer per node instead of a copy of the name.
class TAVSW_API SharedFileName {
 public:
  SharedFileName() = default;
  explicit SharedFileName(const String& name);
  SharedFileName(const SharedFileName& other);
  SharedFileName& operator=(const SharedFileName& other);
  ~SharedFileName();
  // The name; "" when none was given.
  const String& Get() const;
  explicit operator bool() const { return rep_ != nullptr; }

 private:
  struct Rep;
  Rep* rep_ = nullptr;
};

// ---------------------------------------------------------------------------
// Values. A value is owned by the node it is set on.
// ---------------------------------------------------------------------------
class TAVSW_API MdtValue : public BaseNode {
 public:
  MdtValue();
  ~MdtValue() override;
  // Sets the value from text; 0 when the text was understood, else 1 (the
  // value is then invalid but keeps the text).
  virtual int SetValue(const String& text) = 0;
  virtual bool IsValid() const { return valid_; }
  // The value as text.
  virtual String GetValueStr() const = 0;
  // A deep copy (the copy of a non-owning list points at the same nodes).
  virtual MdtValue* Clone() const = 0;

 protected:
  void SetValid(bool valid) { valid_ = valid; }
};

class TAVSW_API StrVal : public MdtValue {
 public:
  StrVal();
  explicit StrVal(const String& text);
  int SetValue(const String& text) override;
  String GetValueStr() const override { return text_; }
  MdtValue* Clone() const override;

 private:
  String text_;
};

// Integer: decimal, hexadecimal (0x) or octal (leading 0), optional sign.
class TAVSW_API IntVal : public MdtValue {
 public:
  IntVal();
  explicit IntVal(const String& text);
  explicit IntVal(long long value);
  int SetValue(const String& text) override;
  void SetInt(long long value);
  long long GetInt() const { return value_; }
  // The text as given (so 0x40600000 writes back as written).
  String GetValueStr() const override { return text_; }
  MdtValue* Clone() const override;

 private:
  String text_;
  long long value_ = 0;
};

// Boolean: true/false, yes/no, on/off, 1/0, ignoring case.
class TAVSW_API BoolVal : public MdtValue {
 public:
  BoolVal();
  explicit BoolVal(const String& text);
  int SetValue(const String& text) override;
  bool GetBool() const { return value_; }
  String GetValueStr() const override { return text_; }
  MdtValue* Clone() const override;

 private:
  String text_;
  bool value_ = false;
};

class TAVSW_API FileNameVal : public MdtValue {
 public:
  FileNameVal();
  explicit FileNameVal(const String& text);
  int SetValue(const String& text) override;
  const Port::FileName& GetFileName() const { return name_; }
  String GetValueStr() const override { return name_.GetFullName(); }
  MdtValue* Clone() const override;

 private:
  Port::FileName name_;
};

// A list of words: the text split at any of `separators`, each word trimmed
// of blanks, empty words dropped. The text is kept as given.
class TAVSW_API ListStrVal : public MdtValue {
 public:
  ListStrVal();
  ListStrVal(const String& text, const String& separators);
  int SetValue(const String& text) override;
  const std::vector<String>& GetList() const { return items_; }
  String GetValueStr() const override { return text_; }
  MdtValue* Clone() const override;

 private:
  String text_;
  String separators_;
  std::vector<String> items_;
};

class PsfComp;
// A list of named components (name = value), owned by the list.
class TAVSW_API ListPsfCompVal : public MdtValue {
 public:
  ListPsfCompVal();
  ~ListPsfCompVal() override;
  // Takes ownership; the component's owner becomes the list's owner.
  void Add(PsfComp* comp);
  const std::vector<PsfComp*>& GetList() const { return items_; }
  // Not parsed from text: returns 1 and changes nothing.
  int SetValue(const String& text) override;
  // "(name = value, name = value)"
  String GetValueStr() const override;
  MdtValue* Clone() const override;

 private:
  std::vector<PsfComp*> items_;
};

// A pointer to a node it does not own.
class TAVSW_API BaseNodePtrVal : public MdtValue {
 public:
  BaseNodePtrVal();
  explicit BaseNodePtrVal(BaseNode* node);
  BaseNode* GetPtr() const { return node_; }
  void SetPtr(BaseNode* node) { node_ = node; }
  int SetValue(const String& text) override;
  String GetValueStr() const override { return String(); }
  MdtValue* Clone() const override;

 private:
  BaseNode* node_ = nullptr;
};

// A list of nodes. Non-owning by default; a list made with `owns` true
// destroys its entries (the readers keep initialiser values this way, so that
// nobody is left to free them).
class TAVSW_API ListBaseNodePtrVal : public MdtValue {
 public:
  explicit ListBaseNodePtrVal(bool owns = false);
  ~ListBaseNodePtrVal() override;
  void Add(BaseNode* node);
  const std::vector<BaseNode*>& GetList() const { return items_; }
  bool Owns() const { return owns_; }
  int SetValue(const String& text) override;
  // "(v1,v2)" with list items written as "(a,b)".
  String GetValueStr() const override;
  MdtValue* Clone() const override;

 private:
  std::vector<BaseNode*> items_;
  bool owns_;
};

// ---------------------------------------------------------------------------
// Named nodes
// ---------------------------------------------------------------------------
class TAVSW_API NameValue : public BaseNode {
 public:
  NameValue();
  explicit NameValue(const String& name);
  ~NameValue() override;

  const String& GetName() const { return name_; }
  virtual void SetName(const String& name) {
    name_ = name;
    if (nameIndexed_) NoteRename();
  }
  // Marks the node as listed in a name index. Renaming such a node moves
  // NameEpoch() on, which tells every index to check itself again.
  void SetIndexed() { nameIndexed_ = true; }
  static uint64_t NameEpoch();
  // The value as text; empty without a value.
  String GetValueStr() const;
  // Sets the value text; a node without a value gets a StrVal. Returns the
  // value's SetValue result.
  virtual int SetValueStr(const String& text);
  MdtValue* GetMdtValuePtr() const { return value_; }
  // Takes ownership of `value` (null clears); the previous value is destroyed.
  void SetMdtValuePtr(MdtValue* value);
  // Gives the node a plain StrVal holding `text`: the one it has, when its
  // value is exactly that, else a new one in place of what it had.
  void SetStrVal(const String& text);

 private:
  static void NoteRename();
  String name_;
  MdtValue* value_ = nullptr;
};

// Comment lines kept by the MSS reader, without their "#".
class TAVSW_API Comment {
 public:
  bool IsEmpty() const { return lines_.empty(); }
  void AddLine(const String& line) { lines_.push_back(line); }
  void Clear() { lines_.clear(); }
  const std::vector<String>& GetLines() const { return lines_; }
  // Writes each line as `prefix` + line.
  static void Print(const Comment& comment, UtStreamWriter* writer, const char* prefix);

 private:
  std::vector<String> lines_;
};

// A node that stands in a PSF file: comment, file and line.
class TAVSW_API PsfComp : public NameValue {
 public:
  PsfComp();
  explicit PsfComp(const String& name);
  ~PsfComp() override;

  Comment& GetComment() { return Extra().comment; }
  const Comment& GetComment() const { return extra_ ? extra_->comment : NoComment(); }
  void SetComment(const Comment& c) {
    if (extra_ || !c.IsEmpty()) Extra().comment = c;
  }

  const String& GetFileNameStr() const { return file_.Get(); }
  // Plain and shared forms; a reader shares one name among all its nodes.
  virtual void SetFileName(const String& fileName);
  void SetFileNameShared(const SharedFileName& fileName) { file_ = fileName; }
  const SharedFileName& GetSharedFileName() const { return file_; }
  int GetLineNum() const { return psfLine_; }
  void SetLineNum(int line) { psfLine_ = line; }
  long long GetLocInFile() const { return extra_ ? extra_->loc : 0; }
  void SetLocInFile(long long loc) {
    if (extra_ || loc != 0) Extra().loc = loc;
  }

  // A deep copy of name, value, comment and file information as a plain PsfComp.
  PsfComp* ClonePsfComp() const;

  // Name-value entries hung on the node (the runtime model links a component
  // to its source instance and core this way). The node owns them.
  void AddNV(NameValue* nv);
  // The first entry of that name (ignoring case); null when none.
  NameValue* GetNVByName(const String& name) const;
  const std::vector<NameValue*>& GetNVSeqRef() const;

 private:
  // What few nodes carry: a comment, a location, name-value entries. Made on
  // first use, so that the many nodes without them stay small.
  struct Extras {
    Comment comment;
    long long loc = 0;
    std::unique_ptr<std::vector<NameValue*>> nvs;  // owned, as are its entries; rare
  };
  Extras& Extra() {
    if (!extra_) extra_ = std::make_unique<Extras>();
    return *extra_;
  }
  static const Comment& NoComment();
  SharedFileName file_;
  std::unique_ptr<Extras> extra_;
};

using PsfCompSeq = std::vector<PsfComp*>;
using NVSeq = std::vector<NameValue*>;

// A property: a PsfComp with owned sub-components ("desc", "type", ...).
class TAVSW_API Property : public PsfComp {
 public:
  Property();
  explicit Property(const String& name);
  ~Property() override;

  // Takes ownership; returns the new number of sub-components.
  int AddPsfComp(PsfComp* comp);
  // First sub-component of that name, ignoring case; null when absent.
  PsfComp* GetPsfCompByName(std::string_view name);
  const PsfComp* GetPsfCompByName(std::string_view name) const;
  // Its value text; empty when absent.
  String GetPsfCompValueStr(std::string_view name) const;
  PsfCompSeq& GetPsfCompSeqRef();
  const PsfCompSeq& GetPsfCompSeqRef() const;
  // Destroys every sub-component.
  void ClearPsfComps();


 private:
  friend class PropertyUtil;
  friend class PropertyLater;
  // A sub-component given as text. Readers of large files describe the
  // attributes of a statement this way: most are never looked at, and text
  // costs a fraction of a node and its value. A maker is handed the
  // sub-component its value is for, already named and placed.
  using ValueMaker = MdtValue* (*)(const PsfComp& comp, std::string_view text,
                                   std::string_view extra);
  struct LaterPsfComp {
    std::string_view name;
    ValueMaker make;  // returns a new value; reports nothing
    std::string_view text;
    std::string_view extra;
  };
  // Gives the node these sub-components, made (the name, the value
  // `make(comp, text, extra)` or none when `make` is null, the node's file and
  // line as they are now) only when its sub-components are first looked
  // at, through any operation above, on any thread. A node that has some
  // already gets these made at once, after them.
  void SetPsfCompsLater(const std::vector<LaterPsfComp>& comps);
  struct Later;
  // The sub-components: none (0), a PsfCompSeq*, or with the low bit set
  // those still to be made (a Later*), marked kOwnedBit once AssignOwner
  // ran (they are then made with this node as owner). One word for the many
  // nodes that have none.
  static constexpr uintptr_t kLaterBit = 1, kOwnedBit = 2, kMarkBits = 3;
  // The sequence after making what was left for later; null when none.
  PsfCompSeq* Seq() const;
  void MakeLaterCompsNow() const;
  static void DeleteLater(Later* later);
  std::atomic<uintptr_t> subs_{0};
};

using PropSeq = std::vector<Property*>;

// A PSF file in memory.
class TAVSW_API PsfFile : public PsfComp {
 public:
  PsfFile();
  ~PsfFile() override;
  int GetErrorCode() const { return errorCode_; }
  void SetErrorCode(int code) { errorCode_ = code; }
  // Modification stamp of the file when it was read (ns since the epoch; 0
  // when never read).
  int64_t GetDateTime() const { return dateTime_; }
  void SetDateTime(int64_t stamp) { dateTime_ = stamp; }
  Comment& GetEndMdtComment() { return endComment_; }
  const Comment& GetEndMdtComment() const { return endComment_; }
  void SetEndMdtComment(const Comment& c) { endComment_ = c; }

 private:
  Comment endComment_;
  int64_t dateTime_ = 0;
  int errorCode_ = 0;
};

// ---------------------------------------------------------------------------
// Sequence utilities (static)
// ---------------------------------------------------------------------------
// Allowed values per name: the name (upper case) to its list of values.
using AllowedValuesMap = std::map<String, std::vector<String>>;

class TAVSW_API PropertyUtil {
 public:
  PropertyUtil() = delete;
  // First property of that name (ignoring case) at or after index `from`.
  static Property* GetPropertyByName(const PropSeq& seq, std::string_view name, int from = 0);
  // Removes `p` from `seq` (destroying it when `destroy` is nonzero): 0; 1
  // when `p` is not in `seq` (or null).
  static int DelPropertyByPtr(PropSeq& seq, Property* p, int destroy);
  // Gives every sub-component below `p` its owner; with `owner` also `p` itself.
  static int AssignOwner(Property* p, BaseNode* owner);
  // Copies name, value, comment, file information and sub-components of `src`
  // into `dst` (replacing what `dst` had). Returns the number of errors (0).
  static int CopyPropertyBase(const Property* src, Property* dst);
  // `dst` becomes a copy of the definition `def` with the value of the
  // instance `inst` (when it has one). Returns the number of errors.
  static int MergeProperty(const Property* def, const Property* inst, Property* dst);
  // Fills `map` from (name, "A:B:C") pairs.
  static void InitAllowedValuesMap(AllowedValuesMap& map,
                                   const std::vector<std::pair<String, String>>& pairs);
  // False only for a listed name whose value is outside its list (ignoring case).
  static bool CheckValueMatch(const AllowedValuesMap& map, const String& name, const String& value);
  // Writes the comment lines (when `withComment` is nonzero) and the line
  // " keyword name = value".
  static void PrintProperty(const PsfComp* p, const String& keyword, UtStreamWriter* writer,
                            int withComment);
  static void PrintPropertyList(const PropSeq& seq, const String& keyword, UtStreamWriter* writer,
                                int withComment);
};

class TAVSW_API PsfCompUtil {
 public:
  PsfCompUtil() = delete;
  static PsfComp* GetPsfCompByName(const PsfCompSeq& seq, std::string_view name, int from = 0);
  static int DelPsfCompByPtr(PsfCompSeq& seq, PsfComp* p, int destroy);
  // Writes the node's comment, each line prefixed.
  static void PrintComment(const PsfComp* node, UtStreamWriter* writer, const char* prefix);
};

class TAVSW_API NVUtil {
 public:
  NVUtil() = delete;
  static NameValue* GetNVByName(const NVSeq& seq, const String& name, int from = 0);
};

class TAVSW_API BaseUtils {
 public:
  BaseUtils() = delete;
  // The part of `text` before the first `c`, trimmed of blanks; `text` keeps
  // what follows `c` with leading blanks trimmed. Without `c`: all of `text`,
  // which is left empty. `context` is kept for callers' diagnostics.
  static String GetWordTillChar(String& text, char c, const String& context = String());
  // The same on a cursor, in constant time per call (no copying of the rest).
  static std::string_view GetWordTillChar(std::string_view& text, char c);
  // The text between the first pair of `quote` characters; `text` keeps what
  // follows the next `sep` after the closing quote (nothing when none). Without
  // an opening quote the word up to `sep` is taken.
  static String GetWordSurroundedByChar(String& text, char quote, char sep,
                                        const String& context = String());
  static std::string_view GetWordSurroundedByChar(std::string_view& text, char quote, char sep);
  // Splits a core directory name such as tavuart_v1_00_a into "tavuart" and
  // "1.00.a". False (outputs emptied) when the name has no "_v<digit>" part.
  static bool SeperateDirAndVer(const String& dir, String& name, String& version);
  // Names of the subdirectories of `dir`, sorted; returns their number.
  static int ListSubDirs(const String& dir, std::vector<String>& out);
  static Port::FileName CreateFileNameDir(const String& dir, const String& name);
  // The path as the file system wants it (unchanged on this platform).
  static String GetDriveName(const String& path, bool withDrive);
  // True when the two files differ or either cannot be read.
  static bool DiffFiles(const String& a, const String& b);
  // Trims SPACESET characters from a view.
  static std::string_view TrimView(std::string_view s);
  static std::string_view TrimLeadingView(std::string_view s);
};

// ---------------------------------------------------------------------------
// Writing. Output goes to a temporary file beside the target, renamed into
// place only by Commit(); a writer destroyed without a successful Commit
// removes the temporary file and leaves the target untouched. A target that
// is a symbolic link is written through it: the temporary file is made
// beside the file the link names, which is replaced, and the link stays.
// A replaced file keeps its mode, and when root writes, its owner and group.
// ---------------------------------------------------------------------------
class TAVSW_API UtStreamWriter {
 public:
  // Opens a temporary file beside `fileName` (or beside the file a link
  // there names). Null when that is impossible, and also when the target
  // exists but is not a regular file (a directory, FIFO or device would be
  // replaced rather than written) or may not be written (a read-only file
  // must not be replaced behind its owner's back); LastFailure() says why.
  static UtStreamWriter* ConstructUtStreamWriter(const String& fileName);
  // Why the last failed ConstructUtStreamWriter or Commit on this thread
  // failed, in the system's words ("Permission denied", "No space left on
  // device", ...); empty after a success.
  static const String& LastFailure();
  // Writes into `out` (not owned); Commit() only flushes.
  explicit UtStreamWriter(std::ostream& out);
  ~UtStreamWriter();
  UtStreamWriter(const UtStreamWriter&) = delete;
  UtStreamWriter& operator=(const UtStreamWriter&) = delete;

  // Writes `text` and a newline.
  void writeline(const String& text);
  // Writes `text` as it is, line ends and all.
  void write(const String& text);
  // Lines written so far (the number of the last line).
  int GetLineCount() const { return lines_; }
  // Flushes and moves the file into place; false (and the target untouched)
  // on any failure.
  bool Commit();
  bool Failed() const;

 private:
  UtStreamWriter() = default;
  struct FileOut;
  std::unique_ptr<FileOut> file_;
  std::ostream* out_ = nullptr;
  int lines_ = 0;
  bool committed_ = false;
};


}  // namespace MdtBase

#endif  // TAVSOFTWARE_MDTBASE_H
