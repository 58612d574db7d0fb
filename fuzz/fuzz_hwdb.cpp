// Feeds arbitrary bytes to the hardware description reader. A file it
// accepts must answer every lookup for every name it lists. The quick JSON
// reader under it must, wherever it does not decline, give exactly the
// events nlohmann's reader gives, and stop where that one stops.
#include <nlohmann/json.hpp>

#include "FuzzCommon.h"
#include "HwDbFile.h"
#include "detail/QuickJson.h"

namespace {

// Writes down every event; refuses the one after the first `limit`.
class Recorder : public nlohmann::json_sax<nlohmann::json> {
 public:
  explicit Recorder(size_t limit) : limit_(limit) {}
  std::string events;

  bool null() override { return Add("n"); }
  bool boolean(bool v) override { return Add(v ? "t" : "f"); }
  bool number_integer(number_integer_t v) override { return Add("i" + std::to_string(v)); }
  bool number_unsigned(number_unsigned_t v) override { return Add("u" + std::to_string(v)); }
  bool number_float(number_float_t, const string_t& raw) override { return Add("d" + raw); }
  bool string(string_t& s) override { return Add("s" + s); }
  bool binary(binary_t&) override { return Add("b"); }
  bool start_object(std::size_t) override { return Add("{"); }
  bool key(string_t& k) override { return Add("k" + k); }
  bool end_object() override { return Add("}"); }
  bool start_array(std::size_t) override { return Add("["); }
  bool end_array() override { return Add("]"); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool Add(const std::string& event) {
    if (count_++ == limit_) return false;
    events += event;
    events += '\0';
    return true;
  }
  size_t limit_, count_ = 0;
};

void SameEventsAsNlohmann(const std::string& text, size_t limit) {
  Recorder quick(limit), full(limit);
  const Port::QuickJsonResult r = Port::ReadQuickJson(text, quick);
  if (r == Port::QuickJsonResult::kDeclined) return;
  const bool read = nlohmann::json::sax_parse(text, &full, nlohmann::json::input_format_t::json,
                                              true);
  if (read != (r == Port::QuickJsonResult::kRead) || quick.events != full.events) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  const std::string text(reinterpret_cast<const char*>(data), size);
  SameEventsAsNlohmann(text, static_cast<size_t>(-1));
  SameEventsAsNlohmann(text, size % 37);
  int errors = 0;
  auto db = TavHwDb::HwDbFile::FromText(text, "fuzz.json", errors);
  if (!db) {
    if (errors != 1) std::abort();
    return 0;
  }
  for (const std::string& name : db->GetAllInstNames()) {
    if (!db->IsInstPresent(name)) std::abort();
    db->GetIpType(name);
    db->GetIpClass(name);
    for (const std::string& a : db->GetAddressableInstNames(name)) db->IsInstPresent(a);
    db->GetInstParamValue(name, "C_BASEADDR");
  }
  db->GetProcessorInstNames();
  return 0;
}
