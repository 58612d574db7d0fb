#include "LspProtocol.h"

#include <algorithm>
#include <cctype>

namespace tavsw::lsp {
namespace {

// A header line longer than this is no header an editor sends; reading it
// whole would let a stream without line breaks fill the memory.
constexpr size_t kMaxHeaderLine = 4096;
constexpr int kMaxHeaderLines = 32;

// One header line without its line end; false at the end of input. A line
// too long is cut at the limit and the rest of it skipped.
bool ReadHeaderLine(std::istream& in, std::string& line) {
  line.clear();
  bool any = false;
  for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
    any = true;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (line.size() < kMaxHeaderLine) line.push_back(static_cast<char>(c));
  }
  return any && !line.empty();
}

// Skips `n` bytes of the input; false when it ends first.
bool Skip(std::istream& in, size_t n) {
  char buf[8192];
  while (n > 0) {
    const size_t chunk = std::min(n, sizeof buf);
    in.read(buf, static_cast<std::streamsize>(chunk));
    if (static_cast<size_t>(in.gcount()) != chunk) return false;
    n -= chunk;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length of the UTF-8 sequence starting with `lead`, and how many UTF-16
// units it stands for; a byte that starts no valid sequence is one of each.
size_t SequenceLength(std::string_view text, size_t at, size_t& units) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                                       : (lead >> 3) == 0x1E ? 4 : 1;
  if (at + len > text.size()) len = 1;
  for (size_t k = 1; k < len; ++k)
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) len = 1;
  units = len == 4 ? 2 : 1;
  return len;
}

}  // namespace

FrameStatus ReadFrame(std::istream& in, std::string& body, std::string& problem, size_t maxBody) {
  body.clear();
  problem.clear();
  std::string line;
  bool haveLength = false, badLength = false;
  size_t length = 0;
  int lines = 0;
  while (true) {
    if (!ReadHeaderLine(in, line)) return FrameStatus::kEnd;
    if (line.empty()) {
      if (lines == 0) continue;  // stray line breaks between messages
      break;
    }
    if (++lines > kMaxHeaderLines) {
      problem = "more than " + std::to_string(kMaxHeaderLines) + " header lines";
      return FrameStatus::kBadHeader;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name != "content-length") continue;  // Content-Type and the like
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t") + 1);
    haveLength = true;
    // Twenty digits would overflow; anything that long is too large anyway.
    if (value.empty() || value.size() > 19 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
      badLength = true;
      problem = "Content-Length is no number: '" + value.substr(0, 40) + "'";
    } else {
      length = std::stoull(value);
      badLength = false;
    }
  }
  if (!haveLength || badLength) {
    if (!haveLength) problem = "no Content-Length header";
    return FrameStatus::kBadHeader;
  }
  if (length > maxBody) {
    problem = "Content-Length " + std::to_string(length) + " exceeds the limit of " +
              std::to_string(maxBody) + " bytes";
    // Skipped even when the input ends inside it: the client hears why.
    Skip(in, length);
    return FrameStatus::kTooLarge;
  }
  body.resize(length);
  in.read(body.data(), static_cast<std::streamsize>(length));
  if (static_cast<size_t>(in.gcount()) != length) {
    body.clear();
    return FrameStatus::kEnd;
  }
  return FrameStatus::kMessage;
}

void WriteFrame(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n";
  out.write(body.data(), static_cast<std::streamsize>(body.size()));
  out.flush();
}

std::string PathOfUri(const std::string& uri) {
  if (uri.compare(0, 7, "file://") != 0) return uri;
  std::string rest = uri.substr(7);
  // "file://host/path": only the local host has files here.
  const size_t slash = rest.find('/');
  rest = slash == std::string::npos ? std::string() : rest.substr(slash);
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
        HexValue(rest[i + 2]) >= 0) {
      path.push_back(static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2])));
      i += 2;
    } else {
      path.push_back(rest[i]);
    }
  }
  return path;
}

std::string UriOfPath(const std::string& path) {
  static const char* kHex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || std::string_view("/-._~").find(ch) != std::string_view::npos) {
      uri.push_back(ch);
    } else {
      uri.push_back('%');
      uri.push_back(kHex[c >> 4]);
      uri.push_back(kHex[c & 15]);
    }
  }
  return uri;
}

size_t ByteOfUtf16(std::string_view line, size_t character) {
  size_t byte = 0, units = 0;
  while (byte < line.size() && units < character) {
    size_t u = 1;
    byte += SequenceLength(line, byte, u);
    units += u;
  }
  return byte;
}

size_t Utf16OfByte(std::string_view line, size_t byte) {
  size_t at = 0, units = 0;
  byte = std::min(byte, line.size());
  while (at < byte) {
    size_t u = 1;
    at += SequenceLength(line, at, u);
    units += u;
  }
  return units;
}

}  // namespace tavsw::lsp
