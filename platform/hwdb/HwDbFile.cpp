#include "HwDbFile.h"

#include <boost/make_shared.hpp>
#include <fstream>
#include <nlohmann/json.hpp>
#include <unordered_set>

#include "Port.h"

namespace TavHwDb {

namespace {

Port_MsgManData Msg() { return Port_MsgManData::createObject("VEK", __FILE__, __LINE__, ""); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(Port::String::Lower(static_cast<unsigned char>(c)));
  return s;
}

// The kinds of JSON value, as messages name them.
enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

const char* KindName(Kind k) {
  switch (k) {
    case Kind::kNull: return "null";
    case Kind::kBool: return "a boolean";
    case Kind::kNumber: return "a number";
    case Kind::kString: return "a string";
    case Kind::kArray: return "an array";
    case Kind::kObject: return "an object";
  }
  return "a value";
}

// Deep nesting is never meaningful here; refusing it keeps hostile text
// cheap.
constexpr size_t kMaxDepth = 64;

// The keys of one object, to find one given twice: a scan for the few keys
// of an instance, a set for long objects.
class Keys {
 public:
  void Clear() {
    list_.clear();
    set_.clear();
  }
  // True when `key` was given before; remembers it.
  bool Repeated(const std::string& key) {
    if (list_.size() < kScan) {
      for (const std::string& k : list_)
        if (k == key) return true;
      list_.push_back(key);
      return false;
    }
    if (set_.empty()) set_.insert(list_.begin(), list_.end());
    return !set_.insert(key).second;
  }

 private:
  static constexpr size_t kScan = 16;
  std::vector<std::string> list_;
  std::unordered_set<std::string> set_;
};

// Reads a hardware description straight into its instances as nlohmann's
// reader goes through the text, knowing the JSON path of every value for a
// message. What is wrong with the content (the first problem, and the
// unknown keys met before it) is only said once the whole text proved to be
// JSON: malformed text is the one message then. Numbers keep their text as
// written: a hardware parameter must keep 1.50, not become 1.5.
class Reader : public nlohmann::json_sax<nlohmann::json> {
 public:
  std::vector<HwDbFile::Instance> insts;
  std::unordered_map<std::string, size_t> byName;  // lower-case name -> index
  // The unknown keys, with the path of their object, in the order of the text.
  std::vector<std::pair<std::string, std::string>> unknown;
  std::string invalid;  // the first problem, "<path>: <what>"; empty when none
  size_t errorPos = 0;
  std::string errorText;
  bool tooDeep = false;

  bool null() override { return Scalar(Kind::kNull, nullptr); }
  bool boolean(bool) override { return Scalar(Kind::kBool, nullptr); }
  bool number_integer(number_integer_t v) override {
    const std::string text = std::to_string(v);
    return Scalar(Kind::kNumber, &text);
  }
  bool number_unsigned(number_unsigned_t v) override {
    const std::string text = std::to_string(v);
    return Scalar(Kind::kNumber, &text);
  }
  bool number_float(number_float_t, const string_t& raw) override {
    return Scalar(Kind::kNumber, &raw);
  }
  bool string(string_t& s) override { return Scalar(Kind::kString, &s); }
  bool binary(binary_t&) override { return Scalar(Kind::kNull, nullptr); }
  bool start_object(std::size_t) override { return Open(Kind::kObject); }
  bool start_array(std::size_t) override { return Open(Kind::kArray); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }
  bool key(string_t& k) override;
  bool parse_error(std::size_t pos, const std::string&,
                   const nlohmann::detail::exception& e) override {
    errorPos = pos;
    errorText = e.what();
    return false;
  }

 private:
  // What an open container is.
  enum class Role { kTop, kInstances, kInstance, kParameters, kAddressable, kIgnored };
  // What the coming value is.
  enum class Slot {
    kTop, kFormat, kInstances, kInstance, kField, kParameters, kParameter, kAddressable,
    kAddress, kIgnored
  };
  struct Frame {
    Role role = Role::kIgnored;
    size_t items = 0;  // the values of an array so far
    Keys keys;
  };

