// The commands that make and change an MSS and query the repositories:
// new, edit, query, flags.
#include <boost/shared_ptr.hpp>
#include <map>
#include <memory>
#include <vector>

#include "Command.h"
#include "DrvInst.h"
#include "HwDbFile.h"
#include "LibInst.h"
#include "Mss.h"
#include "MssUtil.h"
#include "OsInst.h"
#include "ParseMss.h"
#include "SwComponentUtil.h"
#include "SwDb.h"
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

class NewCommand : public Command {
 public:
  const char* Name() const override { return "new"; }
  const char* Help() const override {
    return "Make the MSS of a processor of the hardware: a driver for each instance it "
           "addresses, an OS, or what a template MSS chooses";
  }
  void Declare(CLI::App& app) override {
    app.add_option("-o,--output", out_, "The MSS file to write")->required();
    app.add_option("--hw", hw_, "The hardware description (JSON)")->required();
    app.add_option("--proc", proc_, "The processor instance")->required();
    app.add_option("--os", os_, "The OS, NAME[:VERSION] (any version when none is given)");
    app.add_option("--template", template_, "Take drivers, OS and libraries from this MSS");
    app.add_flag("--force", force_, "Overwrite an existing output file");
    repos_.Declare(app);
  }
  int Run(Context& ctx) override {
    if (Port::File::exist(out_) && !force_) {
      ctx.diag.Tool(MsgSeverity::kError, "exists; --force overwrites it", out_);
      return kTavswUsage;
    }
    auto hw = ReadHw(hw_);
    if (!hw) return kTavswErrors;
    auto man = repos_.Make(ctx);
    if (!man) return kTavswErrors;
    if (!IsProcessor(ctx, *hw, hw_, proc_)) return kTavswErrors;
    SwSystem system(hw, Port::FileName(out_).GetBase().c_str());
    system.SetBaseNodePtr(SwSystem::REPOS_MAN, man.get());
    int code;
    if (!template_.empty()) {
      code = system.CreateMssFromTemplate(proc_.c_str(), template_.c_str());
    } else {
      auto [name, version] = NameVersion(os_);
      code = system.CreateMss(proc_.c_str(), os_.empty() ? nullptr : name.c_str(),
                              os_.empty() ? "*" : version.c_str());
    }
    if (code != 0) {
      ctx.diag.Tool(MsgSeverity::kError,
                    template_.empty() ? "no MSS made: no such OS for this processor"
                                      : "no MSS made from the template",
                    template_.empty() ? out_ : template_);
      return kTavswErrors;
    }
    if (system.WriteMss(out_.c_str()) != 0) {
      ctx.diag.Tool(MsgSeverity::kError, WriteFailure(), out_);
      return kTavswUsage;
    }
    std::vector<std::string> insts{proc_};
    for (const std::string& i : hw->GetAddressableInstNames(proc_))
      if (!i.empty()) insts.push_back(i);
    for (const std::string& i : insts) {
      const String name = system.GetDriverName(i);
      ctx.out << i << ": " << (name.empty() ? "no driver" : name + " " + system.GetDriverVersion(i))
              << "\n";
    }
    const String os = system.GetOsName();
    ctx.out << "os: " << (os.empty() ? "none" : os + " " + system.GetOsVersion()) << "\n";
    return kTavswOk;
  }

 private:
  std::string out_, hw_, proc_, os_, template_;
  bool force_ = false;
  RepoOptions repos_;
};

// One action of `tavsw edit`, in the order the command line gives them.
struct Action {
  std::string option;  // "--set", ...
  std::string value;
};

