// Portability layer: strings, paths, files, line streams, directory listing,
// environment, regular expressions and the message manager.
//
// Everything the library needs from the operating system goes through here so
// that generic code never holds a platform #ifdef.
#ifndef TAVSOFTWARE_PORT_H
#define TAVSOFTWARE_PORT_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Export.h"

namespace Port {

// Comparison types of StringBase::Compare.
enum CompareType { kExact = 0, kIgnoreCase = 1 };
// Trim types of StringBase::Trim.
enum TrimType { kTrimLeading = 0, kTrimTrailing = 1, kTrimBoth = 2 };

// Blanks as the readers understand them: blank, tab, CR, LF, vertical tab, form feed.
inline constexpr const char* kBlankChars = " \t\r\n\v\f";

// The string used for every name, value and path: a std::string with the
// comparison, trim and formatting helpers the readers are written against.
template <class C>
class StringBase : public std::basic_string<C> {
 public:
  using Base = std::basic_string<C>;
  using Base::Base;
  using Base::npos;
  StringBase() = default;
  StringBase(const Base& s) : Base(s) {}
  StringBase(Base&& s) : Base(std::move(s)) {}
  StringBase(std::basic_string_view<C> s) : Base(s) {}

  // 0 when equal. With `range` (a RANGEn constant) only the first `range`
  // characters of both strings take part, so "PARAMETER" equals "PARAM" with
  // RANGE5; a string shorter than `range` compares as a whole.
  int Compare(std::basic_string_view<C> other, int cmpType = kExact, size_t range = npos) const {
    std::basic_string_view<C> a(*this);
    std::basic_string_view<C> b(other);
    if (range != npos) {
      a = a.substr(0, range);
      b = b.substr(0, range);
    }
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
      int ca = static_cast<unsigned char>(a[i]);
      int cb = static_cast<unsigned char>(b[i]);
      if (cmpType == kIgnoreCase) {
        ca = Lower(ca);
        cb = Lower(cb);
      }
      if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
  }
  bool EqualsNoCase(std::basic_string_view<C> other) const {
    return Compare(other, kIgnoreCase) == 0;
  }
  // True when the string begins with `prefix`, ignoring case.
  bool StartsNoCase(std::basic_string_view<C> prefix) const {
    return Compare(prefix, kIgnoreCase, prefix.size()) == 0;
  }

  StringBase& Trim(int trimType = kTrimBoth, const C* set = kBlankChars) {
    if (trimType == kTrimTrailing || trimType == kTrimBoth) {
      size_t e = this->find_last_not_of(set);
      this->erase(e == npos ? 0 : e + 1);
    }
    if (trimType == kTrimLeading || trimType == kTrimBoth) {
      size_t b = this->find_first_not_of(set);
      this->erase(0, b == npos ? this->size() : b);
    }
    return *this;
  }
  // Removes `n` characters from `pos` (to the end by default).
  StringBase& Remove(size_t pos, size_t n = npos) {
    if (pos < this->size()) this->erase(pos, n);
    return *this;
  }
  // Removes every occurrence of `c`.
  StringBase& RemoveChar(C c) {
    size_t out = 0;
    for (size_t i = 0; i < this->size(); ++i)
      if ((*this)[i] != c) (*this)[out++] = (*this)[i];
    this->resize(out);
    return *this;
  }
  StringBase& Append(std::basic_string_view<C> s) {
    this->append(s);
    return *this;
  }
  StringBase& MakeLower() {
    for (auto& ch : *this) ch = static_cast<C>(Lower(static_cast<unsigned char>(ch)));
    return *this;
  }
  StringBase& MakeUpper() {
    for (auto& ch : *this) ch = static_cast<C>(Upper(static_cast<unsigned char>(ch)));
    return *this;
  }
  // Replaces every character found in `from` by `to`.
  StringBase& ReplaceChars(std::basic_string_view<C> from, C to) {
    // One character (the readers blank quotes this way) is compared in
    // place; a search of the set per character costs a call each.
    if (from.size() == 1) {
      for (auto& ch : *this)
        if (ch == from[0]) ch = to;
      return *this;
    }
    for (auto& ch : *this)
      if (from.find(ch) != std::basic_string_view<C>::npos) ch = to;
    return *this;
  }
  // Index of the first occurrence of `s` at or after `start`; -1 when none.
  int GetIndexOfString(std::basic_string_view<C> s, size_t start = 0) const {
    size_t p = this->find(s, start);
    return p == npos ? -1 : static_cast<int>(p);
  }
  // Replaces the content with printf-style formatted text.
  StringBase& doFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    va_list ap;
    va_start(ap, fmt);
    *this = VFormat(fmt, ap);
    va_end(ap);
    return *this;
  }

