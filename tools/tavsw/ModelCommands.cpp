// The commands over the runtime model: build (the model per processor, as
// text or JSON), check (an MSS against its definitions and the hardware)
// and tcl (a script walking the model).
#include <boost/shared_ptr.hpp>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "ArrayInst.h"
#include "Command.h"
#include "Driver.h"
#include "Element.h"
#include "HwDbFile.h"
#include "HwTclIf.h"
#include "InfoHw.h"
#include "InfoModel.h"
#include "JsonOut.h"
#include "Library.h"
#include "Mss.h"
#include "OsInst.h"
#include "ParseMss.h"
#include "Processor.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "SwTclIf.h"
#include "Tavsw.h"

namespace tavsw {
namespace {

using TavSoftware::DrvInst;
using TavSoftware::LibInst;
using TavSoftware::SwRTClass;
using Json = nlohmann::ordered_json;

// Records every message of the library in issue order, each once (a fault
// two stages report alike is one fault), and, unless told to keep quiet,
// passes it on to the tool's diagnostics.
class Recorder : public MsgSink {
 public:
  explicit Recorder(bool forward) : forward_(forward), previous_(Port_MsgManData::SetSink(this)) {}
  ~Recorder() override { Port_MsgManData::SetSink(previous_); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
  void Report(const MsgRecord& msg) override {
    if (msg.severity == MsgSeverity::kDebug || !seen_.insert(Diagnostics::Key(msg)).second) return;
    records_.push_back(msg);
    if (msg.severity == MsgSeverity::kError || msg.severity == MsgSeverity::kInternal) ++errors_;
    if (forward_ && previous_) previous_->Report(msg);
  }
  // The errors recorded, each counted once.
  int Errors() const { return errors_; }
  // The count a command reports: the errors it showed, or the stages' own
  // count when they failed without a word.
  int Count(int stageErrors) const { return errors_ > 0 || stageErrors <= 0 ? errors_ : stageErrors; }
  Json ToJson() const {
    Json list = Json::array();
    for (const MsgRecord& m : records_) {
      std::string text = m.text;
      if (!text.empty() && text.back() == '\n') text.pop_back();
      const Located where = Locate(m);
      Json entry = Object(4);
      entry["severity"] = Severity(m.severity);
      entry["text"] = std::move(text);
      entry["file"] = where.file.empty() ? Json(nullptr) : Json(where.file);
      entry["line"] = where.line > 0 ? Json(where.line) : Json(nullptr);
      list.push_back(std::move(entry));
    }
    return list;
  }

 private:
  static const char* Severity(MsgSeverity s) {
    switch (s) {
      case MsgSeverity::kError: return "error";
      case MsgSeverity::kWarning: return "warning";
      case MsgSeverity::kInfo: return "info";
      case MsgSeverity::kStatus: return "status";
      default: return "internal";
    }
  }
  // An object with room for `keys` keys (see below).
  static Json Object(size_t keys) {
    Json o = Json::object();
    o.get_ref<Json::object_t&>().reserve(keys);
    return o;
  }
  bool forward_;
  MsgSink* previous_;
  std::vector<MsgRecord> records_;
  std::set<std::string> seen_;
  int errors_ = 0;
};

// The version of the core a component is bound to; "" when unbound.
std::string VersionOf(const MdtBase::BaseNode* comp) {
  const MdtBase::BaseNode* core = nullptr;
  if (MdtBase::BaseNode::IsBaseNodeType(comp, "TavSoftware_DrvInst"))
    core = static_cast<const DrvInst*>(comp)->GetBaseNodePtr(DrvInst::CORE);
  else if (MdtBase::BaseNode::IsBaseNodeType(comp, "TavSoftware_LibInst"))
    core = static_cast<const LibInst*>(comp)->GetBaseNodePtr(LibInst::CORE);
  return MdtBase::BaseNode::IsBaseNodeType(core, "TavSoftware_SwCore")
             ? std::string(static_cast<const TavSoftware::SwCore*>(core)->GetVersion())
             : std::string();
}

const TavSoftware::PropSeq& Seq(const MdtBase::BaseNode* comp, int nodeType) {
  static const TavSoftware::PropSeq kNone;
  if (MdtBase::BaseNode::IsBaseNodeType(comp, "TavSoftware_DrvInst"))
    return static_cast<const DrvInst*>(comp)->GetPropSeqRef(nodeType);
  if (MdtBase::BaseNode::IsBaseNodeType(comp, "TavSoftware_LibInst"))
    return static_cast<const LibInst*>(comp)->GetPropSeqRef(nodeType);
  return kNone;
}

// "mss" when the MSS set the value that is used; "default" otherwise (the
// MSS text of a dropped or reset value is given beside it).
const char* SourceOf(const MdtBase::Property* p) {
  // The identity parameters come from the MSS block itself.
  for (const char* id : {"DRIVER_NAME", "DRIVER_VER", "HW_INSTANCE", "OS_NAME", "OS_VER",
                         "LIBRARY_NAME", "LIBRARY_VER", "PROC_INSTANCE"})
    if (Port::EqualsNoCase(p->GetName(), id)) return "mss";
  const MdtBase::PsfComp* mss = p->GetPsfCompByName("MSS_VALUE");
  return mss && mss->GetValueStr() == p->GetValueStr() ? "mss" : "default";
}

// The documents are big (a few MB for thousands of peripherals): their
// parts are moved into place, never copied, and an object is filled key by
// key in the order the keys are shown.
//
// An object with room for `keys` keys. An ordered object keeps its members
// in a vector whose elements cannot be moved (their keys are const): made
// to grow, it would copy every member, document and all.
Json Object(size_t keys) {
  Json o = Json::object();
  o.get_ref<Json::object_t&>().reserve(keys);
  return o;
}

Json ComponentJson(const MdtBase::PsfComp* comp) {
  if (!comp) return nullptr;
  Json params = Json::array();
  for (const MdtBase::Property* p : Seq(comp, 1)) {
    if (!p) continue;
    Json entry = Object(4);
    entry["name"] = p->GetName();
    entry["value"] = p->GetValueStr();
    entry["source"] = SourceOf(p);
    // Only a value the build did not take from the MSS: where the two agree
    // the MSS text says nothing new.
    const MdtBase::PsfComp* mss = p->GetPsfCompByName("MSS_VALUE");
    if (mss && mss->GetValueStr() != p->GetValueStr()) entry["mss_value"] = mss->GetValueStr();
    params.push_back(std::move(entry));
  }
  Json arrays = Json::array();
  for (const MdtBase::Property* a : Seq(comp, 2)) {
    if (!MdtBase::BaseNode::IsBaseNodeType(a, "TavSoftware_ArrayInst")) continue;
    Json rows = Json::array();
    for (const MdtBase::Property* e :
         static_cast<const TavSoftware::ArrayInst*>(a)->GetPropSeqRef(TavSoftware::ArrayInst::ELEMENTS)) {
      if (!MdtBase::BaseNode::IsBaseNodeType(e, "TavSoftware_Element")) continue;
      Json row = Json::array();
      for (const MdtBase::Property* f :
           static_cast<const TavSoftware::Element*>(e)->GetPropSeqRef(TavSoftware::Element::PARAMETERS))
        if (f) row.push_back(f->GetValueStr());
      rows.push_back(std::move(row));
    }
    Json array = Object(2);
    array["name"] = a->GetName();
    array["rows"] = std::move(rows);
    arrays.push_back(std::move(array));
  }
  Json out = Object(5);  // and "instances", for a driver of a processor
  out["name"] = comp->GetName();
  out["version"] = VersionOf(comp);
  out["parameters"] = std::move(params);
  out["arrays"] = std::move(arrays);
  return out;
}

// The processors the update stage organised (they carry their hardware
// instance); none when it did not run.
std::vector<TavSoftware::Processor*> Organised(SwRTClass& model) {
  std::vector<TavSoftware::Processor*> out;
  for (MdtBase::NameValue* nv : model.GetNameValueSeqRef(SwRTClass::PROCESSORS))
    if (MdtBase::BaseNode::IsBaseNodeType(nv, "TavSoftware_Processor") &&
        !static_cast<TavSoftware::Processor*>(nv)->GetHwInstance().empty())
      out.push_back(static_cast<TavSoftware::Processor*>(nv));
  return out;
}

Json ModelJson(SwRTClass& model, int errors, const Recorder& rec) {
  Json doc = Object(5);
  doc["format"] = 1;
  doc["errors"] = rec.Count(errors);
  doc["diagnostics"] = rec.ToJson();
  Json comps = Object(4);
  const std::pair<const char*, int> kinds[] = {{"drivers", TavSoftware::Mss::DRIVERS},
                                               {"processors", TavSoftware::Mss::PROCESSORS},
                                               {"oss", TavSoftware::Mss::OSES},
                                               {"libraries", TavSoftware::Mss::LIBRARIES}};
  for (const auto& [key, seq] : kinds) {
    Json list = Json::array();
    for (const MdtBase::PsfComp* c : model.GetPsfCompSeqRef(seq)) list.push_back(ComponentJson(c));
    comps[key] = std::move(list);
  }
  doc["model"] = std::move(comps);
  Json procs = Json::array();
  for (TavSoftware::Processor* p : Organised(model)) {
    Json libs = Json::array();
    for (TavSoftware::Library* l : p->GetLibrarySeqRef()) libs.push_back(ComponentJson(l));
    Json drivers = Json::array();
    for (TavSoftware::Driver* d : p->GetDriverSeqRef()) {
      Json j = ComponentJson(d);
      Json insts = Json::array();
      for (const String& i : d->GetInstSeqRef()) insts.push_back(i);
      j["instances"] = std::move(insts);
      drivers.push_back(std::move(j));
    }
    Json proc = Object(5);
    proc["instance"] = p->GetHwInstance();
    proc["driver"] = ComponentJson(p);
    proc["os"] = ComponentJson(p->GetOsInstance());
    proc["libraries"] = std::move(libs);
    proc["drivers"] = std::move(drivers);
    procs.push_back(std::move(proc));
  }
  doc["processors"] = std::move(procs);
  return doc;
}

// The rows of an array value, as an MSS writes them: "((0, out), (1, in))".
std::string RowsText(const TavSoftware::ArrayInst& a) {
  std::string text = "(";
  for (const MdtBase::Property* e : a.GetPropSeqRef(TavSoftware::ArrayInst::ELEMENTS)) {
    if (!MdtBase::BaseNode::IsBaseNodeType(e, "TavSoftware_Element")) continue;
    std::string row;
    for (const MdtBase::Property* f :
         static_cast<const TavSoftware::Element*>(e)->GetPropSeqRef(TavSoftware::Element::PARAMETERS))
      if (f) row += (row.empty() ? "" : ", ") + std::string(f->GetValueStr());
    text += (text.size() > 1 ? ", (" : "(") + row + ")";
  }
  return text + ")";
}

// The parameters of a component with where each value came from, then its
// arrays. `instances`, for a driver serving several hardware instances,
// stands for its HW_INSTANCE: the merged driver keeps the first one only.
void PrintParams(std::ostream& out, const MdtBase::PsfComp* comp, const char* indent,
                 const std::vector<String>* instances = nullptr) {
  for (const MdtBase::Property* p : Seq(comp, 1)) {
    if (!p) continue;
    if (instances && instances->size() > 1 && Port::EqualsNoCase(p->GetName(), "HW_INSTANCE")) {
      for (const String& i : *instances) out << indent << p->GetName() << " = " << i << " (mss)\n";
      continue;
    }
    out << indent << p->GetName() << " = " << p->GetValueStr() << " (" << SourceOf(p);
    const MdtBase::PsfComp* mss = p->GetPsfCompByName("MSS_VALUE");
    if (mss && mss->GetValueStr() != p->GetValueStr()) out << ", MSS said " << mss->GetValueStr();
    out << ")\n";
  }
  for (const MdtBase::Property* a : Seq(comp, 2))
    if (MdtBase::BaseNode::IsBaseNodeType(a, "TavSoftware_ArrayInst"))
      out << indent << "ARRAY " << a->GetName() << " = "
          << RowsText(*static_cast<const TavSoftware::ArrayInst*>(a)) << "\n";
}

void PrintModel(std::ostream& out, SwRTClass& model) {
  auto named = [](const MdtBase::PsfComp* c) {
    return c ? c->GetName() + " " + VersionOf(c) : std::string("none");
  };
  for (TavSoftware::Processor* p : Organised(model)) {
    out << "processor " << p->GetHwInstance() << ": driver " << named(p) << ", os "
        << named(p->GetOsInstance()) << "\n";
    std::string libs;
    for (TavSoftware::Library* l : p->GetLibrarySeqRef()) libs += (libs.empty() ? "" : ", ") + named(l);
    out << "  libraries: " << (libs.empty() ? "none" : libs) << "\n";
    out << "  processor driver " << named(p) << "\n";
    PrintParams(out, p, "    ");
    if (p->GetOsInstance()) {
      out << "  os " << named(p->GetOsInstance()) << "\n";
      PrintParams(out, p->GetOsInstance(), "    ");
    }
    for (TavSoftware::Library* l : p->GetLibrarySeqRef()) {
      out << "  library " << named(l) << "\n";
      PrintParams(out, l, "    ");
    }
    for (TavSoftware::Driver* d : p->GetDriverSeqRef()) {
      std::string insts;
      for (const String& i : d->GetInstSeqRef()) insts += (insts.empty() ? "" : ", ") + i;
      out << "  driver " << named(d) << " serves " << insts << "\n";
      PrintParams(out, d, "    ", &d->GetInstSeqRef());
    }
  }
}

class BuildCommand : public Command {
 public:
  const char* Name() const override { return "build"; }
  const char* Help() const override {
    return "Build the runtime model of a system and show it per processor";
  }
  void Declare(CLI::App& app) override {
    app.add_option("system", opts_.mss, "The system's MSS file")->required();
    opts_.Declare(app);
    app.add_flag("--json", json_, "Write one JSON document to stdout, nothing else");
  }
  int Run(Context& ctx) override {
    Recorder rec(!json_);
    boost::shared_ptr<TavHwDb::HwDbFile> hw;
    int errors = 0, status = kTavswOk;
    std::unique_ptr<SwRTClass> model = opts_.Build(ctx, hw, errors, status);
    if (!model) {
      // The document is still the one answer on stdout, saying why there
      // is no model.
      if (json_) {
        SwRTClass none;
        WriteJson(ctx.out, ModelJson(none, std::max(errors, 1), rec));
      }
      return status;
    }
    ctx.LeaveForExit(hw);
    if (!json_) {
      PrintModel(ctx.out, *model);
      ctx.LeaveForExit(std::move(model));
      return status;
    }
    Json doc = ModelJson(*model, errors, rec);
    // The document holds all it needs: the model goes before it is written,
    // unless the exit takes it.
    ctx.LeaveForExit(std::move(model));
    WriteJson(ctx.out, doc);
    ctx.LeaveForExit(std::move(doc));
    return status;
  }

