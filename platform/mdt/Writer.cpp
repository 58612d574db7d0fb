// Writing a file beside its target and moving it into place only when whole.
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
// Writing
// ---------------------------------------------------------------------------
struct UtStreamWriter::FileOut {
  std::string target;
  std::string temp;
  int fd = -1;
  std::string buffer;
  bool failed = false;
  int error = 0;  // errno of the first failure

  bool Fail(int err) {
    if (!failed) error = err;
    failed = true;
    return false;
  }
  bool FlushBuffer() {
    size_t off = 0;
    while (off < buffer.size()) {
      ssize_t n = ::write(fd, buffer.data() + off, buffer.size() - off);
      if (n < 0) {
        if (errno == EINTR) continue;
        return Fail(errno);
      }
      off += static_cast<size_t>(n);
    }
    buffer.clear();
    return true;
  }
  ~FileOut() {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
  }
};

namespace {
thread_local String t_writeFailure;

void SetWriteFailure(int err) { t_writeFailure = err ? std::strerror(err) : ""; }

// The file a chain of symbolic links at `path` ends in (`path` itself when
// it is no link, or names nothing yet); 0, else the errno that stops the walk.
int ResolveLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    link.resize(static_cast<size_t>(n));
    if (link.empty()) return ENOENT;
    if (link[0] != '/') {
      size_t slash = path.rfind('/');
      if (slash != std::string::npos) link = path.substr(0, slash + 1) + link;
    }
    path = link;
  }
  return ELOOP;
}
}  // namespace

const String& UtStreamWriter::LastFailure() { return t_writeFailure; }

UtStreamWriter* UtStreamWriter::ConstructUtStreamWriter(const String& fileName) {
  SetWriteFailure(0);
  if (fileName.empty()) {
    SetWriteFailure(ENOENT);
    return nullptr;
  }
  auto f = std::make_unique<FileOut>();
  f->target = fileName;
  // Renaming onto a link would replace the link itself; the user meant the
  // file it names.
  if (int err = ResolveLinks(f->target)) {
    SetWriteFailure(err);
    return nullptr;
  }
  struct stat st;
  const bool exists = ::stat(f->target.c_str(), &st) == 0;
  if (exists) {
    // The rename would put a regular file where the node was.
    if (!S_ISREG(st.st_mode)) {
      t_writeFailure = "not a regular file";
      return nullptr;
    }
    // Only the directory's permissions guard a rename; a file its owner made
    // read-only is refused as writing it in place would be (also for root,
    // whom access() never refuses).
    if (::access(f->target.c_str(), W_OK) != 0) {
      SetWriteFailure(errno);
      return nullptr;
    }
    if ((st.st_mode & 0222) == 0) {
      SetWriteFailure(EACCES);
      return nullptr;
    }
  }
  f->temp = f->target + ".tmpXXXXXX";
  int fd = ::mkstemp(f->temp.data());
  if (fd < 0) {
    SetWriteFailure(errno);
    f->temp.clear();
    return nullptr;
  }
  f->fd = fd;
  // Keep the mode of the file being replaced; a new file gets the usual
  // permissions rather than mkstemp's private ones.
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  // A file root rewrites for its user stays the user's. Owner and group go
  // first: chown clears the set-id bits the mode then restores.
  if (exists && ::geteuid() == 0 && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
    SetWriteFailure(errno);
    return nullptr;  // the FileOut removes the temporary file
  }
  ::fchmod(fd, mode);
  auto* w = new UtStreamWriter();
  w->file_ = std::move(f);
  return w;
}

UtStreamWriter::UtStreamWriter(std::ostream& out) : out_(&out) {}

UtStreamWriter::~UtStreamWriter() = default;

void UtStreamWriter::writeline(const String& text) {
  ++lines_;
  if (out_) {
    *out_ << text << '\n';
    return;
  }
  if (!file_ || file_->failed) return;
  file_->buffer += text;
  file_->buffer += '\n';
  // FlushBuffer records the failure; later lines are dropped.
  if (file_->buffer.size() >= (1u << 16)) file_->FlushBuffer();
}

void UtStreamWriter::write(const String& text) {
  lines_ += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  if (out_) {
    *out_ << text;
    return;
  }
  if (!file_ || file_->failed) return;
  file_->buffer += text;
  if (file_->buffer.size() >= (1u << 16)) file_->FlushBuffer();
}

bool UtStreamWriter::Commit() {
  if (out_) {
    out_->flush();
    return static_cast<bool>(*out_);
  }
  if (!file_ || committed_) return committed_;
  FileOut& f = *file_;
  // Every step is checked: a full disk often shows only at the flush, the
  // fsync or the close, and the old file must then stay.
  bool ok = !f.failed && f.FlushBuffer();
  if (ok && ::fsync(f.fd) != 0) ok = f.Fail(errno);
  if (::close(f.fd) != 0 && ok) ok = f.Fail(errno);
  f.fd = -1;
  if (ok && ::rename(f.temp.c_str(), f.target.c_str()) != 0) ok = f.Fail(errno);
  if (ok) {
    f.temp.clear();
    committed_ = true;
    SetWriteFailure(0);
    return true;
  }
  f.Fail(EIO);
  SetWriteFailure(f.error);
  return false;
}

bool UtStreamWriter::Failed() const {
  if (out_) return !*out_;
  return !file_ || file_->failed;
}

namespace {
thread_local String t_writeFilename;
}

void BaseWriter::InitData(void*) { t_writeFilename.clear(); }
String& BaseWriter::s_filename() { return t_writeFilename; }

void BaseWriter::SetFileInfo(PsfComp* node, const UtStreamWriter* writer) {
  if (!node) return;
  node->SetFileName(t_writeFilename);
  node->SetLineNum(writer ? writer->GetLineCount() : 0);
}

}  // namespace MdtBase
