// The commands that make and change an MSS and query the repositories:
// new, edit, query, flags.
#include <boost/shared_ptr.hpp>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <type_traits>
#include <map>
#include <set>
#include <memory>
#include <vector>

#include "Command.h"
#include "WriteMss.h"
#include "Array.h"
#include "ArrayInst.h"
#include "Diff.h"
#include "Element.h"
#include "DrvInst.h"
#include "Function.h"
#include "Interface.h"
#include "Mdd.h"
#include "Mld.h"
#include "MssEdit.h"
#include "ProcInst.h"
#include "Property.h"
#include "HwDbFile.h"
#include "InfoCommands.h"
#include "InfoHw.h"
#include "LibInst.h"
#include "Mss.h"
#include "Param.h"
#include "MssUtil.h"
#include "OsInst.h"
#include "ParseMss.h"
#include "SwComponentUtil.h"
#include "SwDb.h"
#include "SwPropertyUtil.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "SwSystem.h"
#include "Tavsw.h"

namespace tavsw {
namespace {

using TavSoftware::Mss;
using TavSoftware::MssUtil;
using TavSoftware::SwSystem;

// NAME[:VERSION]; the version "*" (any) when none is given.
std::pair<String, String> NameVersion(const std::string& text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return {String(text), String("*")};
  return {String(text.substr(0, colon)), String(text.substr(colon + 1))};
}

// The hardware description; null when it cannot be read (reported). Like
// an MSS that cannot be read, that is an input with errors.
boost::shared_ptr<TavHwDb::HwDbFile> ReadHw(const std::string& path) {
  int errors = 0;
  return TavHwDb::HwDbFile::Read(path, errors);
}

// True when `proc` is a processor instance of the hardware; else says what
// it is instead.
bool IsProcessor(Context& ctx, const TavHwDb::HwDbFile& hw, const std::string& hwFile,
                 const std::string& proc) {
  if (!hw.IsInstPresent(proc)) {
    ctx.diag.Tool(MsgSeverity::kError, "no processor instance '" + proc + "' in the hardware",
                  hwFile);
    NoteClosest(ctx, proc, hw.GetProcessorInstNames());
    return false;
  }
  const std::string kind = hw.GetIpClass(proc);
  if (Port::EqualsNoCase(kind, "PROCESSOR")) return true;
  ctx.diag.Tool(MsgSeverity::kError,
                "'" + proc + "' is no processor instance of the hardware (its class is " +
                    (kind.empty() ? std::string("not given") : kind) + ")",
                hwFile);
  return false;
}

// One action of `tavsw edit`, in the order the command line gives them.
struct Action {
  std::string option;  // "--set", ...
  std::string value;
};

// The parameters that say which component an instance is; each is changed
// by the action that changes the component, never by --set or --unset.
const struct {
  const char* name;
  const char* action;
} kIdentityParams[] = {
    {"DRIVER_NAME", "--driver"},      {"DRIVER_VER", "--driver"},
    {"HW_INSTANCE", "--rename"},      {"OS_NAME", "--os"},
    {"OS_VER", "--os"},               {"LIBRARY_NAME", "--add-lib and --del-lib"},
    {"LIBRARY_VER", "--add-lib"},     {"FILESYS_NAME", "--add-lib and --del-lib"},
    {"PROC_INSTANCE", "--rename"},
};

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Why the reader would not keep `value` as written; "" when it would.
std::string BadValue(const std::string& value) {
  if (value.empty()) return "an empty value is not kept (--unset removes a parameter)";
  for (char c : value) {
    if (c == '\n' || c == '\r') return "the value holds a line break";
    if (c == '\0') return "the value holds a NUL character";
    if (c == '#') return "the value holds '#', which starts a comment";
    if (c == '"') return "the value holds '\"', which is read as a blank";
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
      return std::string("the value holds the control character ") + hex;
    }
  }
  if (value.front() == ' ' || value.front() == '\t')
    return "the value begins with a blank, which is not kept";
  if (value.back() == ' ' || value.back() == '\t')
    return "the value ends with a blank, which is not kept";
  return "";
}

// Why `name` cannot be a parameter name of an MSS; "" when it can.
std::string BadName(const std::string& name) {
  for (char c : name)
    if (c == ' ' || c == '\t' || c == '#' || c == '"' || c == '=' || c == '(' ||
        static_cast<unsigned char>(c) < 0x20)
      return "'" + name + "' is not a parameter name";
  return "";
}

// The definition (Mdd or Mld) a component was bound to; null when none.
MdtBase::BaseNode* DefinitionOf(MdtBase::PsfComp* comp) {
  if (auto* d = dynamic_cast<TavSoftware::DrvInst*>(comp))
    return d->GetBaseNodePtr(TavSoftware::DrvInst::DEFINITION);
  if (auto* l = dynamic_cast<TavSoftware::LibInst*>(comp))
    return l->GetBaseNodePtr(TavSoftware::LibInst::DEFINITION);
  return nullptr;
}

// Whether the definition declares a parameter or array (`iface` false) or
// an interface of that name; true without a definition (nothing to check).
bool Declares(MdtBase::BaseNode* def, const String& name, bool iface) {
  if (auto* mdd = dynamic_cast<TavSoftware::Mdd*>(def))
    return iface ? mdd->GetPropertyByName(5, name) != nullptr
                 : mdd->GetPropertyByName(name) != nullptr;
  if (auto* mld = dynamic_cast<TavSoftware::Mld*>(def))
    return iface ? mld->GetPropertyByName(5, name) != nullptr
                 : mld->GetPropertyByName(3, name) || mld->GetPropertyByName(4, name) ||
                       mld->GetPropertyByName(6, name);
  return true;
}

// The declared parameter and array names of a definition closest to `name`.
std::string Suggestions(MdtBase::BaseNode* def, const std::string& name) {
  std::vector<std::string> names;
  auto take = [&](const TavSoftware::PropSeq& seq) {
    for (const MdtBase::Property* p : seq) names.push_back(p->GetName());
  };
  if (auto* mdd = dynamic_cast<TavSoftware::Mdd*>(def)) {
    take(mdd->GetPropSeqRef(3));
    take(mdd->GetPropSeqRef(6));
  } else if (auto* mld = dynamic_cast<TavSoftware::Mld*>(def)) {
    take(mld->GetPropSeqRef(3));
    take(mld->GetPropSeqRef(6));
  }
  std::string out;
  const size_t limit = std::max<size_t>(2, name.size() / 3);
  for (const std::string& n : names)
    if (EditDistance(n, name, true) <= limit) out += (out.empty() ? "" : ", ") + n;
  return out.empty() ? "" : " (did you mean " + out + "?)";
}

// A component's parameters, arrays, interfaces and comment, taken out of it
// before it is replaced, so that they can be given to the new instance.
struct Settings {
  struct Value {
    int seq;  // parameters or arrays
    String name, value;
  };
  std::vector<Value> values;
  struct Iface {
    String name;
    std::vector<std::pair<int, std::pair<String, String>>> children;
  };
  std::vector<Iface> ifaces;
  MdtBase::Comment comment;
};

bool IsIdentity(const String& name) {
  for (const auto& id : kIdentityParams)
    if (name.EqualsNoCase(id.name)) return true;
  return false;
}

template <class Inst>
Settings TakeSettings(const Inst* inst) {
  Settings s;
  for (int seq : {Inst::PARAMETERS, Inst::ARRAYS})
    for (const MdtBase::Property* p : inst->GetPropSeqRef(seq))
      if (!IsIdentity(p->GetName())) s.values.push_back({seq, p->GetName(), p->GetValueStr()});
  for (const MdtBase::Property* p : inst->GetPropSeqRef(Inst::INTERFACES)) {
    Settings::Iface f{p->GetName(), {}};
    if (auto* i = dynamic_cast<const TavSoftware::Interface*>(p))
      for (int seq : {TavSoftware::Interface::PROPERTIES, TavSoftware::Interface::FUNCTIONS})
        for (const MdtBase::Property* c : i->GetPropSeqRef(seq))
          f.children.push_back({seq, {c->GetName(), c->GetValueStr()}});
    s.ifaces.push_back(f);
  }
  s.comment = inst->GetComment();
  return s;
}

// Gives `inst` what `s` holds and the definition `def` declares; the names
// of what it does not declare.
template <class Inst>
std::vector<std::string> GiveSettings(Inst* inst, MdtBase::BaseNode* def, const Settings& s) {
  std::vector<std::string> dropped;
  for (const Settings::Value& v : s.values) {
    if (!Declares(def, v.name, false)) {
      dropped.push_back(v.name);
      continue;
    }
    inst->CreateAddPropertySetValue(v.seq, v.name, v.value);
  }
  for (const Settings::Iface& f : s.ifaces) {
    if (!Declares(def, f.name, true)) {
      dropped.push_back("interface " + f.name);
      continue;
    }
    if (inst->GetPropertyByName(Inst::INTERFACES, f.name)) continue;
    auto* iface = new TavSoftware::Interface();
    iface->SetName(f.name);
    for (const auto& [seq, nv] : f.children) {
      MdtBase::Property* child = seq == TavSoftware::Interface::PROPERTIES
                                     ? static_cast<MdtBase::Property*>(new TavSoftware::Property())
                                     : new TavSoftware::Function();
      child->SetName(nv.first);
      child->SetMdtValuePtr(new MdtBase::StrVal(nv.second));
      if (iface->AddProperty(seq, child) < 0) delete child;
    }
    if (inst->AddProperty(Inst::INTERFACES, iface) < 0) delete iface;
  }
  if (!s.comment.IsEmpty()) inst->SetComment(s.comment);
  return dropped;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

// Whether the driver's definition lists `ipType` among its supported
// peripherals; true when it lists none (a generic driver).
bool Supports(TavSoftware::DrvInst* inst, const std::string& ipType) {
  auto* mdd = dynamic_cast<TavSoftware::Mdd*>(DefinitionOf(inst));
  if (!mdd) return true;
  const String list = mdd->GetPropertyValueStr(2, "supported_peripherals");
  if (list.empty()) return true;
  std::string word;
  for (char c : std::string(list) + " ") {
    if (c == '(' || c == ')' || c == ',' || c == ' ' || c == '\t') {
      if (!word.empty() && Port::EqualsNoCase(word, ipType)) return true;
      word.clear();
    } else {
      word += c;
    }
  }
  return false;
}

class EditCommand : public Command {
 public:
  const char* Name() const override { return "edit"; }
  const char* Help() const override {
    return "Change an MSS: the actions are applied in the order given, then the file is written "
           "once when it changed, only the lines that changed (never when an action was refused, "
           "and only after the new text was read back and found to say what was meant)";
  }
  void Declare(CLI::App& app) override {
    app_ = &app;
    app.add_option("system", mss_, "The MSS file")->required();
    app.add_option("--hw", hw_,
                   "The hardware description (JSON); without it, the file the MSS names in "
                   "HW_SPEC_FILE");
    app.add_option("--proc", proc_, "The processor --os, --add-lib and --del-lib act on "
                                    "(needed when the MSS has several)");
    app.add_flag("--dry-run", dryRun_,
                 "Write nothing; print what would change as a unified diff");
    app.add_flag("--force", force_,
                 "Insist: set a parameter the definition does not declare or a value not of "
                 "its type, give a driver to hardware it does not name as supported, write an "
                 "edit the build would reject");
    repos_.Declare(app);
    const std::pair<const char*, const char*> actions[] = {
        {"--set", "COMPONENT.PARAM=VALUE: set a parameter or array (COMPONENT: a hardware "
                  "instance for drivers and processors, an OS or library name)"},
        {"--unset", "COMPONENT.PARAM: remove a parameter or array"},
        {"--driver", "HWINST=NAME[:VERSION]: give a hardware instance that driver, keeping the "
                     "settings the driver declares"},
        {"--remove-driver", "HWINST: remove the driver of a hardware instance"},
        {"--os", "NAME[:VERSION]: the processor's OS, keeping the settings it declares"},
        {"--add-lib", "NAME[:VERSION]: add a library to the processor"},
        {"--del-lib", "NAME[:VERSION]: remove a library of the processor"},
        {"--rename", "OLD=NEW: rename a hardware instance wherever the MSS names it"}};
    for (const auto& [name, help] : actions) values_[name] = {};
    // Each action takes exactly one value: the MSS file after it is no
    // second value.
    for (const auto& [name, help] : actions)
      app.add_option(name, values_[name], help)->allow_extra_args(false);
  }
  int Run(Context& ctx) override {
    // The actions in command-line order: the parse order of the options,
    // each option's values taken one after another.
    std::map<std::string, size_t> next;
    std::vector<Action> actions;
    for (const CLI::Option* opt : app_->parse_order()) {
      if (opt->get_lnames().empty()) continue;  // the positional file
      const std::string name = "--" + opt->get_lnames().front();
      auto it = values_.find(name);
      if (it == values_.end()) continue;
      size_t& k = next[name];
      if (k < it->second.size()) actions.push_back({name, it->second[k++]});
    }
    // An action written wrongly is a mistake of the command line, found
    // before anything is read.
    for (const Action& a : actions) {
      const std::string why = Malformed(a);
      if (!why.empty()) {
        ctx.diag.Tool(MsgSeverity::kError, a.option + " " + Shown(a.value) + ": " + why);
        return kTavswUsage;
      }
    }
    if (hw_.empty() && !Port::File::isfile(mss_)) {
      ctx.diag.Tool(MsgSeverity::kError,
                    Port::File::exist(mss_) ? "cannot be read" : "no such file", mss_);
      return kTavswErrors;
    }
    if (const int status = DefaultHw(ctx, mss_, hw_, true); status != kTavswOk) return status;
    hw_ptr_ = ReadHw(hw_);
    if (!hw_ptr_) return kTavswErrors;
    auto man = repos_.Make(ctx);
    if (!man) return kTavswErrors;
    std::string original;
    if (!Port::File::isfile(mss_) || !ReadWholeFile(mss_, original)) {
      ctx.diag.Tool(MsgSeverity::kError,
                    Port::File::exist(mss_) ? "cannot be read" : "no such file", mss_);
      return kTavswErrors;
    }
    // A file the reader cannot read cleanly is never rewritten (text would
    // be lost); problems the checks find (a hardware instance renamed away)
    // are reported and may be what the actions mend.
    MssSnapshot before;
    Mss probe;
    if (ReaderErrors(mss_, probe, before)) {
      ctx.diag.Tool(MsgSeverity::kError, "has errors; nothing was changed", mss_);
      return kTavswErrors;
    }
    SwSystem system(hw_ptr_, Port::FileName(mss_).GetBase().c_str());
    system.SetBaseNodePtr(SwSystem::REPOS_MAN, man.get());
    system.ParseMss(mss_.c_str());
    renames_.clear();
    std::string text = original;
    for (const Action& a : actions) {
      const int errorsBefore = ctx.diag.Errors();
      std::string why = Apply(ctx, system, man.get(), a);
      // An error the library reported while acting is a refusal too.
      if (why.empty() && ctx.diag.Errors() != errorsBefore) why = "the errors above";
      if (why.empty()) {
        bool standard = false;
        text = EditedText(original, before, *system.GetMss(), renames_, standard);
        if (standard && !fellBack_) {
          fellBack_ = true;
          ctx.diag.Tool(MsgSeverity::kWarning,
                        "its blocks do not match what it reads as; it is written in the "
                        "standard layout",
                        mss_);
        }
        why = ReadBackProblem(text, *system.GetMss());
        if (!why.empty()) why = "the text it makes " + why;
      }
      if (!why.empty()) {
        ctx.diag.Tool(MsgSeverity::kError, a.option + " " + Shown(a.value) + ": " + why, mss_);
        if (!closest_.empty()) ctx.diag.Note(closest_);
        ctx.diag.Tool(MsgSeverity::kError, "not written: an action was refused", mss_);
        return kTavswErrors;
      }
    }
    if (text == original) {
      ctx.out << "unchanged\n";
      return kTavswOk;
    }
    // What build would now report and did not before the edit: the same
    // messages, so that the user meets them here rather than there.
    if (!force_) {
      std::set<std::string> was;
      for (const MsgRecord& m : BuildErrors(probe, *man)) was.insert(Diagnostics::Key(m));
      int added = 0;
      for (const MsgRecord& m : BuildErrors(*system.GetMss(), *man))
        if (!was.count(Diagnostics::Key(m))) {
          ctx.diag.Report(m);
          ++added;
        }
      if (added) {
        ctx.diag.Tool(MsgSeverity::kError,
                      "not written: the edit makes errors build reports (--force writes anyway)",
                      mss_);
        return kTavswErrors;
      }
    }
    if (dryRun_) {
      ctx.out << UnifiedDiff(original, text, mss_, mss_);
      return kTavswOk;
    }
    const std::string failure = WriteFileAtomically(mss_, text);
    if (!failure.empty()) {
      ctx.diag.Tool(MsgSeverity::kError, "could not be written: " + failure, mss_);
      return kTavswUsage;
    }
    ctx.out << "written\n";
    return kTavswOk;
  }

 private:
  // A value as a message shows it: line breaks and NULs spelled out.
  static std::string Shown(const std::string& v) {
    std::string out;
    for (char c : v) {
      if (c == '\n') out += "\\n";
      else if (c == '\r') out += "\\r";
      else if (c == '\0') out += "\\0";
      else out += c;
    }
    return out;
  }

  // True when the reader reports errors in the file; its messages are then
  // passed on (once), otherwise dropped, as the session reads the file again.
  // `snapshot` receives the components as read.
  // The errors building the runtime model of `mss` reports, held back.
  std::vector<MsgRecord> BuildErrors(const Mss& mss, TavSoftware::SwReposMan& man) const {
    struct Hold : MsgSink {
      MsgSink* previous = Port_MsgManData::SetSink(this);
      std::vector<MsgRecord> held;
      void Report(const MsgRecord& m) override {
        if (m.severity == MsgSeverity::kError) held.push_back(m);
      }
      ~Hold() override { Port_MsgManData::SetSink(previous); }
    } hold;
    int errors = 0;
    std::unique_ptr<TavSoftware::SwRTClass> model(
        TavSoftware::SwRTUtil::CreateSwRTObject(hw_ptr_, &mss, man, errors, nullptr));
    return std::move(hold.held);
  }

  static bool ReaderErrors(const std::string& file, Mss& probe, MssSnapshot& snapshot) {
    struct Hold : MsgSink {
      MsgSink* previous = Port_MsgManData::SetSink(this);
      std::vector<MsgRecord> held;
      void Report(const MsgRecord& m) override { held.push_back(m); }
    } hold;
    const bool bad = TavSoftware::ParseMss::Parse(file, &probe) != 0;
    Port_MsgManData::SetSink(hold.previous);
    if (bad && hold.previous)
      for (const MsgRecord& m : hold.held) hold.previous->Report(m);
    snapshot = TakeSnapshot(probe);
    return bad;
  }

  // The processor instance the OS and library actions act on; empty, with
  // `why` set, when there is none or several.
  std::string Processor(Mss* mss, std::string& why) const {
    if (!proc_.empty()) return proc_;
    const auto& procs = mss->GetPsfCompSeqRef(Mss::PROCESSORS);
    if (procs.size() != 1) {
      why = procs.empty() ? "the MSS has no processor" : "the MSS has several processors; name one with --proc";
      return std::string();
    }
    return static_cast<TavSoftware::DrvInst*>(procs[0])
        ->GetPropertyValueStr(TavSoftware::DrvInst::PARAMETERS, "HW_INSTANCE");
  }

  // The instance a COMPONENT word names: the driver or processor of a
  // hardware instance, else the OS or library of that name.
  static MdtBase::PsfComp* Component(Mss* mss, const String& name) {
    if (auto* d = MssUtil::GetDrvInstByHwInstName(mss, name)) return d;
    if (auto* o = MssUtil::GetOsInstByNameVer(mss, name, "")) return o;
    return MssUtil::GetLibInstByNameVer(mss, name, "");
  }

  // What is wrong with how an action is written; "" when nothing.
  static std::string Malformed(const Action& a) {
    const std::string& v = a.value;
    const size_t eq = v.find('=');
    if (a.option == "--set" || a.option == "--unset") {
      if (a.option == "--set" && eq == std::string::npos) return "expected COMPONENT.PARAM=VALUE";
      if (a.option == "--unset" && eq != std::string::npos) return "expected COMPONENT.PARAM";
      const std::string target = v.substr(0, eq);
      const size_t dot = target.rfind('.');
      if (dot == std::string::npos || dot == 0 || dot + 1 == target.size())
        return a.option == "--set" ? "expected COMPONENT.PARAM=VALUE" : "expected COMPONENT.PARAM";
      return "";
    }
    if (a.option == "--driver" && (eq == std::string::npos || eq == 0 || eq + 1 == v.size()))
      return "expected HWINST=NAME[:VERSION]";
    if (a.option == "--rename" && (eq == std::string::npos || eq == 0 || eq + 1 == v.size()))
      return "expected OLD=NEW";
    if (v.empty()) return "a value is needed";
    return "";
  }

  // --set and --unset of one parameter or array of a component.
  std::string SetOrUnset(MdtBase::PsfComp* comp, const std::string& param, const std::string* value) {
    for (const auto& id : kIdentityParams)
      if (Port::EqualsNoCase(param, id.name))
        return "the component's " + std::string(id.name) + " is changed with " + id.action;
    auto* drv = dynamic_cast<TavSoftware::DrvInst*>(comp);
    auto* lib = dynamic_cast<TavSoftware::LibInst*>(comp);
    auto find = [&](int seq) -> MdtBase::Property* {
      return drv ? drv->GetPropertyByName(seq, param) : lib->GetPropertyByName(seq, param);
    };
    auto del = [&](int seq, MdtBase::Property* p) {
      return drv ? drv->DelProperty(seq, p) : lib->DelProperty(seq, p);
    };
    // The reader takes names ignoring case: an existing parameter or array
    // of that name is the one meant.
    MdtBase::Property* asParam = find(TavSoftware::DrvInst::PARAMETERS);
    MdtBase::Property* asArray = find(TavSoftware::DrvInst::ARRAYS);
    if (!value) {
      if (asParam) return del(TavSoftware::DrvInst::PARAMETERS, asParam) == 0 ? "" : "refused";
      if (asArray) return del(TavSoftware::DrvInst::ARRAYS, asArray) == 0 ? "" : "refused";
      return "no such parameter";
    }
    std::string why = BadName(param);
    if (why.empty()) why = BadValue(*value);
    if (!why.empty()) return why;
    if (drv && !dynamic_cast<TavSoftware::ProcInst*>(comp) && Port::StartsNoCase(param, "INT_HANDLER"))
      return "an INT_HANDLER parameter is not kept in a driver";
    const bool isArray = (*value)[0] == '(';
    if (isArray && dynamic_cast<TavSoftware::ProcInst*>(comp))
      return "a processor keeps no array values";
    MdtBase::BaseNode* def = DefinitionOf(comp);
    if (isArray) {
      why = BadArray(def, param, *value);
      if (!why.empty()) return why;
    }
    if (!asParam && !asArray && !force_ && !Declares(def, param, false))
      return "'" + param + "' is not declared by " + comp->GetName() + Suggestions(def, param) +
             " (--force sets it anyway)";
    if (!isArray && !force_) {
      why = BadTyped(def, comp->GetName(), param, *value);
      if (!why.empty()) return why;
    }
    String name = asParam ? asParam->GetName() : asArray ? asArray->GetName() : String(Upper(param));
    const int seq = isArray ? TavSoftware::DrvInst::ARRAYS : TavSoftware::DrvInst::PARAMETERS;
    // A parameter that becomes an array (or the other way) changes place.
    if (asParam && isArray) del(TavSoftware::DrvInst::PARAMETERS, asParam);
    if (asArray && !isArray) del(TavSoftware::DrvInst::ARRAYS, asArray);
    MdtBase::Property* p = drv ? drv->CreateAddPropertySetValue(seq, name, *value)
                               : lib->CreateAddPropertySetValue(seq, name, *value);
    return p ? "" : "refused";
  }

  // Why the array reader would not keep `value` as the user wrote it, or
  // the definition has fewer columns than a row; "" when neither.
  static std::string BadArray(MdtBase::BaseNode* def, const std::string& name,
                              const std::string& value) {
    TavSoftware::ArrayInst rows;
    rows.SetName(name);
    rows.SetMdtValuePtr(new MdtBase::StrVal(String()));
    rows.SetValueStr(value);
    std::ostringstream printed;
    MdtBase::UtStreamWriter writer(printed);
    TavSoftware::SwPropertyUtil::PrintArrayInst(&rows, "ARRAYINST", &writer);
    writer.Commit();
    std::string kept = printed.str();
    const size_t eq = kept.find(" = ");
    kept = eq == std::string::npos ? std::string() : kept.substr(eq + 3);
    while (!kept.empty() && kept.back() == '\n') kept.pop_back();
    auto bare = [](std::string s) {
      s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; }),
              s.end());
      return s;
    };
    if (bare(kept) != bare(value))
      return "the array value would be read as " + (kept.empty() ? "nothing" : kept) +
             "; write the rows as ((a,b),(c,d))";
    const TavSoftware::Array* array = nullptr;
    if (auto* mdd = dynamic_cast<TavSoftware::Mdd*>(def))
      array = dynamic_cast<const TavSoftware::Array*>(mdd->GetPropertyByName(6, name));
    else if (auto* mld = dynamic_cast<TavSoftware::Mld*>(def))
      array = dynamic_cast<const TavSoftware::Array*>(mld->GetPropertyByName(6, name));
    if (!array) return "";
    const auto& columns = array->GetPropSeqRef(TavSoftware::Array::PARAMETERS);
    const auto& elements = rows.GetPropSeqRef(TavSoftware::ArrayInst::ELEMENTS);
    for (size_t r = 0; r < elements.size(); ++r) {
      auto* row = dynamic_cast<const TavSoftware::Element*>(elements[r]);
      const size_t n = row ? row->GetPropSeqRef(TavSoftware::Element::PARAMETERS).size() : 0;
      if (!columns.empty() && n > columns.size()) {
        std::string names;
        for (const MdtBase::Property* c : columns) names += (names.empty() ? "" : ", ") + c->GetName();
        return "row " + std::to_string(r + 1) + " has " + std::to_string(n) + " values; " + name +
               " has " + std::to_string(columns.size()) + " columns (" + names + ")";
      }
    }
    return "";
  }

  // Why `value` does not have the type the definition declares for the
  // parameter; "" when it has, or the type is not int or bool. The model
  // check of build tells the other types (enum values, peripheral
  // instances, ranges) and is run on the edit afterwards.
  static std::string BadTyped(MdtBase::BaseNode* def, const std::string& comp,
                              const std::string& param, const std::string& value) {
    const MdtBase::Property* p = nullptr;
    if (auto* mdd = dynamic_cast<TavSoftware::Mdd*>(def))
      p = mdd->GetPropertyByName(3, param);
    else if (auto* mld = dynamic_cast<TavSoftware::Mld*>(def))
      p = mld->GetPropertyByName(3, param) ? mld->GetPropertyByName(3, param)
                                            : mld->GetPropertyByName(4, param);
    if (!p) return "";
    const String type = p->GetPsfCompValueStr("type");
    if (type.EqualsNoCase("int")) {
      std::string_view digits(value);
      if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
      bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
      if (hex) digits.remove_prefix(2);
      bool ok = !digits.empty();
      for (char c : digits)
        ok = ok && (hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                        : std::isdigit(static_cast<unsigned char>(c)) != 0);
      if (!ok) return "'" + value + "' is no int, which " + comp + " declares " + p->GetName() + " to be";
    } else if (type.EqualsNoCase("bool")) {
      if (!Port::EqualsNoCase(value, "true") && !Port::EqualsNoCase(value, "false"))
        return "'" + value + "' is neither true nor false, which " + comp + " declares " +
               p->GetName() + " to be";
    }
    return "";
  }

  // Applies one well-formed action; the reason when it is refused, else "".
  std::string Apply(Context& ctx, SwSystem& system, TavSoftware::SwReposMan* man,
                    const Action& a) {
    closest_.clear();
    std::string why = Act(ctx, system, man, a);
    if (why.empty()) return why;
    // The names the refused action may have meant.
    Mss* mss = system.GetMss();
    const std::string& v = a.value;
    const size_t eq = v.find('=');
    if (why == "no such component") {
      std::string target = v.substr(0, eq);
      if (a.option != "--remove-driver") target = target.substr(0, target.rfind('.'));
      closest_ = DidYouMean(ClosestNames(target, ComponentNames(mss, a.option != "--remove-driver")));
    } else if (why == "no such parameter") {
      const std::string target = v.substr(0, eq);
      const size_t dot = target.rfind('.');
      std::vector<std::string> names;
      if (MdtBase::PsfComp* comp = Component(mss, target.substr(0, dot)))
        for (int seq : {TavSoftware::DrvInst::PARAMETERS, TavSoftware::DrvInst::ARRAYS}) {
          auto* drv = dynamic_cast<TavSoftware::DrvInst*>(comp);
          auto* lib = dynamic_cast<TavSoftware::LibInst*>(comp);
          for (const MdtBase::Property* p : drv ? drv->GetPropSeqRef(seq) : lib->GetPropSeqRef(seq))
            if (p) names.push_back(p->GetName());
        }
      closest_ = DidYouMean(ClosestNames(target.substr(dot + 1), names));
    } else if (why.starts_with("no hardware instance '")) {
      closest_ = DidYouMean(ClosestNames(v.substr(0, eq), hw_ptr_->GetAllInstNames()));
    } else if (why.starts_with("no processor instance '")) {
      closest_ = DidYouMean(ClosestNames(proc_, hw_ptr_->GetProcessorInstNames()));
    } else if (why == "no such core" && man) {
      const std::string named = a.option == "--driver" ? v.substr(eq + 1) : v;
      std::vector<TavSoftware::SwCore*> all;
      man->GetSwCoreSeqRef(all);
      std::vector<std::string> names;
      for (const TavSoftware::SwCore* c : all)
        if ((c->GetPsfKind() == 1) == (a.option == "--driver")) names.push_back(c->GetName());
      closest_ = DidYouMean(ClosestNames(named.substr(0, named.find(':')), names));
    }
    return why;
  }

  // The words a COMPONENT may be: the hardware instances of the drivers and
  // processors, with `named` also the OS and library names.
  static std::vector<std::string> ComponentNames(Mss* mss, bool named) {
    std::vector<std::string> names;
    for (int seq : {Mss::DRIVERS, Mss::PROCESSORS})
      for (const MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq))
        if (auto* d = dynamic_cast<const TavSoftware::DrvInst*>(c))
          names.push_back(d->GetPropertyValueStr(TavSoftware::DrvInst::PARAMETERS, "HW_INSTANCE"));
    if (named)
      for (int seq : {Mss::OSES, Mss::LIBRARIES})
        for (const MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq))
          if (c) names.push_back(c->GetName());
    return names;
  }

  std::string Act(Context& ctx, SwSystem& system, TavSoftware::SwReposMan* man,
                  const Action& a) {
    Mss* mss = system.GetMss();
    const std::string& v = a.value;
    if (a.option == "--set" || a.option == "--unset") {
      const size_t eq = v.find('=');
      const std::string target = v.substr(0, eq);
      const size_t dot = target.rfind('.');
      MdtBase::PsfComp* comp = Component(mss, target.substr(0, dot));
      if (!comp) return "no such component";
      const std::string value = a.option == "--set" ? v.substr(eq + 1) : std::string();
      return SetOrUnset(comp, target.substr(dot + 1), a.option == "--set" ? &value : nullptr);
    }
    if (a.option == "--driver") {
      const size_t eq = v.find('=');
      const String hwInst = v.substr(0, eq);
      auto [name, version] = NameVersion(v.substr(eq + 1));
      TavSoftware::DrvInst* old = MssUtil::GetDrvInstByHwInstName(mss, hwInst);
      if (old && old->GetName().EqualsNoCase(name) &&
          (version == "*" || old->GetPropertyValueStr(TavSoftware::DrvInst::PARAMETERS, "DRIVER_VER")
                                 .EqualsNoCase(version)))
        return "";
      if (!old && !hw_ptr_->IsInstPresent(hwInst))
        return "no hardware instance '" + hwInst + "'";
      Settings kept;
      if (old) kept = TakeSettings(old);
      if (system.SetDriver(hwInst, name, version) < 0) return "no such core";
      TavSoftware::DrvInst* now = MssUtil::GetDrvInstByHwInstName(mss, hwInst);
      if (!now) return "no such core";
      const std::string ipType = hw_ptr_->GetIpType(hwInst);
      if (!force_ && !ipType.empty() && !Supports(now, ipType))
        return name + " does not name " + ipType + " among its supported peripherals (--force "
               "gives it anyway)";
      Dropped(ctx, a, GiveSettings(now, DefinitionOf(now), kept));
      return "";
    }
    if (a.option == "--remove-driver")
      return system.RemoveDriver(v) == 0 ? "" : "no such component";
    if (a.option == "--rename") {
      const size_t eq = v.find('=');
      const std::string to = v.substr(eq + 1);
      std::string why = BadName(to);
      if (!why.empty()) return "'" + to + "' is not an instance name";
      // Onto a name the MSS uses, two instances would become one. Onto a
      // hardware instance only when the old name is no longer the
      // hardware's: the MSS follows a renaming of the hardware, and never
      // moves a component from one hardware instance to another.
      if (MssUtil::GetDrvInstByHwInstName(mss, to) ||
          (hw_ptr_->IsInstPresent(to) && hw_ptr_->IsInstPresent(v.substr(0, eq))))
        return "'" + to + "' already names an instance";
      why = Rename(system, v.substr(0, eq), to);
      if (why.empty()) renames_.push_back({v.substr(0, eq), to});
      return why;
    }
    std::string why;
    const std::string proc = Processor(mss, why);
    if (proc.empty()) return why;
    auto [name, version] = NameVersion(v);
    if (a.option == "--os") {
      TavSoftware::SwComponent* comp = system.GetSwComponentByHwInstName(proc.c_str());
      if (!comp) return "no such component";
      TavSoftware::OsInst* old = nullptr;
      for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(Mss::OSES)) {
        auto* o = dynamic_cast<TavSoftware::OsInst*>(c);
        if (o && Port::EqualsNoCase(o->GetPropertyValueStr(TavSoftware::LibInst::PARAMETERS,
                                                           "PROC_INSTANCE"),
                                    proc))
          old = o;
      }
      if (old && old->GetName().EqualsNoCase(name) &&
          (version == "*" ||
           old->GetPropertyValueStr(TavSoftware::LibInst::PARAMETERS, "OS_VER").EqualsNoCase(version)))
        return "";
      Settings kept;
      if (old) kept = TakeSettings(old);
      if (TavSoftware::SwComponentUtil::SetOsInfo(comp, name, version) < 0) return "no such core";
      for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(Mss::OSES)) {
        auto* o = dynamic_cast<TavSoftware::OsInst*>(c);
        if (o && o->GetName().EqualsNoCase(name) &&
            Port::EqualsNoCase(o->GetPropertyValueStr(TavSoftware::LibInst::PARAMETERS, "PROC_INSTANCE"),
                               proc))
          Dropped(ctx, a, GiveSettings(o, DefinitionOf(o), kept));
      }
      return "";
    }
    if (a.option == "--add-lib") {
      for (TavSoftware::SwCore* c : CoresNamed(*man, name))
        if (c->GetPsfKind() == 1) return "'" + name + "' is a driver, not a library";
      if (!hw_ptr_->IsInstPresent(proc)) return "no processor instance '" + proc + "'";
      const int code = MssUtil::AddLibrary(mss, man, name, version, proc, nullptr);
      system.UpdateComponentLinks();
      return code >= 0 ? "" : "no such core";
    }
    const int code = MssUtil::DelLibrary(mss, name, version, proc);
    system.UpdateComponentLinks();
    return code == 0 ? "" : code == 1 ? "that library has another version"
                                      : "no such library on that processor";
  }

  // What a changed component no longer holds, said once per action.
  void Dropped(Context& ctx, const Action& a, const std::vector<std::string>& names) const {
    if (names.empty()) return;
    ctx.diag.Tool(MsgSeverity::kWarning,
                  a.option + " " + a.value + ": drops what the new definition does not declare: " +
                      Joined(names),
                  mss_);
  }

  static std::vector<TavSoftware::SwCore*> CoresNamed(TavSoftware::SwReposMan& man,
                                                      const String& name) {
    std::vector<TavSoftware::SwCore*> all, out;
    man.GetSwCoreSeqRef(all);
    for (TavSoftware::SwCore* c : all)
      if (c->GetName().EqualsNoCase(name)) out.push_back(c);
    return out;
  }

  // A hardware instance renamed: the instances placed on it and every
  // parameter that names it.
  static std::string Rename(SwSystem& system, const String& from, const String& to) {
    Mss* mss = system.GetMss();
    int changed = 0;
    const std::pair<int, const char*> links[] = {{Mss::DRIVERS, "HW_INSTANCE"},
                                                 {Mss::PROCESSORS, "HW_INSTANCE"},
                                                 {Mss::OSES, "PROC_INSTANCE"},
                                                 {Mss::LIBRARIES, "PROC_INSTANCE"}};
    for (const auto& [seq, param] : links)
      for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq)) {
        auto* p = seq == Mss::DRIVERS || seq == Mss::PROCESSORS
                      ? static_cast<TavSoftware::DrvInst*>(c)->GetPropertyByName(1, param)
                      : static_cast<TavSoftware::LibInst*>(c)->GetPropertyByName(1, param);
        if (p && Port::EqualsNoCase(p->GetValueStr(), from)) {
          p->SetValueStr(to);
          ++changed;
        }
      }
    changed += MssUtil::RenameIPInstanceName(mss, from, to);
    system.UpdateComponentLinks();
    return changed ? "" : "no instance names it";
  }

  CLI::App* app_ = nullptr;
  std::string mss_, hw_, proc_;
  std::string closest_;  // the note for the last refused action
  bool dryRun_ = false, force_ = false, fellBack_ = false;
  boost::shared_ptr<TavHwDb::HwDbFile> hw_ptr_;
  std::vector<std::pair<std::string, std::string>> renames_;
  RepoOptions repos_;
  std::map<std::string, std::vector<std::string>> values_;
};

