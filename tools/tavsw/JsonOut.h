// Writing a JSON document to a stream as it is serialised: a document of
// thousands of components is megabytes of text, which need not be held
// whole in memory beside the document. nlohmann's public dump() only makes a
// string, so its serialiser and output adapter are taken from its detail
// namespace, as its own stream output takes them.
#ifndef TAVSOFTWARE_TOOLS_TAVSW_JSONOUT_H
#define TAVSOFTWARE_TOOLS_TAVSW_JSONOUT_H

#include <cstddef>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace tavsw {

// Gathers the small pieces the serialiser writes into blocks for `out`.
class JsonBlocks : public nlohmann::detail::output_adapter_protocol<char> {
 public:
  explicit JsonBlocks(std::ostream& out) : out_(out) { block_.reserve(kBlock); }
  void write_character(char c) override {
    block_.push_back(c);
    if (block_.size() >= kBlock) Flush();
  }
  void write_characters(const char* s, std::size_t length) override {
    block_.append(s, length);
    if (block_.size() >= kBlock) Flush();
  }
  void Flush() {
    out_.write(block_.data(), static_cast<std::streamsize>(block_.size()));
    block_.clear();
  }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  std::ostream& out_;
  std::string block_;
};

// Writes `doc` indented by two blanks, and a line end, as
// doc.dump(2, ' ', false, replace) reads: bytes that are no UTF-8 (a name in
// a legacy encoding) are replaced rather than stopping the document.
template <class Json>
void WriteJson(std::ostream& out, const Json& doc) {
  auto blocks = std::make_shared<JsonBlocks>(out);
  nlohmann::detail::serializer<Json> s(blocks, ' ', Json::error_handler_t::replace);
  s.dump(doc, true, false, 2);
  blocks->Flush();
  out << "\n";
}

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_TAVSW_JSONOUT_H
