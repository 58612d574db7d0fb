// Reader of MSS files.
//
// An MSS file is line-oriented, one statement per line; keywords match as a
// prefix of their own length, ignoring case.
//
//   file       := line*
//   line       := [statement] ['#' comment]      (every '"' is read as a blank)
//   statement  := global | BEGIN kind | END | component-statement
//   global     := PARAMETER name '=' value [',' ignored]   outside a component
//   kind       := DRIVER | LIBRARY | OS | PROCESSOR        the whole rest, any case
//   component-statement :=                                 between BEGIN and END
//                 PARAMETER name '=' text                  text is the rest of the line
//               | PARAMETER name '=' '(' list ')'          an array value
//               | INTERFACE name [ignored]
//
// Where things go:
//   global PARAMETER      -> Param in Mss::PARAMETERS (value kept for VERSION
//                            and HW_SPEC_FILE only)
//   BEGIN kind ... END    -> DrvInst / LibInst / OsInst / ProcInst, added to
//                            the Mss at END
//   PARAMETER n = v       -> Param with a StrVal in the component's
//                            PARAMETERS; DRIVER_NAME, OS_NAME, LIBRARY_NAME
//                            and FILESYS_NAME also name the component
//   PARAMETER n = (...)   -> ArrayInst in the component's ARRAYS (dropped
//                            silently in a processor)
//   INTERFACE n           -> Interface in the component's INTERFACES (an
//                            error in a processor)
//   comments              -> kept: the first block followed by an empty line
//                            is the file's comment; otherwise the pending
//                            comment goes to the next node created; what is
//                            left at the end is the file's end comment
//
// Nothing stops the parse: a rejected statement is reported and dropped and
// reading goes on to the end. A BEGIN inside an open component closes it
// first. An unknown kind makes the lines up to the next BEGIN global
// statements. A component still open at the end of the file is reported
// and not added.
//
// Some text is dropped or changed without a message, as the format has it
// (values of file-level parameters other than VERSION and HW_SPEC_FILE, the
// rest of a file-level value after a comma, words after an interface name,
// array values in a processor, quotes, empty comments, array text the rows
// do not hold). A caller that writes the file back asks for a list of those
// places; the checks run only then.
#include <algorithm>
#include <memory>
#include <sstream>
#include <string_view>

#include "ArrayInst.h"
#include "MdtParse.h"
#include "DrvInst.h"
#include "Interface.h"
#include "LibInst.h"
#include "Mss.h"
#include "OsInst.h"
#include "Param.h"
#include "ParseMss.h"
#include "ProcInst.h"
#include "SwPropertyUtil.h"

namespace TavSoftware {

namespace {

using MdtBase::BaseParser;
using MdtBase::BaseUtils;
using std::string_view;

// The state of one parse. The component being read is owned here until its
// END hands it to the Mss; at most one of the four is set.
struct MssParseState {
  Mss* mss = nullptr;
  bool open = false;
  std::unique_ptr<DrvInst> drv;
  std::unique_ptr<LibInst> lib;
  std::unique_ptr<OsInst> os;
  std::unique_ptr<ProcInst> proc;
  int line = 0;
  std::vector<MssTextLoss>* losses = nullptr;  // null: nobody asked

  bool Recording() const { return losses != nullptr; }
  void Lost(String what) {
    if (losses) losses->push_back({line, std::move(what)});
  }