class NewCommand : public Command {
 public:
  const char* Name() const override { return "new"; }
  const char* Help() const override {
    return "Make the MSS of a processor of the hardware: a driver for each instance it "
           "addresses, an OS, or what a template MSS chooses";
  }
  void Declare(CLI::App& app) override {
    app.add_option("-o,--output", out_, "The MSS file to write ('-': standard output)")->required();
    app.add_option("--hw", hw_, "The hardware description (JSON)")->required();
    app.add_option("--proc", proc_, "The processor instance")->required();
    app.add_option("--os", os_, "The OS, NAME[:VERSION] (any version when none is given)");
    app.add_option("--template", template_,
                   "Take drivers, OS, libraries and their settings from this MSS");
    app.add_flag("--force", force_, "Overwrite an existing output file");
    repos_.Declare(app);
  }
  int Run(Context& ctx) override {
    const bool toStdout = out_ == "-";
    if (!toStdout && Port::File::exist(out_) && !force_) {
      ctx.diag.Tool(MsgSeverity::kError, "exists; --force overwrites it", out_);
      return kTavswUsage;
    }
    auto hw = ReadHw(hw_);
    if (!hw) return kTavswErrors;
    auto man = repos_.Make(ctx);
    if (!man) return kTavswErrors;
    if (!IsProcessor(ctx, *hw, hw_, proc_)) return kTavswErrors;
    SwSystem system(hw, toStdout ? "system" : Port::FileName(out_).GetBase().c_str());
    system.SetBaseNodePtr(SwSystem::REPOS_MAN, man.get());
    int code;
    auto [osName, osVersion] = NameVersion(os_);
    if (!template_.empty()) {
      code = system.CreateMssFromTemplate(proc_.c_str(), template_.c_str());
    } else {
      code = system.CreateMss(proc_.c_str(), os_.empty() ? nullptr : osName.c_str(),
                              os_.empty() ? "*" : osVersion.c_str());
    }
    if (code != 0) {
      ctx.diag.Tool(MsgSeverity::kError,
                    template_.empty() ? "no MSS made: no such OS for this processor"
                                      : "no MSS made from the template",
                    template_.empty() ? out_ : template_);
      return kTavswErrors;
    }
    Mss* mss = system.GetMss();
    // The OS asked for, or none at all: an MSS without it is not what was
    // asked.
    if (!os_.empty() && (!system.GetOsName().EqualsNoCase(osName) ||
                         (osVersion != "*" && !system.GetOsVersion().EqualsNoCase(osVersion)))) {
      ctx.diag.Tool(MsgSeverity::kError,
                    "no MSS made: the repositories hold no OS '" + osName + "'" +
                        (osVersion == "*" ? std::string() : " version " + osVersion) + " for " +
                        proc_);
      return kTavswErrors;
    }
    if (!template_.empty()) KeepFromTemplate(ctx, *mss);
    // A driver is only given to hardware it names as supported.
    std::vector<std::string> insts{proc_};
    for (const std::string& i : hw->GetAddressableInstNames(proc_))
      if (!i.empty()) insts.push_back(i);
    // One index of the instances by hardware instance: a lookup each would
    // make a large system quadratic.
    std::map<std::string, TavSoftware::DrvInst*> byHw;
    for (int seq : {Mss::PROCESSORS, Mss::DRIVERS})
      for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq))
        if (auto* d = dynamic_cast<TavSoftware::DrvInst*>(c))
          byHw.emplace(
              Upper(d->GetPropertyValueStr(TavSoftware::DrvInst::PARAMETERS, "HW_INSTANCE")), d);
    for (const std::string& i : insts) {
      auto it = byHw.find(Upper(i));
      TavSoftware::DrvInst* d = it == byHw.end() ? nullptr : it->second;
      const std::string type = hw->GetIpType(i);
      if (!d || type.empty() || Supports(d, type)) continue;
      ctx.diag.Tool(MsgSeverity::kWarning,
                    i + " is left without a driver: " + std::string(d->GetName()) +
                        " does not name " + type + " among its supported peripherals",
                    template_.empty() ? hw_ : template_);
      system.RemoveDriver(i);
      byHw.erase(it);
    }
    const std::string text = TavSoftware::WriteMss::ToText(*mss);
    const std::string why = ReadBackProblem(text, *mss);
    if (!why.empty()) {
      ctx.diag.Tool(MsgSeverity::kError, "not written: the MSS made " + why,
                    toStdout ? std::string() : out_);
      return kTavswErrors;
    }
    if (toStdout) {
      ctx.out << text;
      return kTavswOk;
    }
    const std::string failure = WriteFileAtomically(out_, text);
    if (!failure.empty()) {
      ctx.diag.Tool(MsgSeverity::kError, "could not be written: " + failure, out_);
      return kTavswUsage;
    }
    for (const std::string& i : insts) {
      auto it = byHw.find(Upper(i));
      ctx.out << i << ": "
              << (it == byHw.end()
                      ? std::string("no driver")
                      : it->second->GetName() + " " +
                            it->second->GetPropertyValueStr(TavSoftware::DrvInst::PARAMETERS,
                                                            "DRIVER_VER"))
              << "\n";
    }
    const String os = system.GetOsName();
    ctx.out << "os: " << (os.empty() ? "none" : os + " " + system.GetOsVersion()) << "\n";
    return kTavswOk;
  }

 private:
  // What making an MSS from a template leaves out: the template's
  // HW_SPEC_FILE, and the arrays, interfaces and comments of each component
  // that kept its driver (or OS, or library), where its definition declares
  // them.
  void KeepFromTemplate(Context& ctx, Mss& made) {
    Mss templ;
    {
      struct Quiet : MsgSink {
        MsgSink* previous = Port_MsgManData::SetSink(this);
        void Report(const MsgRecord&) override {}
        ~Quiet() override { Port_MsgManData::SetSink(previous); }
      } quiet;  // the session read the template already and said what it found
      TavSoftware::ParseMss::Parse(template_, &templ);
    }
    const String spec = templ.GetPsfCompValueStr(Mss::PARAMETERS, "HW_SPEC_FILE");
    if (!spec.empty() && !made.GetPsfCompByName(Mss::PARAMETERS, "HW_SPEC_FILE")) {
      auto* p = new TavSoftware::Param();
      p->SetName("HW_SPEC_FILE");
      p->SetMdtValuePtr(new MdtBase::StrVal(spec));
      made.AddPsfComp(Mss::PARAMETERS, p);
    }
    std::vector<std::string> dropped;
    auto carry = [&](auto* from, auto* to) {
      using Inst = std::remove_pointer_t<decltype(to)>;
      if (!from || !to || !from->GetName().EqualsNoCase(to->GetName())) return;
      Settings s;
      for (const MdtBase::Property* p : from->GetPropSeqRef(Inst::ARRAYS))
        if (!to->GetPropertyByName(Inst::ARRAYS, p->GetName()))
          s.values.push_back({Inst::ARRAYS, p->GetName(), p->GetValueStr()});
      const Settings all = TakeSettings(from);
      s.ifaces = all.ifaces;
      s.comment = all.comment;
      for (const std::string& n : GiveSettings(to, DefinitionOf(to), s))
        dropped.push_back(std::string(to->GetName()) + " " + n);
    };
    for (int seq : {Mss::DRIVERS, Mss::PROCESSORS})
      for (MdtBase::PsfComp* c : templ.GetPsfCompSeqRef(seq)) {
        auto* from = dynamic_cast<TavSoftware::DrvInst*>(c);
        const String inst = from->GetPropertyValueStr(TavSoftware::DrvInst::PARAMETERS, "HW_INSTANCE");
        carry(from, MssUtil::GetDrvInstByHwInstName(&made, inst));
      }
    for (int seq : {Mss::OSES, Mss::LIBRARIES})
      for (MdtBase::PsfComp* c : templ.GetPsfCompSeqRef(seq)) {
        auto* from = dynamic_cast<TavSoftware::LibInst*>(c);
        for (MdtBase::PsfComp* m : made.GetPsfCompSeqRef(seq))
          if (m->GetName().EqualsNoCase(c->GetName()))
            carry(from, dynamic_cast<TavSoftware::LibInst*>(m));
      }
    if (!dropped.empty())
      ctx.diag.Tool(MsgSeverity::kWarning,
                    "not taken, as the definitions do not declare them: " + Joined(dropped),
                    template_);
  }

  std::string out_, hw_, proc_, os_, template_;
  bool force_ = false;
  RepoOptions repos_;
};

