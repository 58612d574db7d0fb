#include "HwDbFile.h"

#include <boost/make_shared.hpp>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <unordered_set>

#include "Port.h"
#include "detail/QuickJson.h"

namespace TavHwDb {

namespace {

Port_MsgManData Msg() { return Port_MsgManData::createObject("VEK", __FILE__, __LINE__, ""); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(Port::String::Lower(static_cast<unsigned char>(c)));
  return s;
}

// A JSON value as read, numbers kept as their text. nlohmann's own DOM would
// turn 1.50 into 1.5; a hardware parameter must keep what its author wrote.
struct JVal {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  std::string text;  // number text or string
  std::vector<JVal> items;
  std::vector<std::string> keys;  // for objects, parallel to items
};

// Deep nesting is never meaningful here and would make the destructor of a
// hostile document recurse without bound.
constexpr size_t kMaxDepth = 64;

class Builder : public nlohmann::json_sax<nlohmann::json> {
 public:
  bool null() override { return Add(JVal{}); }
  bool boolean(bool b) override { return Add(JVal{JVal::kBool, b ? "true" : "false", {}, {}}); }
  bool number_integer(number_integer_t v) override { return Number(std::to_string(v)); }
  bool number_unsigned(number_unsigned_t v) override { return Number(std::to_string(v)); }
  bool number_float(number_float_t, const string_t& raw) override { return Number(raw); }
  bool string(string_t& s) override { return Add(JVal{JVal::kString, s, {}, {}}); }
  bool binary(binary_t&) override { return Add(JVal{}); }
  bool start_object(std::size_t) override { return Open(JVal::kObject); }
  bool key(string_t& k) override {
    pendingKey_ = k;
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(JVal::kArray); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t pos, const std::string&,
                   const nlohmann::detail::exception& e) override {
    errorPos_ = pos;
    errorText_ = e.what();
    return false;
  }

  JVal root;
  std::size_t errorPos_ = 0;
  std::string errorText_;

 private:
  bool Number(const std::string& text) { return Add(JVal{JVal::kNumber, text, {}, {}}); }
  // The members of the open containers wait in one list, innermost last,
  // and a container takes exactly its own when it closes: no container
  // grows member by member, and an empty one costs nothing.
  struct Container {
    JVal::Kind kind;
    size_t firstValue, firstKey;
    std::string key;  // the key the container was opened under
  };
  bool Add(JVal v) {
    if (open_.empty()) {
      root = std::move(v);
      return true;
    }
    if (open_.back().kind == JVal::kObject) keys_.push_back(std::move(pendingKey_));
    values_.push_back(std::move(v));
    return true;
  }
  bool Open(JVal::Kind kind) {
    if (open_.size() >= kMaxDepth) {
      errorText_ = "nesting deeper than 64 levels";
      tooDeep_ = true;
      return false;
    }
    open_.push_back(Container{kind, values_.size(), keys_.size(), std::move(pendingKey_)});
    return true;
  }
  bool Close() {
    Container done = std::move(open_.back());
    open_.pop_back();
    JVal v{done.kind, {}, {}, {}};
    v.items.assign(std::make_move_iterator(values_.begin() + done.firstValue),
                   std::make_move_iterator(values_.end()));
    values_.resize(done.firstValue);
    v.keys.assign(std::make_move_iterator(keys_.begin() + done.firstKey),
                  std::make_move_iterator(keys_.end()));
    keys_.resize(done.firstKey);
    // The key this container was opened under is the one it is stored as.
    pendingKey_ = std::move(done.key);
    return Add(std::move(v));
  }
  std::vector<Container> open_;
  std::vector<JVal> values_;
  std::vector<std::string> keys_;
  std::string pendingKey_;

 public:
  bool tooDeep_ = false;
};

// The first problem found, as "<path>: <what>"; validation stops there.
struct Invalid : std::runtime_error {
  using std::runtime_error::runtime_error;
};

const char* KindName(JVal::Kind k) {
  switch (k) {
    case JVal::kNull: return "null";
    case JVal::kBool: return "a boolean";
    case JVal::kNumber: return "a number";
    case JVal::kString: return "a string";
    case JVal::kArray: return "an array";
    case JVal::kObject: return "an object";
  }
  return "a value";
}

// `path` makes the value's path, only when it is needed for the message.
template <class Path>
void ExpectAt(const JVal& v, JVal::Kind kind, const Path& path) {
  if (v.kind != kind)
    throw Invalid(path() + ": expected " + KindName(kind) + ", found " + KindName(v.kind));
}
void Expect(const JVal& v, JVal::Kind kind, const std::string& path) {
  ExpectAt(v, kind, [&] { return path; });
}

// True when key `i` of `keys` was given before it: by a scan for the few
// keys of an instance, by a set for long objects.
class Repeats {
 public:
  explicit Repeats(const std::vector<std::string>& keys) : keys_(keys) {}
  bool Seen(size_t i) {
    if (keys_.size() > kScan) return !set_.insert(keys_[i]).second;
    for (size_t j = 0; j < i; ++j)
      if (keys_[j] == keys_[i]) return true;
    return false;
  }