  void Fail(std::string what) {
    if (invalid.empty()) invalid = std::move(what);
  }
  std::string At() const { return "instances[" + std::to_string(instance_) + "]"; }
  std::string FieldPath() const { return At() + "." + key_; }
  void Unknown(std::string path, const std::string& k) {
    unknown.emplace_back(std::move(path), k);
    slot_ = Slot::kIgnored;
  }
  // The slot of the value now beginning; an array's values are counted.
  Slot Coming(size_t& index) {
    if (!invalid.empty()) return Slot::kIgnored;
    if (depth_ == 0) return Slot::kTop;
    Frame& f = frames_[depth_ - 1];
    switch (f.role) {
      case Role::kInstances: index = f.items++; return Slot::kInstance;
      case Role::kAddressable: index = f.items++; return Slot::kAddress;
      case Role::kIgnored: return Slot::kIgnored;
      default: return slot_;
    }
  }
  // Says what is wrong with a value of kind `k` in slot `slot`; true when
  // nothing is.
  bool Fits(Slot slot, Kind k, size_t index) {
    auto expected = [&](const std::string& path, const char* what) {
      Fail(path + ": expected " + what + ", found " + KindName(k));
      return false;
    };
    switch (slot) {
      case Slot::kTop: return k == Kind::kObject || expected("(top)", "an object");
      case Slot::kInstances: return k == Kind::kArray || expected("instances", "an array");
      case Slot::kInstance:
        instance_ = index;
        return k == Kind::kObject || expected(At(), "an object");
      case Slot::kField: return k == Kind::kString || expected(FieldPath(), "a string");
      case Slot::kParameters: return k == Kind::kObject || expected(FieldPath(), "an object");
      case Slot::kParameter:
        if (k != Kind::kString && k != Kind::kNumber)
          return expected(At() + ".parameters." + key_, "a string or a number");
        if (repeated_) {
          Fail(At() + ".parameters: key \"" + key_ + "\" given twice");
          return false;
        }
        return true;
      case Slot::kAddressable: return k == Kind::kArray || expected(FieldPath(), "an array");
      case Slot::kAddress:
        return k == Kind::kString ||
               expected(At() + ".addressable[" + std::to_string(index) + "]", "a string");
      case Slot::kFormat:
        Fail("format: expected 1, the only format there is");
        return false;
      case Slot::kIgnored: return false;
    }
    return false;
  }
  bool Scalar(Kind k, const std::string* text) {
    size_t index = 0;
    const Slot slot = Coming(index);
    if (slot == Slot::kFormat) {
      if (k == Kind::kNumber && *text == "1")
        haveFormat_ = true;
      else
        Fits(slot, k, index);
      return true;
    }
    if (!Fits(slot, k, index)) return true;
    if (slot == Slot::kField)
      (key_ == "name"      ? inst_.name
       : key_ == "type"    ? inst_.type
       : key_ == "version" ? inst_.version
                           : inst_.ipClass) = *text;
    else if (slot == Slot::kParameter)
      inst_.parameters.emplace_back(key_, *text);
    else if (slot == Slot::kAddress)
      inst_.addressable.push_back(*text);
    return true;
  }
  bool Open(Kind k) {
    if (depth_ >= kMaxDepth) {
      errorText = "nesting deeper than 64 levels";
      tooDeep = true;
      return false;
    }
    size_t index = 0;
    const Slot slot = Coming(index);
    if (slot == Slot::kInstances) haveInstances_ = true;
    Role role = Role::kIgnored;
    if (Fits(slot, k, index)) {
      switch (slot) {
        case Slot::kTop: role = Role::kTop; break;
        case Slot::kInstances: role = Role::kInstances; break;
        case Slot::kInstance:
          role = Role::kInstance;
          inst_ = HwDbFile::Instance();
          break;
        case Slot::kParameters: role = Role::kParameters; break;
        case Slot::kAddressable: role = Role::kAddressable; break;
        default: break;
      }
    }
    if (frames_.size() == depth_) frames_.emplace_back();
    Frame& f = frames_[depth_++];
    f.role = role;
    f.items = 0;
    f.keys.Clear();
    return true;
  }
  bool Close() {
    const Role role = frames_[--depth_].role;
    if (!invalid.empty()) return true;
    if (role == Role::kTop) {
      if (!haveFormat_)
        Fail("format: missing; this reader knows format 1");
      else if (!haveInstances_)
        Fail("instances: missing");
    } else if (role == Role::kInstance) {
      if (inst_.name.empty())
        Fail(At() + ".name: an instance needs a non-empty name");
      else if (!byName.try_emplace(Lower(inst_.name), insts.size()).second)
        Fail(At() + ": instance name \"" + inst_.name + "\" is already used");
      else
        insts.push_back(std::move(inst_));
    }
    return true;
  }