// Which cores a query's NAME VERSION names.
enum class CoreKind { kNone, kAny, kDefinition /* library or OS */ };

// One query of the software database: its words, how many arguments, which
// cores its first two arguments name (kNone: they name hardware), and what
// an empty answer lacks.
struct Query {
  const char* name;
  const char* usage;
  int args;
  CoreKind core;
  const char* lacking;
};

const Query kQueries[] = {
    {"dir", "NAME VERSION: the core's data directory", 2, CoreKind::kAny, "no data directory"},
    {"cflags", "NAME VERSION: the library's or OS's compiler flags", 2, CoreKind::kDefinition,
     "no compiler flags"},
    {"ldflags", "NAME VERSION: the library's or OS's linker flags", 2, CoreKind::kDefinition,
     "no linker flags"},
    {"array", "NAME VERSION ARRAY: the columns of an array of a library or OS", 3,
     CoreKind::kDefinition, "no such array"},
    {"osdesc", "NAME VERSION: the description of an OS", 2, CoreKind::kDefinition,
     "no OS description"},
    {"libdesc", "NAME VERSION: the description of a library", 2, CoreKind::kDefinition,
     "no library description"},
    {"oss", "PROCTYPE PROCVERSION: the OSs for a processor", 2, CoreKind::kNone,
     "no OS for that processor"},
    {"bsps", "PROCTYPE PROCVERSION: the board-support packages for a processor", 2,
     CoreKind::kNone, "no board-support package for that processor"},
    {"versions", "NAME: the versions of a core (--kind driver|library|os)", 1, CoreKind::kNone,
     "no active version"},
    {"libs", "OSNAME OSVERSION: the libraries usable with an OS", 2, CoreKind::kDefinition,
     "no library usable with that OS"},
    {"drivers", "IPTYPE IPVERSION: the drivers for an IP", 2, CoreKind::kNone,
     "no driver for that IP"},
};

