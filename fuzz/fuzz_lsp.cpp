// Feeds arbitrary bytes to the language server as its standard input: the
// message reader, the dispatcher and every request on whatever documents
// the input opens, with the demo's repository and hardware. The server only
// reads files; whatever the input says, it must answer in framed messages
// and never crash.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "FuzzCommon.h"
#include "LspProtocol.h"
#include "LspServer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  tavsw::lsp::Settings settings;
  settings.repos = {TAVSW_EXAMPLES "/repo"};
  settings.hw = TAVSW_EXAMPLES "/hw/system.json";
  tavsw::lsp::Server server(in, out, settings);
  const int status = server.Run();
  if (status != 0 && status != 1) std::abort();
  // What the server wrote is a sequence of whole frames of JSON.
  std::istringstream sent(out.str());
  std::string body, problem;
  tavsw::lsp::FrameStatus s;
  while ((s = tavsw::lsp::ReadFrame(sent, body, problem)) == tavsw::lsp::FrameStatus::kMessage)
    if (nlohmann::json::parse(body, nullptr, false).is_discarded()) std::abort();
  if (s != tavsw::lsp::FrameStatus::kEnd || !body.empty()) std::abort();
  return 0;
}