 private:
  static constexpr size_t kScan = 16;
  const std::vector<std::string>& keys_;
  std::set<std::string_view> set_;
};

// Walks an object's members: known keys to `take`, unknown ones warned about,
// a key given twice refused. `path` makes the object's path for a message.
template <class Path, class Take>
void Members(const JVal& obj, const Path& path, const std::string& file,
             std::initializer_list<const char*> known, Take take) {
  Repeats repeats(obj.keys);
  for (size_t i = 0; i < obj.items.size(); ++i) {
    const std::string& k = obj.keys[i];
    if (repeats.Seen(i)) throw Invalid(path() + ": key \"" + k + "\" given twice");
    bool isKnown = false;
    for (const char* name : known) isKnown = isKnown || k == name;
    if (isKnown)
      take(k, obj.items[i]);
    else
      Msg().issueWarning("%s - %s: unknown key \"%s\" ignored\n", file.c_str(), path().c_str(),
                         k.c_str());
  }
}

// Reads a description that is well formed and valid, with nothing to warn
// about, straight into instances, without a document in between. At the
// first thing it does not expect it stops; the reader that walks a document
// then reads the text again and says what it finds.
class Straight : public nlohmann::json_sax<nlohmann::json> {
 public:
  std::vector<HwDbFile::Instance> insts;
  std::unordered_map<std::string, size_t> byName;
  bool Complete() const { return done_ && haveFormat_ && haveInstances_; }