 private:
  ModelOptions opts_;
  bool json_ = false;
};

class CheckCommand : public Command {
 public:
  const char* Name() const override { return "check"; }
  const char* Help() const override {
    return "Check an MSS: instance names and links, each instance against its definition, then, "
           "with --hw, every stage of the build (no model is shown)";
  }
  void Declare(CLI::App& app) override {
    app.add_option("system", mss_, "The system's MSS file")->required();
    app.add_option("--hw", hw_, "The hardware description (JSON); without it, the file the MSS "
                                "names in HW_SPEC_FILE; without either the checks that need the "
                                "hardware are skipped");
    repos_.Declare(app);
    app.add_flag("--json", json_, "Write one JSON document to stdout, nothing else");
  }
  int Run(Context& ctx) override {
    Recorder rec(!json_);
    boost::shared_ptr<TavHwDb::HwDbFile> hw;
    const bool hwNamed = DefaultHw(ctx, mss_, hw_, false) == kTavswOk;
    if (hwNamed && !hw_.empty()) {
      int hwErrors = 0;
      hw = TavHwDb::HwDbFile::Read(hw_, hwErrors);
    }
    int errors = 0;
    std::unique_ptr<TavSoftware::SwReposMan> man;
    if (hwNamed && (hw || hw_.empty())) man = repos_.Make(ctx);
    if (!man) {
      errors = 1;
    } else {
      auto mss = std::make_unique<TavSoftware::Mss>();
      errors = TavSoftware::ParseMss::Parse(mss_, mss.get());
      errors += TavSoftware::SwRTUtil::CheckMss(mss.get(), man.get(), hw);
      // A clean MSS then goes through every stage build runs, so that check
      // never passes what build rejects; only the model is not shown.
      if (errors == 0 && hw) {
        int built = 0;
        std::unique_ptr<SwRTClass> model(
            TavSoftware::SwRTUtil::CreateSwRTObject(hw, mss.get(), *man, built, nullptr));
        errors += built;
        // The model points into the MSS and the manager's cores: it goes first.
        ctx.LeaveForExit(std::move(model));
      } else if (errors == 0) {
        Port_MsgManData::Issue(MsgSeverity::kInfo,
                               "No hardware description (--hw, HW_SPEC_FILE): the checks of the "
                               "build that need it were skipped\n");
      }
      ctx.LeaveForExit(std::move(mss));
      ctx.LeaveForExit(std::move(man));
      ctx.LeaveForExit(hw);
    }
    // The count said is that of the errors shown.
    errors = rec.Count(errors);
    if (json_)
      ctx.out << Json{{"format", 1}, {"errors", errors}, {"diagnostics", rec.ToJson()}}.dump(
                     2, ' ', false, Json::error_handler_t::replace)
              << "\n";
    else
      ctx.out << mss_ << ": " << (errors ? std::to_string(errors) + " error(s)" : "no errors")
              << "\n";
    return errors ? kTavswErrors : kTavswOk;
  }