  std::vector<Frame> frames_;  // the open containers, kept for reuse
  size_t depth_ = 0;
  Slot slot_ = Slot::kIgnored;  // of the value after the last key
  std::string key_;             // the last key of an instance or its parameters
  bool repeated_ = false;       // that parameter key was given before
  size_t instance_ = 0;
  HwDbFile::Instance inst_;
  bool haveFormat_ = false, haveInstances_ = false;
};

bool Reader::key(string_t& k) {
  if (!invalid.empty() || depth_ == 0) return true;
  Frame& f = frames_[depth_ - 1];
  switch (f.role) {
    case Role::kTop:
      if (f.keys.Repeated(k))
        Fail("(top): key \"" + k + "\" given twice");
      else if (k == "format")
        slot_ = Slot::kFormat;
      else if (k == "instances")
        slot_ = Slot::kInstances;
      else
        Unknown("(top)", k);
      break;
    case Role::kInstance:
      if (f.keys.Repeated(k)) {
        Fail(At() + ": key \"" + k + "\" given twice");
      } else if (k == "name" || k == "type" || k == "version" || k == "class") {
        slot_ = Slot::kField;
        key_ = k;
      } else if (k == "parameters" || k == "addressable") {
        slot_ = k == "parameters" ? Slot::kParameters : Slot::kAddressable;
        key_ = k;
      } else {
        Unknown(At(), k);
      }
      break;
    case Role::kParameters:
      repeated_ = f.keys.Repeated(k);
      key_ = k;
      slot_ = Slot::kParameter;
      break;
    default: break;
  }
  return true;
}

}  // namespace

boost::shared_ptr<HwDbFile> HwDbFile::Read(const std::string& path, int& errors) {
  std::ifstream in(path, std::ios::binary);
  if (!in || !Port::File::isfile(path)) {
    Msg().issueError("Cannot open hardware description \"%s\"\n", path.c_str());
    errors = 1;
    return nullptr;
  }
  std::string text;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > 0) {
    text.resize(static_cast<size_t>(size));
    in.read(text.data(), size);
    text.resize(static_cast<size_t>(in.gcount()));
  }
  return FromText(text, path, errors);
}

boost::shared_ptr<HwDbFile> HwDbFile::FromText(const std::string& text, const std::string& name,
                                               int& errors) {
  errors = 0;
  Reader r;
  if (!nlohmann::json::sax_parse(text, &r, nlohmann::json::input_format_t::json, true)) {
    const size_t pos = std::min(r.errorPos > 0 ? r.errorPos - 1 : 0, text.size());
    int line = 1, column = 1;
    for (size_t i = 0; i < pos; ++i) {
      if (text[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    std::string what = r.errorText;
    // nlohmann prefixes its own position; ours is given above.
    size_t colon = what.find("column");
    colon = colon == std::string::npos ? std::string::npos : what.find(": ", colon);
    if (colon != std::string::npos) what = what.substr(colon + 2);
    if (r.tooDeep)
      Msg().issueError("%s - %s\n", name.c_str(), what.c_str());
    else
      Msg().issueError("%s line %d - column %d: malformed JSON: %s\n", name.c_str(), line, column,
                       what.c_str());
    errors = 1;
    return nullptr;
  }
  for (const auto& [path, key] : r.unknown)
    Msg().issueWarning("%s - %s: unknown key \"%s\" ignored\n", name.c_str(), path.c_str(),
                       key.c_str());
  if (!r.invalid.empty()) {
    Msg().issueError("%s - %s\n", name.c_str(), r.invalid.c_str());
    errors = 1;
    return nullptr;
  }
  boost::shared_ptr<HwDbFile> db(new HwDbFile());
  db->insts_ = std::move(r.insts);
  db->byName_ = std::move(r.byName);
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
