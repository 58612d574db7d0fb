// The Tcl package "tavsw": a loadable extension that gives any Tcl shell
// the model commands a generator uses under `tavsw tcl`.
//
//   package require tavsw
//   set model [tavsw::build SYSTEM.mss ?-hw HW.json? ?-repo DIR?... ?-proc NAME?]
//   tavsw::build --help
//   tget_handle $model PROCESSOR *
//
// tavsw::build reads the hardware (-hw, else the file the MSS names in
// HW_SPEC_FILE, relative to the MSS), scans the repositories (each -repo,
// the first given searched first, then those under QUARLY_VEK), builds the
// model, registers tget_handle and tget_value on the calling interpreter,
// evaluates the support scripts (those under QUARLY_VEK, else the ones that
// ship with the package) and returns the model's handle, which is also kept
// in ::tavsw::model. A later build replaces the model: the handles of the
// earlier one are withdrawn. Any problem is a Tcl error whose message holds
// the messages of the build, with file and line.
//
// Only the installed API of the library is used.
#include <tcl.h>

#include <boost/shared_ptr.hpp>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "HwDbFile.h"
#include "HwTclIf.h"
#include "Mss.h"
#include "ParseMss.h"
#include "Port.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "SwReposMan.h"
#include "SwTclIf.h"

#ifndef TAVSW_TCL_VERSION
#error "TAVSW_TCL_VERSION must name the package version"
#endif

namespace {

constexpr const char* kAssocKey = "tavsw::model";

// SwTclIf makes an interpreter of its own when it is constructed; here the
// commands serve the interpreter that loaded the package, so the interface
// is made without one.
class HostTclIf : public TavSoftware::SwTclIf {
 public:
  HostTclIf(TavSoftware::SwRTClass* model, TavTclHwDb::HwTclIf* hw) : SwTclIf(model, hw) {}
};

// What one interpreter's last build made. Members go in reverse order: the
// interface (withdrawing its handles) before the hardware interface, that
// before the model, and the hardware database last.
struct Served {
  boost::shared_ptr<TavHwDb::HwDbFile> hw;
  std::unique_ptr<TavSoftware::SwRTClass> model;
  std::unique_ptr<TavTclHwDb::HwTclIf> hwIf;
  std::unique_ptr<HostTclIf> iface;
};

void DeleteServed(ClientData cd, Tcl_Interp*) { delete static_cast<Served*>(cd); }

struct Args {
  std::string mss, hw, proc;
  std::vector<std::string> repos;
};

constexpr const char* kUsage =
    "usage: tavsw::build SYSTEM.mss ?-hw HW.json? ?-repo DIR?... ?-proc NAME?";

int Usage(Tcl_Interp* interp) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(kUsage, -1));
  Tcl_SetErrorCode(interp, "TAVSW", "USAGE", nullptr);
  return TCL_ERROR;
}

// The answer to --help: what the command does, then its usage.
int Help(Tcl_Interp* interp) {
  const std::string text =
      std::string(
          "Builds the runtime model of a system and returns its handle (also in "
          "::tavsw::model); tget_handle and tget_value then walk it.\n"
          "  -hw HW.json  the hardware description (default: the MSS's HW_SPEC_FILE)\n"
          "  -repo DIR    also search this repository (the first given is searched first)\n"
          "  -proc NAME   organise only this processor instance\n") +
      kUsage;
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())));
  return TCL_OK;
}

// The words after the command name; false for anything else than one MSS
// and the options, each with its value.
bool ParseArgs(int objc, Tcl_Obj* const objv[], Args& args) {
  for (int i = 1; i < objc; ++i) {
    const std::string word = Tcl_GetString(objv[i]);
    if (word == "-hw" || word == "-repo" || word == "-proc") {
      if (i + 1 >= objc) return false;
      const std::string value = Tcl_GetString(objv[++i]);
      if (value.empty()) return false;
      if (word == "-hw") args.hw = value;
      else if (word == "-proc") args.proc = value;
      else args.repos.push_back(value);
    } else if (!word.empty() && word[0] != '-' && args.mss.empty()) {
      args.mss = word;
    } else {
      return false;
    }
  }
  return !args.mss.empty();
}

// The hardware description the MSS names in HW_SPEC_FILE, relative to the
// MSS; "" when it names none. The MSS is read once more for it, its
// messages held back: the build's own reading reports them.
std::string HwNamedBy(const std::string& mss) {
  MsgCapture quiet;
  auto read = std::make_unique<TavSoftware::Mss>();
  TavSoftware::ParseMss::Parse(mss, read.get());
  const MdtBase::PsfComp* spec =
      read->GetPsfCompByName(TavSoftware::Mss::PARAMETERS, "HW_SPEC_FILE");
  if (!spec) return std::string();
  const std::string value = spec->GetValueStr();
  if (value.empty()) return value;
  const size_t slash = mss.rfind('/');
  return value.front() == '/' || slash == std::string::npos ? value
                                                             : mss.substr(0, slash + 1) + value;
}

// The error messages the build issued, one a line, as the tool shows them.
std::string ErrorText(const MsgCapture& capture) {
  std::string text;
  for (const MsgRecord& m : capture.Messages()) {
    if (m.severity != MsgSeverity::kError) continue;
    std::string line = m.text;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    if (!m.file.empty() && line.find(m.file) == std::string::npos)
      line = m.file + ":" + std::to_string(m.line) + ": " + line;
    text += (text.empty() ? "" : "\n") + line;
  }
  return text;
}