 private:
  std::string mss_, hw_;
  RepoOptions repos_;
  bool json_ = false;
};

// "exit N" inside a script ends the script, not the process that embeds it.
int ScriptExit(ClientData cd, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  int code = 0;
  if (objc > 2 || (objc == 2 && Tcl_GetIntFromObj(interp, objv[1], &code) != TCL_OK)) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj("usage: exit ?returnCode?", -1));
    return TCL_ERROR;
  }
  *static_cast<int*>(cd) = code;
  Tcl_SetObjResult(interp, Tcl_NewStringObj("exit", -1));
  Tcl_SetErrorCode(interp, "TAVSW", "EXIT", nullptr);
  return TCL_ERROR;
}

// The directory whose data/datastructure/ holds the support scripts that
// ship with the tool: the installed share/tavsw beside the program's bin/,
// else the examples/ of the checkout the tool was built from; "" when
// neither is there.
std::string ShippedSupportRoot() {
  auto holdsScripts = [](const std::string& root) {
    return Port::File::isdir(root + "/data/datastructure");
  };
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const std::string installed = (exe.parent_path().parent_path() / "share" / "tavsw").string();
    if (holdsScripts(installed)) return installed;
  }
  // This file is tools/tavsw/ModelCommands.cpp of the checkout.
  const std::filesystem::path source(__FILE__);
  if (source.is_absolute()) {
    const std::string checkout =
        (source.parent_path().parent_path().parent_path() / "examples").string();
    if (holdsScripts(checkout)) return checkout;
  }
  return std::string();
}