  bool null() override { return false; }
  bool boolean(bool) override { return false; }
  bool number_integer(number_integer_t v) override { return Number(std::to_string(v)); }
  bool number_unsigned(number_unsigned_t v) override { return Number(std::to_string(v)); }
  bool number_float(number_float_t, const string_t& raw) override { return Number(raw); }
  bool string(string_t& s) override {
    if (depth_ == 3 && field_ < kParameters) {
      (field_ == kName ? inst_.name : field_ == kType ? inst_.type
                                    : field_ == kVersion ? inst_.version
                                                         : inst_.ipClass) = s;
      return true;
    }
    if (depth_ == 4 && field_ == kAddressable) {
      inst_.addressable.push_back(s);
      return true;
    }
    return Parameter(s);
  }
  bool binary(binary_t&) override { return false; }
  bool start_object(std::size_t) override {
    if (depth_ == 0 || (depth_ == 2 && inInstances_)) {
      if (depth_ == 2) {
        inst_ = HwDbFile::Instance();
        paramKeys_.clear();
        seen_ = 0;
      }
      ++depth_;
      return true;
    }
    if (depth_ == 3 && field_ == kParameters) return ++depth_, true;
    return false;
  }
  bool key(string_t& k) override {
    if (depth_ == 1) {
      bool& have = k == "format" ? haveFormat_ : haveInstances_;
      if ((k != "format" && k != "instances") || have) return false;
      inInstances_ = k == "instances";
      if (inInstances_) haveInstances_ = true;
      topKey_ = k;
      return true;
    }
    if (depth_ == 3) {
      static const char* const kFields[] = {"name", "type", "version", "class", "parameters",
                                            "addressable"};
      for (int f = 0; f < 6; ++f)
        if (k == kFields[f]) {
          if (seen_ & (1u << f)) return false;
          seen_ |= 1u << f;
          field_ = static_cast<Field>(f);
          return true;
        }
      return false;
    }
    if (depth_ == 4 && field_ == kParameters) {
      // A key given twice is the document reader's to report; the few keys
      // of an instance are compared one by one, many through a set.
      if (inst_.parameters.size() < kScannedKeys) {
        for (const auto& [name, value] : inst_.parameters)
          if (name == k) return false;
      } else {
        if (paramKeys_.empty())
          for (const auto& [name, value] : inst_.parameters) paramKeys_.insert(name);
        if (!paramKeys_.insert(k).second) return false;
      }
      paramKey_ = k;
      return true;
    }
    return false;
  }
  bool end_object() override {
    if (depth_ == 4) return --depth_, true;
    if (depth_ == 3) {
      if (inst_.name.empty() || !byName.try_emplace(Lower(inst_.name), insts.size()).second)
        return false;
      insts.push_back(std::move(inst_));
      return --depth_, true;
    }
    if (depth_ == 1) {
      done_ = true;
      return --depth_, true;
    }
    return false;
  }
  bool start_array(std::size_t) override {
    if (depth_ == 1 && inInstances_) return ++depth_, true;
    if (depth_ == 3 && field_ == kAddressable) return ++depth_, true;
    return false;
  }
  bool end_array() override {
    if (depth_ == 2 || depth_ == 4) return --depth_, true;
    return false;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  enum Field { kName, kType, kVersion, kClass, kParameters, kAddressable };
  bool Number(const std::string& text) {
    if (depth_ == 1 && topKey_ == "format") {
      haveFormat_ = text == "1";
      return haveFormat_;
    }
    return Parameter(text);
  }
  bool Parameter(const std::string& text) {
    if (depth_ != 4 || field_ != kParameters) return false;
    inst_.parameters.emplace_back(std::move(paramKey_), text);
    return true;
  }
  int depth_ = 0;
  bool done_ = false, haveFormat_ = false, haveInstances_ = false, inInstances_ = false;
  static constexpr size_t kScannedKeys = 16;
  std::string topKey_, paramKey_;
  HwDbFile::Instance inst_;
  std::unordered_set<std::string> paramKeys_;
  unsigned seen_ = 0;
  Field field_ = kName;
};

}  // namespace

boost::shared_ptr<HwDbFile> HwDbFile::Read(const std::string& path, int& errors) {
  std::ifstream in(path, std::ios::binary);
  if (!in || !Port::File::isfile(path)) {
    Msg().issueError("Cannot open hardware description \"%s\"\n", path.c_str());
    errors = 1;
    return nullptr;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return FromText(text.str(), path, errors);
}

boost::shared_ptr<HwDbFile> HwDbFile::FromText(const std::string& text, const std::string& name,
                                               int& errors) {
  errors = 0;
  // Nearly every description is read straight into instances; any other is
  // walked as a document, which finds and reports what is wrong with it.
  {
    // Plain text, as a tool writes it, is scanned quickly; other text (with
    // escapes, say) through nlohmann's reader.
    std::optional<Straight> straight(std::in_place);
    const Port::QuickJsonResult quick = Port::ReadQuickJson(text, *straight);
    bool read = quick == Port::QuickJsonResult::kRead;
    if (quick == Port::QuickJsonResult::kDeclined) {
      straight.emplace();
      read = nlohmann::json::sax_parse(text, &*straight, nlohmann::json::input_format_t::json, true);
    }
    if (read && straight->Complete()) {
      boost::shared_ptr<HwDbFile> db(new HwDbFile());
      db->insts_ = std::move(straight->insts);
      db->byName_ = std::move(straight->byName);
      return db;
    }
  }
  Builder b;
  if (!nlohmann::json::sax_parse(text, &b, nlohmann::json::input_format_t::json, true)) {
    const size_t pos = std::min(b.errorPos_ > 0 ? b.errorPos_ - 1 : 0, text.size());
    int line = 1, column = 1;
    for (size_t i = 0; i < pos; ++i) {
      if (text[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    std::string what = b.errorText_;
    // nlohmann prefixes its own position; ours is given above.
    size_t colon = what.find("column");
    colon = colon == std::string::npos ? std::string::npos : what.find(": ", colon);
    if (colon != std::string::npos) what = what.substr(colon + 2);
    if (b.tooDeep_)
      Msg().issueError("%s - %s\n", name.c_str(), what.c_str());
    else
      Msg().issueError("%s line %d - column %d: malformed JSON: %s\n", name.c_str(), line, column,
                       what.c_str());
    errors = 1;
    return nullptr;
  }

  boost::shared_ptr<HwDbFile> db(new HwDbFile());
  try {
    Expect(b.root, JVal::kObject, "(top)");
    bool haveFormat = false, haveInstances = false;
    Members(b.root, [] { return std::string("(top)"); }, name, {"format", "instances"},
            [&](const std::string& k, const JVal& v) {
      if (k == "format") {
        if (v.kind != JVal::kNumber || v.text != "1")
          throw Invalid("format: expected 1, the only format there is");
        haveFormat = true;
        return;
      }
      haveInstances = true;
      Expect(v, JVal::kArray, "instances");
      db->insts_.reserve(v.items.size());
      db->byName_.reserve(v.items.size());
      for (size_t i = 0; i < v.items.size(); ++i) {
        // Made only for a message: thousands of instances need none.
        auto at = [i] { return "instances[" + std::to_string(i) + "]"; };
        const JVal& o = v.items[i];
        ExpectAt(o, JVal::kObject, at);
        Instance inst;
        Members(o, at, name, {"name", "type", "version", "class", "parameters", "addressable"},
                [&](const std::string& key, const JVal& f) {
                  auto fp = [&] { return at() + "." + key; };
                  if (key == "parameters") {
                    ExpectAt(f, JVal::kObject, fp);
                    Repeats repeats(f.keys);
                    for (size_t j = 0; j < f.items.size(); ++j) {
                      const JVal& pv = f.items[j];
                      if (pv.kind != JVal::kString && pv.kind != JVal::kNumber)
                        throw Invalid(fp() + "." + f.keys[j] + ": expected a string or a number, found " +
                                      KindName(pv.kind));
                      if (repeats.Seen(j))
                        throw Invalid(fp() + ": key \"" + f.keys[j] + "\" given twice");
                      inst.parameters.emplace_back(f.keys[j], pv.text);
                    }
                  } else if (key == "addressable") {
                    ExpectAt(f, JVal::kArray, fp);
                    for (size_t j = 0; j < f.items.size(); ++j) {
                      ExpectAt(f.items[j], JVal::kString,
                               [&] { return fp() + "[" + std::to_string(j) + "]"; });
                      inst.addressable.push_back(f.items[j].text);
                    }
                  } else {
                    ExpectAt(f, JVal::kString, fp);
                    (key == "name"      ? inst.name
                     : key == "type"    ? inst.type
                     : key == "version" ? inst.version
                                        : inst.ipClass) = f.text;
                  }
                });
        if (inst.name.empty()) throw Invalid(at() + ".name: an instance needs a non-empty name");
        if (!db->byName_.try_emplace(Lower(inst.name), db->insts_.size()).second)
          throw Invalid(at() + ": instance name \"" + inst.name + "\" is already used");
        db->insts_.push_back(std::move(inst));
      }
    });
    if (!haveFormat) throw Invalid("format: missing; this reader knows format 1");
    if (!haveInstances) throw Invalid("instances: missing");
  } catch (const Invalid& e) {
    Msg().issueError("%s - %s\n", name.c_str(), e.what());
    errors = 1;
    return nullptr;
  }
  return db;
}

const HwDbFile::Instance* HwDbFile::Find(const std::string& name) const {
  auto it = byName_.find(Lower(name));
  return it == byName_.end() ? nullptr : &insts_[it->second];
}

std::vector<std::string> HwDbFile::GetProcessorInstNames() const {
  std::vector<std::string> out;
  for (const Instance& i : insts_)
    if (Port::EqualsNoCase(i.ipClass, "PROCESSOR")) out.push_back(i.name);
  return out;
}

std::string HwDbFile::GetProcessorIpType(const std::string& p) const { return GetIpType(p); }
std::string HwDbFile::GetProcessorIpVersion(const std::string& p) const { return GetIpVersion(p); }

std::vector<std::string> HwDbFile::GetAllInstNames() const {
  std::vector<std::string> out;
  for (const Instance& i : insts_) out.push_back(i.name);
  return out;
}

bool HwDbFile::IsInstPresent(const std::string& inst) const { return Find(inst) != nullptr; }

std::string HwDbFile::GetIpType(const std::string& inst) const {
  const Instance* i = Find(inst);
  return i ? i->type : std::string();
}
std::string HwDbFile::GetIpVersion(const std::string& inst) const {
  const Instance* i = Find(inst);
  return i ? i->version : std::string();
}
std::string HwDbFile::GetIpClass(const std::string& inst) const {
  const Instance* i = Find(inst);
  return i ? i->ipClass : std::string();
}
std::vector<std::string> HwDbFile::GetAddressableInstNames(const std::string& procInst) const {
  const Instance* i = Find(procInst);
  return i ? i->addressable : std::vector<std::string>();
}
std::string HwDbFile::GetInstParamValue(const std::string& inst, const std::string& param) const {
  if (const Instance* i = Find(inst))
    for (const auto& [name, value] : i->parameters)
      if (Port::EqualsNoCase(name, param)) return value;
  return std::string();
}

}  // namespace TavHwDb