int Fail(Tcl_Interp* interp, const std::string& message) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(message.c_str(), static_cast<int>(message.size())));
  Tcl_SetErrorCode(interp, "TAVSW", "BUILD", nullptr);
  return TCL_ERROR;
}

// The support scripts are read from $QUARLY_VEK/data/datastructure/; when
// the variable is not set, the directory pkgIndex.tcl put in
// ::tavsw::support_root (the scripts that ship with the package) stands in
// for it while they are read.
int SourceSupportScripts(Tcl_Interp* interp) {
  const char* set = std::getenv("QUARLY_VEK");
  if (set && *set) return TavSoftware::SwTclIf::SourceSwTclFile(interp);
  const char* root = Tcl_GetVar(interp, "::tavsw::support_root", TCL_GLOBAL_ONLY);
  const std::string shipped = root ? root : "";
  if (shipped.empty()) return 0;
  ::setenv("QUARLY_VEK", shipped.c_str(), 1);
  const int failed = TavSoftware::SwTclIf::SourceSwTclFile(interp);
  ::unsetenv("QUARLY_VEK");
  return failed;
}

int Build(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc == 2 && (std::string(Tcl_GetString(objv[1])) == "--help" ||
                    std::string(Tcl_GetString(objv[1])) == "-help"))
    return Help(interp);
  Args args;
  if (!ParseArgs(objc, objv, args)) return Usage(interp);

  // The messages of the build make the error; held only while it runs.
  auto held = std::make_unique<MsgCapture>();
  const MsgCapture& capture = *held;
  if (!Port::File::isfile(args.mss))
    return Fail(interp, "Cannot open file \"" + args.mss + "\" for reading");
  if (args.hw.empty()) {
    args.hw = HwNamedBy(args.mss);
    if (args.hw.empty())
      return Fail(interp, args.mss + ": -hw is required (the MSS names no HW_SPEC_FILE)");
  }
  for (const std::string& dir : args.repos)
    if (!Port::File::isdir(dir)) return Fail(interp, "-repo " + dir + ": no such directory");

  auto served = std::make_unique<Served>();
  int errors = 0;
  served->hw = TavHwDb::HwDbFile::Read(args.hw, errors);
  if (!served->hw) {
    const std::string text = ErrorText(capture);
    return Fail(interp, text.empty() ? args.hw + ": the hardware description cannot be read"
                                     : text);
  }
  if (!args.proc.empty() &&
      !Port::EqualsNoCase(served->hw->GetIpClass(args.proc), "PROCESSOR"))
    return Fail(interp, args.hw + ": no processor instance '" + args.proc + "' in the hardware");

  auto man = std::make_unique<TavSoftware::SwReposMan>(true);
  // The repository added last is searched first.
  for (auto it = args.repos.rbegin(); it != args.repos.rend(); ++it)
    man->AddSwRepos(Port::String(*it), 0, true);
  auto source = std::make_unique<TavSoftware::Mss>();
  errors = TavSoftware::SwRTUtil::Parse(args.mss.c_str(), source.get());
  int built = 0;
  served->model.reset(TavSoftware::SwRTUtil::CreateSwRTObject(
      served->hw, source.get(), *man, built, args.proc.empty() ? nullptr : args.proc.c_str()));
  // The model points into the MSS it was built from, and its components
  // into the manager's cores.
  served->model->AdoptSourceMss(source.release());
  served->model->Adopt(man.release());
  errors += built;
  if (errors) {
    const std::string text = ErrorText(capture);
    return Fail(interp, text.empty() ? args.mss + ": the model has errors" : text);
  }

  held.reset();
  // The earlier model's handles are withdrawn before it goes, so a script
  // that kept one gets the null-handle error, not a freed node.
  Tcl_DeleteAssocData(interp, kAssocKey);
  Served* now = served.release();
  Tcl_SetAssocData(interp, kAssocKey, &DeleteServed, now);
  now->hwIf = std::make_unique<TavTclHwDb::HwTclIf>(now->hw);
  now->iface = std::make_unique<HostTclIf>(now->model.get(), now->hwIf.get());
  Tcl_CreateObjCommand(interp, "tget_handle", &TavSoftware::SwTclIf::MdtSwGetHandle,
                       now->iface.get(), nullptr);
  Tcl_CreateObjCommand(interp, "tget_value", &TavSoftware::SwTclIf::MdtSwGetValue,
                       now->iface.get(), nullptr);
  Tcl_Obj* handle = now->iface->GetTclObjFromPtr(now->model.get());
  Tcl_IncrRefCount(handle);
  Tcl_SetVar2Ex(interp, "::tavsw::model", nullptr, handle, TCL_GLOBAL_ONLY);
  // Their failures are reported (on stderr, as under the tool), not fatal.
  SourceSupportScripts(interp);
  Tcl_SetObjResult(interp, handle);
  Tcl_DecrRefCount(handle);
  return TCL_OK;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int Tavsw_Init(Tcl_Interp* interp) {
  if (Tcl_PkgRequire(interp, "Tcl", "8.6", 0) == nullptr) return TCL_ERROR;
  if (Tcl_Eval(interp, "namespace eval ::tavsw {variable model {}; variable support_root}") !=
      TCL_OK)
    return TCL_ERROR;
  Tcl_CreateObjCommand(interp, "::tavsw::build", &Build, nullptr, nullptr);
  return Tcl_PkgProvide(interp, "tavsw", TAVSW_TCL_VERSION);
}