// The cores of the repositories named `name` that are of `kind`.
std::vector<TavSoftware::SwCore*> CoresNamed(TavSoftware::SwReposMan& man, const String& name,
                                             CoreKind kind) {
  std::vector<TavSoftware::SwCore*> all, out;
  man.GetSwCoreSeqRef(all);
  for (TavSoftware::SwCore* c : all)
    if (c->GetName().EqualsNoCase(name) &&
        (kind != CoreKind::kDefinition || c->GetPsfKind() != 1))
      out.push_back(c);
  return out;
}

// The newest version (versions order byte-wise) of the cores named `name`;
// "" when there is none.
std::string NewestVersion(TavSoftware::SwReposMan& man, const String& name, CoreKind kind) {
  std::string newest;
  for (const TavSoftware::SwCore* c : CoresNamed(man, name, kind))
    if (std::string(c->GetVersion()) > newest) newest = c->GetVersion();
  return newest;
}

class QueryCommand : public Command {
 public:
  const char* Name() const override { return "query"; }
  const char* Help() const override {
    return "Ask the software database: dir, cflags, ldflags, array, osdesc, libdesc, oss, bsps, "
           "versions, libs, drivers (exit 1, saying what was not found, when the answer is "
           "empty); a VERSION of a core may be * for the newest version the repositories hold";
  }
  void Declare(CLI::App& app) override {
    std::string list;
    for (const Query& q : kQueries) list += std::string("\n  ") + q.name + " " + q.usage;
    list += "\nVERSION (of NAME or OSNAME) may be * for the newest version the repositories hold.";
    app.add_option("query", what_, "The query:" + list)->required();
    app.add_option("args", args_, "The query's arguments");
    app.add_option("--kind", kind_, "For versions: driver (default), library or os")
        ->check(CLI::IsMember({"driver", "library", "os"}));
    app.add_flag("--raw", raw_, "Print a text answer exactly as the query gives it");
    repos_.Declare(app);
  }
  int Run(Context& ctx) override {
    const Query* q = nullptr;
    for (const Query& each : kQueries)
      if (what_ == each.name) q = &each;
    if (!q) {
      ctx.diag.Tool(MsgSeverity::kError, "unknown query '" + what_ + "' (see tavsw query --help)");
      return kTavswUsage;
    }
    if (static_cast<int>(args_.size()) != q->args) {
      ctx.diag.Tool(MsgSeverity::kError, std::string("usage: tavsw query ") + q->name + " " + q->usage);
      return kTavswUsage;
    }
    auto man = repos_.Make(ctx);
    if (!man) return kTavswErrors;
    // The facade compares versions as written: "*" is made the newest
    // version here, and a core that is not there is said so.
    std::string subject = args_[0] + (q->args > 1 ? " " + args_[1] : "");
    if (q->core != CoreKind::kNone) {
      std::string& version = args_[1];
      if (version == "*") {
        version = NewestVersion(*man, args_[0], q->core);
        subject = args_[0] + " " + version;
      }
      bool found = false;
      for (const TavSoftware::SwCore* c : CoresNamed(*man, args_[0], q->core))
        found = found || c->GetVersion().EqualsNoCase(version);
      if (!found) {
        const std::string kind = q->core == CoreKind::kAny ? "core" : "library or OS";
        ctx.diag.Tool(MsgSeverity::kError,
                      "no " + kind + " '" + args_[0] + "'" +
                          (args_[1] == "*" || version.empty() ? std::string()
                                                              : " version " + version) +
                          " in the repositories");
        // A name no core has may be mistyped; a version that is not there
        // is no typing error of the name.
        std::vector<TavSoftware::SwCore*> all;
        man->GetSwCoreSeqRef(all);
        std::vector<std::string> names;
        for (const TavSoftware::SwCore* c : all)
          if (q->core != CoreKind::kDefinition || c->GetPsfKind() != 1)
            names.push_back(c->GetName());
        if (CoresNamed(*man, args_[0], q->core).empty()) NoteClosest(ctx, args_[0], names);
        return kTavswErrors;
      }
    }
    auto db = TavSoftware::SwDb::CreateSwDb(man.get());
    auto arg = [&](size_t i) { return String(args_[i]); };
    const std::string w = what_;
    std::vector<String> list;
    String text;
    bool isList = false;
    if (w == "dir") text = db->GetSwCoreDir(arg(0), arg(1));
    else if (w == "cflags") text = db->GetSwCoreAppCompilerFlags(arg(0), arg(1));
    else if (w == "ldflags") text = db->GetSwCoreAppLinkerFlags(arg(0), arg(1));
    else if (w == "array") text = db->GetSwCoreArraySpec(arg(0), arg(1), arg(2));
    else if (w == "osdesc") text = db->GetOsDesc(arg(0), arg(1));
    else if (w == "libdesc") text = db->GetLibDesc(arg(0), arg(1));
    else if (w == "oss") text = db->GetSupportedOSsForProc(arg(0), arg(1));
    else if (w == "bsps") text = db->GetThirdPartyOSsForProc(arg(0), arg(1));
    else {
      isList = true;
      if (w == "versions") list = db->GetAvailableComponentVersions(arg(0), kind_ == "driver" ? 0 : kind_ == "library" ? 1 : 2);
      else if (w == "libs") list = db->GetSwLibrariesForOS(arg(0), arg(1));
      else list = db->GetDriversForHwComponent(arg(0), arg(1));
    }
    if (isList ? list.empty() : text.empty()) {
      if (w == "versions") subject = kind_ + " " + args_[0];
      if (w == "array") subject += ": array " + args_[2];
      ctx.diag.Tool(MsgSeverity::kError, subject + ": " + q->lacking);
      return kTavswErrors;
    }
    if (isList) {
      for (const String& s : list) ctx.out << s << "\n";
      return kTavswOk;
    }
    if (raw_) {
      ctx.out << text << "\n";
    } else if (w == "oss" || w == "bsps") {
      // "name:version:DESC:" per OS: one line each.
      std::vector<std::string> fields;
      std::string field;
      for (char c : text) {
        if (c != ':') {
          field += c;
          continue;
        }
        fields.push_back(field);
        field.clear();
        if (fields.size() == 3) {
          ctx.out << fields[0] << " " << fields[1] << (fields[2].empty() ? "" : "  " + fields[2]) << "\n";
          fields.clear();
        }
      }
    } else if (w == "array") {
      // "column,TYPE,DESC:" per column: one line each.
      std::string line;
      for (char c : text) {
        if (c == ':') {
          ctx.out << line << "\n";
          line.clear();
        } else {
          line += c == ',' ? ' ' : c;
        }
      }
    } else {
      ctx.out << text << "\n";
    }
    return kTavswOk;
  }

 private:
  std::string what_, kind_ = "driver";
  std::vector<std::string> args_;
  bool raw_ = false;
  RepoOptions repos_;
};

class FlagsCommand : public Command {
 public:
  const char* Name() const override { return "flags"; }
  const char* Help() const override {
    return "The compiler options a processor's hardware configuration implies";
  }
  void Declare(CLI::App& app) override {
    app.add_option("--hw", hw_, "The hardware description (JSON)")->required();
    app.add_option("--proc", proc_, "The processor instance")->required();
  }
  int Run(Context& ctx) override {
    auto hw = ReadHw(hw_);
    if (!hw) return kTavswErrors;
    if (!IsProcessor(ctx, *hw, hw_, proc_)) return kTavswErrors;
    ctx.out << MssUtil::GetHwInfFlagsForProc(hw, proc_) << "\n";
    return kTavswOk;
  }

 private:
  std::string hw_, proc_;
};

}  // namespace

std::vector<std::unique_ptr<Command>> MakeEditCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(std::make_unique<NewCommand>());
  commands.push_back(std::make_unique<EditCommand>());
  commands.push_back(std::make_unique<QueryCommand>());
  commands.push_back(std::make_unique<FlagsCommand>());
  return commands;
}

}  // namespace tavsw