  void ClearCurrent() {
    drv.reset();
    lib.reset();
    os.reset();
    proc.reset();
  }
  const MdtBase::PsfComp* Current() const {
    if (drv) return drv.get();
    if (lib) return lib.get();
    if (os) return os.get();
    return proc.get();
  }
};

bool IsKeyword(string_view text, string_view keyword) { return Port::StartsNoCase(text, keyword); }

string_view AfterKeyword(string_view text, string_view keyword) {
  return BaseUtils::TrimLeadingView(text.substr(keyword.size()));
}

// File information and the pending comment onto a node the reader made.
void Stamp(MdtBase::PsfComp* node) {
  BaseParser::SetFileInfo(node);
  BaseParser::AssociateComment(node);
}

// Hands `comp` to the Mss; the Mss refuses only what no caller here passes,
// but a refused component must not leak.
template <class T>
void AddToMss(Mss* mss, int nodeType, std::unique_ptr<T>& comp) {
  if (mss->AddPsfComp(nodeType, comp.get()) >= 0)
    comp.release();
  else
    comp.reset();
}

void CloseComponent(MssParseState& st) {
  st.open = false;
  if (st.drv)
    AddToMss(st.mss, Mss::DRIVERS, st.drv);
  else if (st.lib)
    AddToMss(st.mss, Mss::LIBRARIES, st.lib);
  else if (st.proc)
    AddToMss(st.mss, Mss::PROCESSORS, st.proc);
  else if (st.os)
    AddToMss(st.mss, Mss::OSES, st.os);
}

void HandleBegin(MssParseState& st, string_view rest) {
  if (st.open) {
    BaseParser::PARSEERR(
        "Using BEGIN when previous component has not END. Use END for the previous instance. "
        "Assuming you want to start a new instance");
    CloseComponent(st);
  }
  st.open = true;
  if (Port::EqualsNoCase(rest, "DRIVER")) {
    st.drv = std::make_unique<DrvInst>();
    Stamp(st.drv.get());
  } else if (Port::EqualsNoCase(rest, "LIBRARY")) {
    st.lib = std::make_unique<LibInst>();
    Stamp(st.lib.get());
  } else if (Port::EqualsNoCase(rest, "OS")) {
    st.os = std::make_unique<OsInst>();
    Stamp(st.os.get());
  } else if (Port::EqualsNoCase(rest, "PROCESSOR")) {
    st.proc = std::make_unique<ProcInst>();
    Stamp(st.proc.get());
  } else {
    st.ClearCurrent();
    st.open = false;
    BaseParser::PARSEERR("Unknown Component Type ");
    Port_MsgManData::Issue(MsgSeverity::kStatus, BaseParser::Where() + String(rest) + " \n",
                           BaseParser::S().filename, st.line);
  }
}

void HandleEnd(MssParseState& st, string_view rest) {
  if (!st.open) {
    BaseParser::PARSEERR("Using END without BEGINNING a component. Line ignored");
    return;
  }
  CloseComponent(st);
  if (!rest.empty())
    BaseParser::PARSEERR("Any thing after keyword END on the same line is ignored");
}

void HandleInterface(MssParseState& st, string_view rest) {
  string_view name = rest.substr(0, rest.find_first_of(MdtBase::SPACESET));
  if (name.empty()) {
    BaseParser::PARSEERR("INTERFACE name is not specified");
    return;
  }
  if (st.Recording() && name.size() < rest.size())
    st.Lost("text after INTERFACE " + String(name) + " is not kept");
  // Tested before the node is made, so that the pending comment stays for
  // the next node instead of vanishing with a rejected one.
  if (!st.drv && !st.lib && !st.os) {
    BaseParser::PARSEERR("INTERFACE specified outside BEGIN DRIVER/LIBRARY block. Ignoring...");
    return;
  }
  auto iface = std::make_unique<Interface>();
  iface->SetName(String(name));
  Stamp(iface.get());
  int added;
  const char* duplicate;
  if (st.drv) {
    added = st.drv->AddProperty(DrvInst::INTERFACES, iface.get());
    duplicate = "INTERFACE is already added to driver instance";
  } else if (st.lib) {
    added = st.lib->AddProperty(LibInst::INTERFACES, iface.get());
    duplicate = "INTERFACE is already added to library instance";
  } else {
    added = st.os->AddProperty(LibInst::INTERFACES, iface.get());
    duplicate = "INTERFACE is already added to os instance";
  }
  if (added >= 0) {
    iface.release();
  } else {
    BaseParser::PARSEERR(duplicate);
  }
}

// The text of `s` without its blanks.
std::string Squeezed(string_view s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\r') out += c;
  return out;
}

// The rows hold the value, not its text: what the writer makes of them must
// say the same, blanks aside, or the rest is lost on the way back.
void CheckArrayWritesBack(MssParseState& st, const ArrayInst& array, string_view name,
                          string_view value) {
  std::ostringstream text;
  {
    MdtBase::UtStreamWriter writer(text);
    SwPropertyUtil::PrintArrayInst(&array, "ARRAYINST", &writer);
  }
  std::string written = text.str();
  while (!written.empty() && written.back() == '\n') written.pop_back();
  written = written.substr(written.rfind('\n') == std::string::npos ? 0 : written.rfind('\n') + 1);
  if (Squeezed(written) != Squeezed(" PARAMETER " + std::string(name) + " = " + std::string(value)))
    st.Lost("array value PARAMETER " + String(name) + " is written back as" +
            String(written.substr(written.find('=') + 1)));
}

void HandleArrayInst(MssParseState& st, string_view name, string_view value) {
  auto array = std::make_unique<ArrayInst>();
  array->SetName(String(name));
  array->SetMdtValuePtr(new MdtBase::StrVal());
  Stamp(array.get());
  if (name == "interrupt_handler") {
    // Outside a driver the warning names whatever component is being read.
    const MdtBase::PsfComp* owner = st.Current();
    String text;
    text.doFormat(
        "%s - %s line %d - ARRAY interrupt_handler has been deprecated in VEK and will be removed "
        "in future versions of the tool. It is recommended that you register interrupt handlers "
        "via your application code rather than via the MSS. Please refer to Tavnote 24988 for "
        "more information.\n",
        owner ? owner->GetName().c_str() : "", st.mss->GetFileNameStr().c_str(), st.line);
    Port_MsgManData::Issue(MsgSeverity::kWarning, text, st.mss->GetFileNameStr(), st.line);
  }
  array->SetValueStr(String(value));
  if (st.Recording()) CheckArrayWritesBack(st, *array, name, value);
  int added;
  const char* duplicate;
  if (st.drv) {
    added = st.drv->AddProperty(DrvInst::ARRAYS, array.get());
    duplicate = "PARAMETER is already added to driver instance.";
  } else if (st.lib) {
    added = st.lib->AddProperty(LibInst::ARRAYS, array.get());
    duplicate = "PARAMETER is already added to library instance.";
  } else if (st.os) {
    added = st.os->AddProperty(LibInst::ARRAYS, array.get());
    duplicate = "PARAMETER is already added to os instance.";
  } else {
    // A processor takes no array values; dropped without a word.
    st.Lost("array value PARAMETER " + String(name) + " in a processor is not kept");
    return;
  }
  if (added >= 0)
    array.release();
  else
    BaseParser::PARSEERR(duplicate);
}

// Names the component from a naming parameter. Only the canonical
// parameter goes through the component's SetName, which mirrors the name
// into that parameter; a prefix variant (FILESYS_NAME, DRIVER_NAMES) names
// the component alone, so no second name parameter appears beside it and an
// existing one keeps its value: the file then reads back as it was written.
void NameComponent(MdtBase::NameValue* comp, string_view paramName, const char* canonical,
                   const String& value) {
  if (Port::EqualsNoCase(paramName, canonical))
    comp->SetName(value);
  else
    comp->MdtBase::NameValue::SetName(value);
}

void HandleComponentParam(MssParseState& st, string_view rest) {
  string_view name = BaseUtils::GetWordTillChar(rest, '=');
  string_view value = BaseUtils::TrimLeadingView(rest);
  if (name.empty()) {
    BaseParser::PARSEERR("PARAMETER name is not specified");
    return;
  }
  if (value.empty()) {
    BaseParser::PARSEERR("PARAMETER value is not specified");
    return;
  }
  if (st.drv && Port::StartsNoCase(name, "INT_HANDLER")) {
    BaseParser::PARSEERR(
        "PARAMETER int_handler has been obsoleted in VEK. It is recommended that you register "
        "interrupt handlers via your application code rather than via the MSS. Please refer to "
        "Tavnote 24988 for more information.\n");
    return;
  }
  if (value.front() == '(') {
    HandleArrayInst(st, name, value);
    return;
  }

  auto param = std::make_unique<Param>(String(name));
  param->SetMdtValuePtr(new MdtBase::StrVal(String(value)));
  Stamp(param.get());
  const String valueStr(value);
  // A duplicate loses the statement, yet its value still names the
  // component.
  auto add = [&param](auto* comp, int nodeType, const char* duplicate) {
    if (comp->AddProperty(nodeType, param.get()) >= 0)
      param.release();
    else
      BaseParser::PARSEERR(duplicate);
  };
  if (st.drv) {
    add(st.drv.get(), DrvInst::PARAMETERS, "PARAMETER is already added to driver instance.");
    if (Port::StartsNoCase(name, "DRIVER_NAME"))
      NameComponent(st.drv.get(), name, "DRIVER_NAME", valueStr);
  } else if (st.os) {
    add(st.os.get(), LibInst::PARAMETERS, "PARAMETER is already added to OS instance.");
    if (Port::StartsNoCase(name, "OS_NAME")) NameComponent(st.os.get(), name, "OS_NAME", valueStr);
  } else if (st.proc) {
    add(st.proc.get(), ProcInst::PARAMETERS, "PARAMETER is already added to driver instance.");
    if (Port::StartsNoCase(name, "DRIVER_NAME"))
      NameComponent(st.proc.get(), name, "DRIVER_NAME", valueStr);
  } else if (st.lib) {
    add(st.lib.get(), LibInst::PARAMETERS, "PARAMETER is already added to library instance.");
    if (Port::StartsNoCase(name, "LIBRARY_NAME") || Port::StartsNoCase(name, "FILESYS_NAME"))
      NameComponent(st.lib.get(), name, "LIBRARY_NAME", valueStr);
  }
}

void HandleGlobal(MssParseState& st, string_view stmt) {
  if (!IsKeyword(stmt, "PARAMETER")) {
    BaseParser::PARSEERR("Syntax error. Expecting PARAMETER");
    return;
  }
  string_view rest = AfterKeyword(stmt, "PARAMETER");
  string_view name = BaseUtils::GetWordTillChar(rest, '=');
  const string_view whole = rest;
  string_view value = BaseUtils::GetWordTillChar(rest, ',');
  if (name.empty()) {
    BaseParser::PARSEERR("Parameter name is not specified");
    return;
  }
  if (value.empty()) {
    BaseParser::PARSEERR("Parameter value is not specified");
    return;
  }
  if (Port::StartsNoCase(name, "INT_HANDLER")) {
    BaseParser::PARSEERR(
        "Top level PARAMETER int_handler has been obsoleted in VEK. It is recommended that you "
        "register interrupt handlers via your application code rather than via the MSS. Please "
        "refer to Tavnote 24988 for more information.\n");
    return;
  }
  auto param = std::make_unique<Param>(String(name));
  Stamp(param.get());
  const bool kept = Port::StartsNoCase(name, "VERSION") || Port::StartsNoCase(name, "HW_SPEC_FILE");
  if (st.Recording()) {
    if (!kept)
      st.Lost("value of file-level PARAMETER " + String(name) + " is not kept");
    else if (whole.find(',') != string_view::npos)
      st.Lost("text after ',' in the value of PARAMETER " + String(name) + " is not kept");
  }
  if (Port::StartsNoCase(name, "VERSION")) {
    if (value.substr(0, 5) != "2.2.0")
      BaseParser::PARSEERR("Only version 2.2.0 supported. Assuming version 2.2.0 ...");
    param->SetMdtValuePtr(new MdtBase::StrVal(String(value)));
  } else if (Port::StartsNoCase(name, "HW_SPEC_FILE")) {
    param->SetMdtValuePtr(new MdtBase::StrVal(String(value)));
  }
  // Other global parameters are accepted and carry no value.
  if (st.mss->AddPsfComp(Mss::PARAMETERS, param.get()) >= 0) param.release();
}

void HandleLine(MssParseState& st, String& line) {
  BaseParser::State& s = BaseParser::S();
  // Values and comments never hold quotes.
  if (st.Recording() && line.find('"') != String::npos) st.Lost("double quotes are read as blanks");
  std::replace(line.begin(), line.end(), '"', ' ');
  s.numEmptyLines = line.empty() ? s.numEmptyLines + 1 : 0;

  string_view view(line);
  size_t hash = view.find('#');
  string_view stmt = view.substr(0, hash);
  if (hash != string_view::npos && hash + 1 < view.size())
    BaseParser::AddToComment(String(view.substr(hash + 1)));
  else if (hash != string_view::npos)
    st.Lost("empty comment is not kept");
  BaseParser::CheckAddGlobalComment(st.mss);

  stmt = BaseUtils::TrimView(stmt);
  if (stmt.empty()) return;
  if (IsKeyword(stmt, "BEGIN")) {
    HandleBegin(st, AfterKeyword(stmt, "BEGIN"));
  } else if (IsKeyword(stmt, "END")) {
    HandleEnd(st, AfterKeyword(stmt, "END"));
  } else if (st.open) {
    if (IsKeyword(stmt, "PARAMETER"))
      HandleComponentParam(st, AfterKeyword(stmt, "PARAMETER"));
    else if (IsKeyword(stmt, "INTERFACE"))
      HandleInterface(st, AfterKeyword(stmt, "INTERFACE"));
    else
      BaseParser::PARSEERR("Syntax error. Use PARAMETER or INTERFACE");
  } else {
    HandleGlobal(st, stmt);
  }
}

}  // namespace

int ParseMss::Parse(const String& fileName, Mss* mss) { return Parse(fileName, mss, nullptr); }

int ParseMss::Parse(const String& fileName, Mss* mss, std::vector<MssTextLoss>* losses) {
  if (!mss) return -1;
  BaseParser::ParseScope scope;
  if (int rc = BaseParser::InitData(fileName, mss)) return rc;

  MssParseState st;
  st.mss = mss;
  st.losses = losses;
  mss->SetName(Port::FileName(fileName).GetBase());
  mss->SetFileName(fileName);
  BaseParser::ResetComment();

  BaseParser::State& s = BaseParser::S();
  String line;
  while (BaseParser::ReadLine(line)) {
    ++s.lineno;
    st.line = s.lineno;
    HandleLine(st, line);
  }

  if (!s.comment.IsEmpty()) mss->SetEndMdtComment(s.comment);
  // An unfinished component is not added; it dies with the parse state.
  if (st.open) BaseParser::PARSEERR("No END see in MSS file. ");
  BaseParser::Close();
  return s.numerr;
}

}  // namespace TavSoftware
