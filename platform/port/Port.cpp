#include "Port.h"

#include <dirent.h>
#include <regex.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace fs = std::filesystem;

namespace Port {

int sprintf(String& out, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  out = String::VFormat(fmt, ap);
  va_end(ap);
  return static_cast<int>(out.size());
}

// ---------------------------------------------------------------------------
// FileName
// ---------------------------------------------------------------------------
FileName::FileName(const std::string& path) : path_(path) {}
FileName::FileName(const char* path) : path_(path ? path : "") {}

FileName& FileName::PushPathEnd(const std::string& component) {
  if (component.empty()) return *this;
  if (!path_.empty() && path_.back() != '/') path_ += '/';
  path_ += component;
  return *this;
}

namespace {
// Splits the last component into directory part (with its trailing slash)
// and name part.
size_t NameStart(const std::string& p) {
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}
size_t ExtStart(const std::string& p) {
  size_t ns = NameStart(p);
  size_t dot = p.rfind('.');
  // A leading dot names a hidden file, not an extension.
  if (dot == std::string::npos || dot <= ns) return p.size();
  return dot;
}
}  // namespace

FileName& FileName::SetBase(const std::string& base) {
  size_t ns = NameStart(path_);
  size_t es = ExtStart(path_);
  path_ = path_.substr(0, ns) + base + path_.substr(es);
  return *this;
}

FileName& FileName::SetExtension(const std::string& ext) {
  size_t es = ExtStart(path_);
  path_.erase(es);
  if (!ext.empty()) {
    if (ext[0] != '.') path_ += '.';
    path_ += ext;
  }
  return *this;
}

String FileName::GetName() const { return path_.substr(NameStart(path_)); }

String FileName::GetBase() const {
  size_t ns = NameStart(path_);
  return path_.substr(ns, ExtStart(path_) - ns);
}

String FileName::GetExtension() const { return path_.substr(ExtStart(path_)); }

String FileName::GetDir() const {
  size_t ns = NameStart(path_);
  if (ns == 0) return String();
  if (ns == 1) return String("/");
  return path_.substr(0, ns - 1);
}

FileName& FileName::Normalize() {
  if (path_.empty()) return *this;
  std::string n = fs::path(std::string(path_)).lexically_normal().string();
  while (n.size() > 1 && n.back() == '/') n.pop_back();
  if (n.empty()) n = ".";
  path_ = n;
  return *this;
}

FileName FileName::GetAbsolutePath() const {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(std::string(path_)), ec);
  FileName out(ec ? std::string(path_) : p.string());
  out.Normalize();
  return out;
}