// Points QUARLY_VEK at the shipped support scripts while it lives, when the
// variable is not set; puts the environment back afterwards (the tool may
// run in-process, and the variable also names where repositories live).
class SupportRoot {
 public:
  explicit SupportRoot(Context& ctx) {
    String root;
    if (Port_Env::GetEnv("QUARLY_VEK", root) && !root.empty()) return;
    const std::string shipped = ShippedSupportRoot();
    if (shipped.empty()) {
      ctx.diag.Tool(MsgSeverity::kWarning,
                    "QUARLY_VEK is not set and no support scripts ship with this tool; set "
                    "QUARLY_VEK to the installation root (the directory holding "
                    "data/datastructure/)");
      return;
    }
    ::setenv("QUARLY_VEK", shipped.c_str(), 1);
    set_ = true;
  }
  ~SupportRoot() {
    if (set_) ::unsetenv("QUARLY_VEK");
  }
  SupportRoot(const SupportRoot&) = delete;
  SupportRoot& operator=(const SupportRoot&) = delete;

 private:
  bool set_ = false;
};

class TclCommand : public Command {
 public:
  const char* Name() const override { return "tcl"; }
  const char* Help() const override {
    return "Build the model, then run a Tcl script on it (tget_handle, tget_value; the model's "
           "handle in ::tavsw::model, the words after -- in ::argv); an undefined command is "
           "an error unless --lenient. Without QUARLY_VEK the support scripts that ship with "
           "the tool are evaluated";
  }
  void Declare(CLI::App& app) override {
    app.add_option("script", script_,
                   "The script (with --interactive: the MSS file, which may be left out)");
    app.add_option("system", system_, "The system's MSS file");
    app.add_option("args", args_, "The script's arguments (after --), its ::argv");
    opts_.Declare(app);
    app.add_flag("--interactive", interactive_,
                 "Read commands from standard input instead (a prompt only at a terminal); "
                 "'exit N' ends with status N");
    app.add_flag("--lenient", lenient_,
                 "Answer undefined commands with an empty result instead of an error, as "
                 "scripts written for such an interpreter expect");
  }
  int Run(Context& ctx) override {
    if (interactive_ ? !system_.empty() || !args_.empty() : system_.empty()) {
      ctx.diag.Tool(MsgSeverity::kError, interactive_
                                             ? "--interactive takes the MSS file and no script"
                                             : "a script and an MSS file are needed");
      return kTavswUsage;
    }
    opts_.mss = interactive_ ? script_ : system_;
    boost::shared_ptr<TavHwDb::HwDbFile> hw;
    int errors = 0, status = kTavswOk;
    std::unique_ptr<SwRTClass> model;
    if (opts_.mss.empty()) {
      // Interactive without a system: the hardware alone, and an empty model.
      if (opts_.hw.empty()) {
        ctx.diag.Tool(MsgSeverity::kError, "--hw is required when no MSS file is given");
        return kTavswUsage;
      }
      hw = opts_.ReadHw();
      if (!hw) return kTavswErrors;
      model = std::make_unique<SwRTClass>();
    } else {
      model = opts_.Build(ctx, hw, errors, status);
      if (!model) return status;
    }
    if (errors) {
      ctx.diag.Tool(MsgSeverity::kError, "the model has errors; the script was not run", opts_.mss);
      return kTavswErrors;
    }
    TavTclHwDb::HwTclIf hwIf(hw);
    std::unique_ptr<TavSoftware::SwTclIf> tcl;
    {
      SupportRoot root(ctx);
      tcl.reset(TavSoftware::SwTclIf::ConstructSwTclIf(model.get(), &hwIf));
    }
    Tcl_Interp* interp = tcl->GetInterp();
    // The interface answers every undefined command with an empty result: a
    // misspelt command would pass silently. Without it Tcl names the
    // command in an error.
    if (!lenient_) Tcl_DeleteCommand(interp, "unknown");
    int exitCode = -1;
    Tcl_CreateObjCommand(interp, "exit", &ScriptExit, &exitCode, nullptr);
    if (interactive_) return Interactive(ctx, interp, exitCode);

    const std::vector<std::string>& args = args_;
    Tcl_Obj* argv = Tcl_NewListObj(0, nullptr);
    for (const std::string& a : args)
      Tcl_ListObjAppendElement(nullptr, argv, Tcl_NewStringObj(a.c_str(), static_cast<int>(a.size())));
    Tcl_SetVar2Ex(interp, "argv", nullptr, argv, TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp, "argc", nullptr, Tcl_NewIntObj(static_cast<int>(args.size())), TCL_GLOBAL_ONLY);
    Tcl_SetVar(interp, "argv0", script_.c_str(), TCL_GLOBAL_ONLY);
    const int code = Tcl_EvalFile(interp, script_.c_str());
    if (exitCode >= 0) return exitCode;
    if (code != TCL_OK) {
      const char* info = Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
      ctx.err << "tavsw: " << script_ << ": " << Tcl_GetStringResult(interp) << "\n"
              << (info ? info : "") << "\n";
      return kTavswErrors;
    }
    return kTavswOk;
  }