  static int Lower(int c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }
  static int Upper(int c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }

  static StringBase VFormat(const char* fmt, va_list ap) {
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    StringBase out;
    if (n <= 0) return out;
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, ap);
    out.resize(static_cast<size_t>(n));
    return out;
  }
};

using String = StringBase<char>;

// Equality ignoring case for plain views, used where no String is at hand;
// inline, since every lookup by name and every keyword test comes here.
inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (String::Lower(static_cast<unsigned char>(a[i])) !=
        String::Lower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
inline bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// printf into `out`; returns the number of characters written.
TAVSW_API int sprintf(String& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// A path: directory, base name and extension, with normalised and absolute forms.
class TAVSW_API FileName {
 public:
  FileName() = default;
  FileName(const std::string& path);
  FileName(const char* path);

  // Appends one path component ("a/b" + "c" = "a/b/c").
  FileName& PushPathEnd(const std::string& component);
  // Replaces the base name (the name without directory and extension).
  FileName& SetBase(const std::string& base);
  // Replaces the extension; `ext` may start with '.' or not; empty removes it.
  FileName& SetExtension(const std::string& ext);
  String GetName() const;       // base name with extension
  String GetBase() const;       // base name without extension
  String GetExtension() const;  // extension with its '.', or empty
  String GetDir() const;        // directory part, empty when none
  // Lexically normalised form (no "." or ".." components, no trailing slash).
  FileName& Normalize();
  // Absolute, normalised form of the path (relative paths are taken from the
  // current directory).
  FileName GetAbsolutePath() const;
  String GetFullName() const { return path_; }
  bool IsEmpty() const { return path_.empty(); }
  static char GetPathSeparator() { return '/'; }

 private:
  String path_;
};

// File system queries. None of them throws; failures read as "no".
class TAVSW_API File {
 public:
  File() = delete;
  static bool exist(const std::string& path);
  static bool isfile(const std::string& path);
  static bool isdir(const std::string& path);
  // Modification time in nanoseconds since the epoch; false when it cannot be read.
  static bool getdatetime(const std::string& path, int64_t& stamp);
  static bool remove(const std::string& path);
};

// A directory held open: many paths below it are looked up from it rather
// than from the root, a shorter walk for each.
class TAVSW_API Dir {
 public:
  explicit Dir(const std::string& path);
  ~Dir();
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  // As File::isfile for path/relative.
  bool IsFile(const std::string& relative) const;

 private:
  std::string path_;
  int fd_ = -1;
};

// A line reader over one input file. A line ending in CR LF reads as if it
// ended in LF; a last line without a newline is still read.
class TAVSW_API Stream {
 public:
  Stream() = default;
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  // Opens `path` for reading; false when it is not a readable regular file.
  bool open(const std::string& path);
  // Reads `text` (which must outlive the reading) as if it were a file.
  void openText(std::string_view text);
  bool isopen() const;
  // Reads the next line without its line ending; false at end of input.
  bool readline(String& line);
  // True once no character is left to read.
  bool geteof();
  void close();

 private:
  // Refills the buffer; false at the end of input or on a read error.
  bool Fill();
  int fd_ = -1;
  bool ended_ = false;
  std::unique_ptr<char[]> buf_;
  const char* data_ = nullptr;  // buf_, or the text being read
  size_t pos_ = 0, end_ = 0;
};

// One entry of a directory listing.
struct DirEntry {
  String name;
  bool isDir = false;
};

// Directory listing in sorted (byte-wise) order, so that every scan is
// deterministic. "." and ".." are not listed. An unreadable directory lists
// nothing.
class TAVSW_API UT_DIR {
 public:
  explicit UT_DIR(const std::string& path);
  bool IsOpen() const { return open_; }
  const std::vector<DirEntry>& Entries() const { return entries_; }

 private:
  bool open_ = false;
  std::vector<DirEntry> entries_;
};

class UT_DIR_ITERATOR {
 public:
  explicit UT_DIR_ITERATOR(const UT_DIR& dir) : dir_(dir) {}
  // The next entry, or null at the end.
  const DirEntry* Next() {
    return pos_ < dir_.Entries().size() ? &dir_.Entries()[pos_++] : nullptr;
  }

 private:
  const UT_DIR& dir_;
  size_t pos_ = 0;
};

}  // namespace Port

class TAVSW_API Port_Env {
 public:
  Port_Env() = delete;
  // The variable's value; empty when unset.
  static Port::String GetEnv(const char* name);
  // False when unset.
  static bool GetEnv(const char* name, Port::String& value);
};

// POSIX extended regular expressions. An invalid pattern never matches.
class TAVSW_API Port_Regexp {
 public:
  explicit Port_Regexp(const std::string& pattern, bool ignoreCase = false);
  ~Port_Regexp();
  Port_Regexp(const Port_Regexp&) = delete;
  Port_Regexp& operator=(const Port_Regexp&) = delete;
  bool IsValid() const { return valid_; }
  // Finds the first match in `text` at or after `start`; on success `begin`
  // and `end` delimit it (end exclusive). False when there is none.
  bool GetRangeOfMatch(const std::string& text, size_t start, size_t& begin, size_t& end) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool valid_ = false;
};

// ---------------------------------------------------------------------------
// Message manager.
// ---------------------------------------------------------------------------
enum class MsgSeverity { kError, kWarning, kInfo, kStatus, kInternal, kDebug };

struct MsgRecord {
  MsgSeverity severity;
  std::string text;  // exactly as issued (format applied), trailing "\n" kept
  std::string file;  // file the message is about, when a reader issued it
  int line = 0;      // its line, 0 when none
};

// Receives every message. The default sink prints to stderr with a severity
// prefix; a tool or test installs its own.
class TAVSW_API MsgSink {
 public:
  virtual ~MsgSink() = default;
  virtual void Report(const MsgRecord& msg) = 0;
};

class TAVSW_API Port_MsgManData {
 public:
  // `product` is the product word ("VEK"), `source`, `line` and `revision`
  // name the reporting unit; they are kept for debug traces only.
  static Port_MsgManData createObject(const char* product, const char* source, int line,
                                      const char* revision);

  void issueError(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));
  void issueWarning(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));
  void issueInfo(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));
  void issueStatus(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));
  void issueInternal(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));
  // Developer trace: silent unless TAVSW_DEBUG is set in the environment.
  void debugStub(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));

  // Issues an already formatted message about `file` and `line`.
  static void Issue(MsgSeverity severity, const std::string& text, const std::string& file = "",
                    int line = 0);

  // Errors issued on this thread since the last reset.
  static int GetErrorCount();
  static void ResetErrorCount();

  // Installs `sink` for this thread (null restores the default); returns the
  // previous one.
  static MsgSink* SetSink(MsgSink* sink);
  // Passes on a message a sink held, as it was issued, to this thread's
  // sink (or stderr). `count` says whether an error is still to be counted
  // on this thread: not when it was held here.
  static void Pass(const MsgRecord& msg, bool count);
  static const char* SeverityName(MsgSeverity severity);

 private:
  Port_MsgManData(const char* product, const char* source) : product_(product), source_(source) {}
  void VIssue(MsgSeverity severity, const char* fmt, va_list ap) const;
  const char* product_;
  const char* source_;
};

// Collects the messages issued on this thread while it lives (and keeps them
// from stderr). Used by tests and by tools that post-process diagnostics.
class TAVSW_API MsgCapture : public MsgSink {
 public:
  MsgCapture();
  ~MsgCapture() override;
  MsgCapture(const MsgCapture&) = delete;
  MsgCapture& operator=(const MsgCapture&) = delete;
  void Report(const MsgRecord& msg) override { messages_.push_back(msg); }
  const std::vector<MsgRecord>& Messages() const { return messages_; }
  // Texts of the messages of one severity, in order.
  std::vector<std::string> Texts(MsgSeverity severity) const;
  size_t Count(MsgSeverity severity) const;
  void Clear() { messages_.clear(); }

 private:
  MsgSink* previous_;
  std::vector<MsgRecord> messages_;
};

#endif  // TAVSOFTWARE_PORT_H
