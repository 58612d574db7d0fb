// The transport of the language server: JSON-RPC messages framed by a
// Content-Length header on a byte stream, file URIs, and the positions an
// editor counts in UTF-16 code units.
#ifndef TAVSOFTWARE_TOOLS_LSPPROTOCOL_H
#define TAVSOFTWARE_TOOLS_LSPPROTOCOL_H

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace tavsw::lsp {

// The largest body a message may announce. An MSS of tens of thousands of
// peripherals is a few MB; anything beyond this is refused unread, so a
// wrong or hostile length never makes the server allocate it.
inline constexpr size_t kMaxBody = 64u << 20;

enum class FrameStatus {
  kMessage,    // `body` holds one message
  kEnd,        // the input ended (between messages or inside one)
  kBadHeader,  // the header had no usable Content-Length; skipped
  kTooLarge    // the announced body exceeds the limit; its bytes were skipped
};

// Reads one message: header lines up to an empty line (CR LF or LF), then
// the body of Content-Length bytes. On kBadHeader and kTooLarge `problem`
// says what was wrong, and reading can go on with the next message.
FrameStatus ReadFrame(std::istream& in, std::string& body, std::string& problem,
                      size_t maxBody = kMaxBody);

// Writes `body` with its header and flushes.
void WriteFrame(std::ostream& out, std::string_view body);

// "file:///a%20b/c.mss" gives "/a b/c.mss"; a URI of another scheme is
// returned unchanged (it names no file on disk).
std::string PathOfUri(const std::string& uri);
// The file URI of an absolute path, reserved characters escaped.
std::string UriOfPath(const std::string& path);

// The byte offset in `line` of UTF-16 position `character` (clamped to the
// line), and back. Invalid UTF-8 counts one unit per byte.
size_t ByteOfUtf16(std::string_view line, size_t character);
size_t Utf16OfByte(std::string_view line, size_t byte);

}  // namespace tavsw::lsp

#endif  // TAVSOFTWARE_TOOLS_LSPPROTOCOL_H