 private:
  // Commands from the input, each once it is complete. At a terminal a
  // prompt is shown and a failed command is only reported; from a pipe or a
  // file no prompt is shown, and a failed command makes the exit status 1,
  // as a script's error does. "exit N" ends with N.
  static int Interactive(Context& ctx, Tcl_Interp* interp, const int& exitCode) {
    std::string command, line;
    bool failed = false;
    while (true) {
      if (ctx.inIsTerminal) ctx.out << (command.empty() ? "% " : "> ") << std::flush;
      if (!std::getline(ctx.in, line)) break;
      command += line;
      command += '\n';
      if (!Tcl_CommandComplete(command.c_str())) continue;
      const int code = Tcl_Eval(interp, command.c_str());
      command.clear();
      if (exitCode >= 0) return exitCode;
      const char* result = Tcl_GetStringResult(interp);
      if (code != TCL_OK && code != TCL_RETURN) {
        ctx.err << result << "\n";
        failed = true;
      } else if (*result) {
        ctx.out << result << "\n";
      }
    }
    if (ctx.inIsTerminal) ctx.out << "\n";
    if (!command.empty()) {
      ctx.err << "tavsw: the input ended inside a command\n";
      return kTavswErrors;
    }
    return failed && !ctx.inIsTerminal ? kTavswErrors : kTavswOk;
  }

  std::string script_, system_;
  std::vector<std::string> args_;
  ModelOptions opts_;
  bool interactive_ = false;
  bool lenient_ = false;
};

}  // namespace

std::vector<std::unique_ptr<Command>> MakeModelCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(std::make_unique<BuildCommand>());
  commands.push_back(std::make_unique<CheckCommand>());
  commands.push_back(std::make_unique<TclCommand>());
  return commands;
}

}  // namespace tavsw