// ---------------------------------------------------------------------------
// File
// ---------------------------------------------------------------------------
bool File::exist(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool File::isfile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool File::isdir(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Dir::Dir(const std::string& path) : path_(path) {
  if (!path.empty()) fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

Dir::~Dir() {
  if (fd_ >= 0) ::close(fd_);
}

bool Dir::IsFile(const std::string& relative) const {
  if (relative.empty()) return false;
  if (fd_ < 0) return File::isfile(path_ + "/" + relative);
  struct stat st;
  return ::fstatat(fd_, relative.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode);
}

bool File::getdatetime(const std::string& path, int64_t& stamp) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  stamp = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return true;
}

bool File::remove(const std::string& path) { return !path.empty() && ::remove(path.c_str()) == 0; }

// ---------------------------------------------------------------------------
// Stream
// ---------------------------------------------------------------------------
Stream::~Stream() { close(); }

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}  // namespace

bool Stream::open(const std::string& path) {
  close();
  // Directories and devices open "successfully" on some systems; only
  // regular files are input.
  if (!File::isfile(path)) return false;
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  if (!buf_) buf_ = std::make_unique<char[]>(kBufferSize);
  data_ = buf_.get();
  return true;
}

void Stream::openText(std::string_view text) {
  close();
  data_ = text.data();
  end_ = text.size();
  ended_ = true;  // nothing to fill: the whole text is there
}

bool Stream::isopen() const { return fd_ >= 0; }

bool Stream::Fill() {
  if (fd_ < 0 || ended_) return false;
  ssize_t n;
  do {
    n = ::read(fd_, buf_.get(), kBufferSize);
  } while (n < 0 && errno == EINTR);
  // A read error ends the input, as the end of the file does.
  pos_ = 0;
  data_ = buf_.get();
  end_ = n > 0 ? static_cast<size_t>(n) : 0;
  ended_ = n <= 0;
  return end_ > 0;
}

bool Stream::readline(String& line) {
  line.clear();
  // Lines are cut from a buffer of the file rather than read through a
  // stream: a definition file is hundreds of thousands of short lines.
  bool any = false;
  for (;;) {
    if (pos_ == end_ && !Fill()) break;
    any = true;
    const char* from = data_ + pos_;
    const void* nl = std::memchr(from, '\n', end_ - pos_);
    if (nl) {
      const size_t len = static_cast<const char*>(nl) - from;
      line.append(from, len);
      pos_ += len + 1;
      break;
    }
    line.append(from, end_ - pos_);
    pos_ = end_;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

bool Stream::geteof() { return pos_ == end_ && !Fill(); }

void Stream::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  data_ = nullptr;
  pos_ = end_ = 0;
  ended_ = false;
}

// ---------------------------------------------------------------------------
// Directory listing
// ---------------------------------------------------------------------------
UT_DIR::UT_DIR(const std::string& path) {
  // Plain readdir: a repository lists thousands of entries, and the type the
  // directory itself records spares a look at each.
  DIR* dir = path.empty() ? nullptr : ::opendir(path.c_str());
  if (!dir) return;
  open_ = true;
  while (const struct dirent* d = ::readdir(dir)) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    DirEntry e;
    e.name = d->d_name;
    if (d->d_type == DT_DIR) {
      e.isDir = true;
    } else if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
      // Links are followed, as a walk of the tree would.
      struct stat st;
      const std::string full = path + (path.back() == '/' ? "" : "/") + e.name;
      e.isDir = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries_.push_back(std::move(e));
  }
  ::closedir(dir);
  std::sort(entries_.begin(), entries_.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
}

}  // namespace Port

// ---------------------------------------------------------------------------
// Environment
// ---------------------------------------------------------------------------
Port::String Port_Env::GetEnv(const char* name) {
  Port::String v;
  GetEnv(name, v);
  return v;
}

bool Port_Env::GetEnv(const char* name, Port::String& value) {
  const char* v = name ? std::getenv(name) : nullptr;
  if (!v) {
    value.clear();
    return false;
  }
  value = v;
  return true;
}

// ---------------------------------------------------------------------------
// Regular expressions
// ---------------------------------------------------------------------------
struct Port_Regexp::Impl {
  regex_t re;
};

Port_Regexp::Port_Regexp(const std::string& pattern, bool ignoreCase) : impl_(new Impl) {
  int flags = REG_EXTENDED | (ignoreCase ? REG_ICASE : 0);
  valid_ = ::regcomp(&impl_->re, pattern.c_str(), flags) == 0;
}

Port_Regexp::~Port_Regexp() {
  if (valid_) ::regfree(&impl_->re);
}

bool Port_Regexp::GetRangeOfMatch(const std::string& text, size_t start, size_t& begin,
                                  size_t& end) const {
  if (!valid_ || start > text.size()) return false;
  // regexec stops at NUL; text after an embedded NUL is not searched.
  regmatch_t m;
  int flags = start > 0 ? REG_NOTBOL : 0;
  if (::regexec(&impl_->re, text.c_str() + start, 1, &m, flags) != 0) return false;
  begin = start + static_cast<size_t>(m.rm_so);
  end = start + static_cast<size_t>(m.rm_eo);
  return true;
}

// ---------------------------------------------------------------------------
// Message manager
// ---------------------------------------------------------------------------
namespace {
thread_local MsgSink* t_sink = nullptr;
thread_local int t_errorCount = 0;

bool DebugEnabled() {
  static const bool enabled = std::getenv("TAVSW_DEBUG") != nullptr;
  return enabled;
}

void Report(const MsgRecord& rec) {
  if (t_sink) {
    t_sink->Report(rec);
    return;
  }
  std::string out = std::string(Port_MsgManData::SeverityName(rec.severity)) + ": " + rec.text;
  if (out.empty() || out.back() != '\n') out += '\n';
  std::cerr << out << std::flush;
}

void Deliver(const MsgRecord& rec) {
  if (rec.severity == MsgSeverity::kError) ++t_errorCount;
  if (rec.severity == MsgSeverity::kDebug && !DebugEnabled()) return;
  Report(rec);
}
}  // namespace

Port_MsgManData Port_MsgManData::createObject(const char* product, const char* source, int,
                                              const char*) {
  return Port_MsgManData(product ? product : "", source ? source : "");
}

const char* Port_MsgManData::SeverityName(MsgSeverity severity) {
  switch (severity) {
    case MsgSeverity::kError:
      return "ERROR";
    case MsgSeverity::kWarning:
      return "WARNING";
    case MsgSeverity::kInfo:
      return "INFO";
    case MsgSeverity::kStatus:
      return "STATUS";
    case MsgSeverity::kInternal:
      return "INTERNAL ERROR";
    case MsgSeverity::kDebug:
      return "DEBUG";
  }
  return "MESSAGE";
}

void Port_MsgManData::VIssue(MsgSeverity severity, const char* fmt, va_list ap) const {
  MsgRecord rec{severity, Port::String::VFormat(fmt ? fmt : "", ap), "", 0};
  if (severity == MsgSeverity::kDebug) rec.text = std::string(source_) + ": " + rec.text;
  Deliver(rec);
}

#define TAVSW_ISSUE(sev) \
  va_list ap;            \
  va_start(ap, fmt);     \
  VIssue(sev, fmt, ap);  \
  va_end(ap)

void Port_MsgManData::issueError(const char* fmt, ...) const { TAVSW_ISSUE(MsgSeverity::kError); }
void Port_MsgManData::issueWarning(const char* fmt, ...) const {
  TAVSW_ISSUE(MsgSeverity::kWarning);
}
void Port_MsgManData::issueInfo(const char* fmt, ...) const { TAVSW_ISSUE(MsgSeverity::kInfo); }
void Port_MsgManData::issueStatus(const char* fmt, ...) const { TAVSW_ISSUE(MsgSeverity::kStatus); }
void Port_MsgManData::issueInternal(const char* fmt, ...) const {
  TAVSW_ISSUE(MsgSeverity::kInternal);
}
void Port_MsgManData::debugStub(const char* fmt, ...) const {
  if (!DebugEnabled()) return;
  TAVSW_ISSUE(MsgSeverity::kDebug);
}
#undef TAVSW_ISSUE

void Port_MsgManData::Issue(MsgSeverity severity, const std::string& text, const std::string& file,
                            int line) {
  Deliver(MsgRecord{severity, text, file, line});
}

int Port_MsgManData::GetErrorCount() { return t_errorCount; }
void Port_MsgManData::ResetErrorCount() { t_errorCount = 0; }

void Port_MsgManData::Pass(const MsgRecord& msg, bool count) {
  if (count && msg.severity == MsgSeverity::kError) ++t_errorCount;
  Report(msg);
}

MsgSink* Port_MsgManData::SetSink(MsgSink* sink) {
  MsgSink* prev = t_sink;
  t_sink = sink;
  return prev;
}

MsgCapture::MsgCapture() : previous_(Port_MsgManData::SetSink(this)) {}
MsgCapture::~MsgCapture() { Port_MsgManData::SetSink(previous_); }

std::vector<std::string> MsgCapture::Texts(MsgSeverity severity) const {
  std::vector<std::string> out;
  for (const auto& m : messages_)
    if (m.severity == severity) out.push_back(m.text);
  return out;
}

size_t MsgCapture::Count(MsgSeverity severity) const {
  size_t n = 0;
  for (const auto& m : messages_)
    if (m.severity == severity) ++n;
  return n;
}