class EditCommand : public Command {
 public:
  const char* Name() const override { return "edit"; }
  const char* Help() const override {
    return "Change an MSS: the actions are applied in the order given, then the file is written "
           "once when it changed (never when an action was refused)";
  }
  void Declare(CLI::App& app) override {
    app_ = &app;
    app.add_option("system", mss_, "The MSS file")->required();
    app.add_option("--hw", hw_, "The hardware description (JSON)")->required();
    app.add_option("--proc", proc_, "The processor --os, --add-lib and --del-lib act on "
                                    "(needed when the MSS has several)");
    repos_.Declare(app);
    const std::pair<const char*, const char*> actions[] = {
        {"--set", "COMPONENT.PARAM=VALUE: set a parameter (COMPONENT: a hardware instance for "
                  "drivers and processors, an OS or library name)"},
        {"--unset", "COMPONENT.PARAM: remove a parameter"},
        {"--driver", "HWINST=NAME[:VERSION]: give a hardware instance that driver"},
        {"--remove-driver", "HWINST: remove the driver of a hardware instance"},
        {"--os", "NAME[:VERSION]: the processor's OS"},
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
        ctx.diag.Tool(MsgSeverity::kError, a.option + " " + a.value + ": " + why);
        return kTavswUsage;
      }
    }
    auto hw = ReadHw(hw_);
    if (!hw) return kTavswErrors;
    auto man = repos_.Make(ctx);
    if (!man) return kTavswErrors;
    SwSystem system(hw, Port::FileName(mss_).GetBase().c_str());
    system.SetBaseNodePtr(SwSystem::REPOS_MAN, man.get());
    // A file the reader cannot read cleanly is never rewritten (text would
    // be lost); problems the checks find (a hardware instance renamed away)
    // are reported and may be what the actions mend.
    if (ReaderErrors(mss_)) {
      ctx.diag.Tool(MsgSeverity::kError, "has errors; nothing was changed", mss_);
      return kTavswErrors;
    }
    system.ParseMss(mss_.c_str());
    bool refused = false;
    for (const Action& a : actions) {
      const std::string why = Apply(system, man.get(), a);
      if (!why.empty()) {
        ctx.diag.Tool(MsgSeverity::kError, a.option + " " + a.value + ": " + why, mss_);
        refused = true;
      }
    }
    if (refused) {
      ctx.diag.Tool(MsgSeverity::kError, "not written: an action was refused", mss_);
      return kTavswErrors;
    }
    const int written = system.WriteMssIfChanged();
    if (written < 0) {
      ctx.diag.Tool(MsgSeverity::kError, WriteFailure(), mss_);
      return kTavswUsage;
    }
    ctx.out << (written ? "written" : "unchanged") << "\n";
    return kTavswOk;
  }

 private:
  // True when the reader reports errors in the file; its messages are then
  // passed on (once), otherwise dropped, as the session reads the file again.
  static bool ReaderErrors(const std::string& file) {
    struct Hold : MsgSink {
      MsgSink* previous = Port_MsgManData::SetSink(this);
      std::vector<MsgRecord> held;
      void Report(const MsgRecord& m) override { held.push_back(m); }
    } hold;
    Mss probe;
    const bool bad = TavSoftware::ParseMss::Parse(file, &probe) != 0;
    Port_MsgManData::SetSink(hold.previous);
    if (bad && hold.previous)
      for (const MsgRecord& m : hold.held) hold.previous->Report(m);
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

  // Applies one well-formed action; the reason when it is refused, else "".
  std::string Apply(SwSystem& system, TavSoftware::SwReposMan* man, const Action& a) const {
    Mss* mss = system.GetMss();
    const std::string& v = a.value;
    if (a.option == "--set" || a.option == "--unset") {
      const size_t eq = v.find('=');
      const std::string target = v.substr(0, eq);
      const size_t dot = target.rfind('.');
      MdtBase::PsfComp* comp = Component(mss, target.substr(0, dot));
      if (!comp) return "no such component";
      const String param = target.substr(dot + 1);
      if (a.option == "--set")
        return system.SetParamInMss(comp, 1, param, v.substr(eq + 1)) == 0 ? "" : "refused";
      return system.DeleteParamInMss(comp, 1, param) == 0 ? "" : "no such parameter";
    }
    if (a.option == "--driver") {
      const size_t eq = v.find('=');
      auto [name, version] = NameVersion(v.substr(eq + 1));
      return system.SetDriver(v.substr(0, eq), name, version) >= 0 ? "" : "no such core";
    }
    if (a.option == "--remove-driver")
      return system.RemoveDriver(v) == 0 ? "" : "no such component";
    if (a.option == "--rename") {
      const size_t eq = v.find('=');
      return Rename(system, v.substr(0, eq), v.substr(eq + 1));
    }
    std::string why;
    const std::string proc = Processor(mss, why);
    if (proc.empty()) return why;
    auto [name, version] = NameVersion(v);
    if (a.option == "--os") {
      TavSoftware::SwComponent* comp = system.GetSwComponentByHwInstName(proc.c_str());
      if (!comp) return "no such component";
      return TavSoftware::SwComponentUtil::SetOsInfo(comp, name, version) >= 0 ? "" : "no such core";
    }
    if (a.option == "--add-lib") {
      const int code = MssUtil::AddLibrary(mss, man, name, version, proc, nullptr);
      system.UpdateComponentLinks();
      return code >= 0 ? "" : "no such core";
    }
    const int code = MssUtil::DelLibrary(mss, name, version, proc);
    system.UpdateComponentLinks();
    return code == 0 ? "" : code == 1 ? "that library has another version"
                                      : "no such library on that processor";
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
  RepoOptions repos_;
  std::map<std::string, std::vector<std::string>> values_;
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
