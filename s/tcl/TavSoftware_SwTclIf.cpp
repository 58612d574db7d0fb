// SwTclIf: the "tget_handle" and "tget_value" commands over the runtime
// model, and the support scripts.
#include "SwTclIf.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "ArrayInst.h"
#include "Driver.h"
#include "Element.h"
#include "HwTclIf.h"
#include "Interface.h"
#include "Library.h"
#include "Mdd.h"
#include "Mld.h"
#include "OsInst.h"
#include "Processor.h"
#include "SwCore.h"
#include "SwRTClass.h"

namespace TavSoftware {

struct SwTclIfImp {
  SwRTClass* model = nullptr;
  TavTclHwDb::HwTclIf* hw = nullptr;
};

namespace {

using MdtBase::BaseNode;
using MdtBase::BaseTclIf;

Port_MsgManData Msg() { return Port_MsgManData::createObject("VEK", __FILE__, __LINE__, ""); }

bool Eq(std::string_view a, std::string_view b) { return Port::EqualsNoCase(a, b); }
bool Starts(const char* tag, std::string_view prefix) {
  return std::string_view(tag).substr(0, prefix.size()) == prefix;
}
bool Is(const BaseNode* n, const char* tag) { return std::string_view(BaseNode::GetBaseNode(n)) == tag; }

int Error(int objc, Tcl_Obj* const objv[], Tcl_Interp* interp, const char* message) {
  return BaseTclIf::MdtTclError(objc, objv, interp, 0, message);
}

// One keyword of a handle class and the sequence it selects.
struct Keyword {
  const char* word;
  int nodeType;
};

// The handle of the member `name` of `seq`, or the list of all for "*";
// "" when nothing is found.
template <class Seq>
int Answer(SwTclIf* self, Tcl_Interp* interp, const Seq& seq, const char* name) {
  if (std::string_view(name) == "*") {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (auto* member : seq)
      if (member) Tcl_ListObjAppendElement(nullptr, list, self->GetTclObjFromPtr(member));
    Tcl_SetObjResult(interp, list);
    return TCL_OK;
  }
  for (auto* member : seq)
    if (member && Eq(member->GetName(), name)) {
      Tcl_SetObjResult(interp, self->GetTclObjFromPtr(member));
      return TCL_OK;
    }
  Tcl_ResetResult(interp);
  return TCL_OK;
}

void SetHandle(SwTclIf* self, Tcl_Interp* interp, BaseNode* node) {
  Tcl_SetObjResult(interp, self->GetTclObjFromPtr(node));
}

// The NodeType of a keyword of the table; -1 when it has none.
template <class Table>
int Find(const Table& table, const char* word) {
  for (const Keyword& k : table)
    if (k.word && Eq(word, k.word)) return k.nodeType;
  return -1;
}
int Find(std::initializer_list<Keyword> table, const char* word) {
  return Find<std::initializer_list<Keyword>>(table, word);
}

// A handle class with plain sequence lookups: the class tags, the keyword
// table, the accepted word count, and the messages.
struct SeqClass {
  std::array<const char*, 2> tags;  // unused slots null
  std::array<Keyword, 5> keywords;
  const char* unknownType;
};

const SeqClass kSeqClasses[] = {
    {{"TavSoftware_Driver", "TavSoftware_DrvInst"},
     {{{"OPTION", 0}, {"PARAMETER", 1}, {"ARRAY", 2}, {"INTERFACE", 3}}},
     " Unknown property type specified with Driver handle\n"},
    {{"TavSoftware_Library", "TavSoftware_LibInst"},
     {{{"OPTION", 0}, {"PARAMETER", 1}, {"ARRAY", 2}, {"INTERFACE", 3}}},
     " Unknown property type specified with Library handle\n"},
    {{"TavSoftware_OsInst", "TavSoftware_Os"},
     {{{"OPTION", 0}, {"PARAMETER", 1}, {"ARRAY", 2}, {"INTERFACE", 3}}},
     " Unknown property type specified with OS handle\n"},
    {{"TavSoftware_ArrayInst", nullptr}, {{{"PROPERTY", 1}, {"ELEMENTS", 2}}},
     " Unknown property type specified with Array handle\n"},
    {{"TavSoftware_Interface", nullptr}, {{{"PROPERTY", 1}, {"FUNCTION", 2}}},
     "Unknown property type specified with Interface handle\n"},
    {{"TavSoftware_Element", nullptr}, {{{"PARAMETER", 1}}},
     "Unknown property type specified with Element handle\n"},
    // Definition files have no command of their own elsewhere; their
    // sequences are what a generator wants from "mdd" and "mld".
    {{"TavSoftware_Mdd", nullptr},
     {{{"OPTION", 2}, {"PARAMETER", 3}, {"BLOCK", 4}, {"INTERFACE", 5}, {"ARRAY", 6}}},
     "Unknown property type specified with MDD handle\n"},
    {{"TavSoftware_Mld", nullptr},
     {{{"OPTION", 2}, {"PARAMETER", 3}, {"CATEGORY", 4}, {"INTERFACE", 5}, {"ARRAY", 6}}},
     "Unknown property type specified with MLD handle\n"},
};

const PropSeq& SeqOf(BaseNode* node, int nodeType) {
  static const PropSeq kNone;
  if (BaseNode::IsBaseNodeType(node, "TavSoftware_DrvInst"))
    return static_cast<DrvInst*>(node)->GetPropSeqRef(nodeType);
  if (BaseNode::IsBaseNodeType(node, "TavSoftware_LibInst"))
    return static_cast<LibInst*>(node)->GetPropSeqRef(nodeType);
  if (Is(node, "TavSoftware_ArrayInst")) return static_cast<ArrayInst*>(node)->GetPropSeqRef(nodeType);
  if (Is(node, "TavSoftware_Interface")) return static_cast<Interface*>(node)->GetPropSeqRef(nodeType);
  if (Is(node, "TavSoftware_Element")) return static_cast<Element*>(node)->GetPropSeqRef(nodeType);
  if (Is(node, "TavSoftware_Mdd")) return static_cast<Mdd*>(node)->GetPropSeqRef(nodeType);
  if (Is(node, "TavSoftware_Mld")) return static_cast<Mld*>(node)->GetPropSeqRef(nodeType);
  return kNone;
}

int Definition(SwTclIf* self, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], BaseNode* node,
               bool mdd) {
  if (objc != 3) return Error(objc, objv, interp, "invalid number of arguments specified\n");
  if (mdd) {
    if (!BaseNode::IsBaseNodeType(node, "TavSoftware_DrvInst"))
      return Error(objc, objv, interp, "Handle provided GetMddPtr is not of type DrvInst/ProcInst \n");
    SetHandle(self, interp, static_cast<DrvInst*>(node)->GetBaseNodePtr(DrvInst::DEFINITION));
  } else {
    if (!BaseNode::IsBaseNodeType(node, "TavSoftware_LibInst"))
      return Error(objc, objv, interp, "Handle provided GetMldPtr is not of type LibInst/OsInst \n");
    SetHandle(self, interp, static_cast<LibInst*>(node)->GetBaseNodePtr(LibInst::DEFINITION));
  }
  return TCL_OK;
}

int Parent(SwTclIf* self, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], BaseNode* node) {
  if (objc != 3) return Error(objc, objv, interp, "invalid number of arguments specified\n");
  if (BaseNode::IsBaseNodeType(node, "TavSoftware_Mss"))
    Tcl_ResetResult(interp);
  else
    SetHandle(self, interp, node->GetOwner());
  return TCL_OK;
}

// tget_handle <processor> DRIVER <name> ipinst
int IpInst(SwTclIf* self, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], BaseNode* node) {
  if (!Eq(BaseNode::GetBaseNode(node), "TavSoftware_Processor"))
    return Error(objc, objv, interp,
                 "An invalid handle was provided. tget_handle on ipinstname requires a software "
                 "processor handle\n");
  const char* name = Tcl_GetString(objv[3]);
  if (!*name) return Error(objc, objv, interp, "Empty IP instance name specified\n");
  auto* proc = static_cast<Processor*>(node);
  if (Eq(name, proc->GetPropertyValueStr(DrvInst::PARAMETERS, "HW_INSTANCE"))) {
    SetHandle(self, interp, proc);
    return TCL_OK;
  }
  for (Driver* d : proc->GetDriverSeqRef())
    for (const String& inst : d->GetInstSeqRef())
      if (Eq(inst, name)) {
        SetHandle(self, interp, d);
        return TCL_OK;
      }
  if (Eq(name, "system"))
    SetHandle(self, interp, proc->GetOwner());
  else
    Tcl_ResetResult(interp);
  return TCL_OK;
}

int ProcessorHandle(SwTclIf* self, TavTclHwDb::HwTclIf* hw, Tcl_Interp* interp, int objc,
                    Tcl_Obj* const objv[], BaseNode* node) {
  const char* type = Tcl_GetString(objv[2]);
  const char* name = objc > 3 ? Tcl_GetString(objv[3]) : "";
  const bool all = std::string_view(name) == "*";
  auto* processor = Is(node, "TavSoftware_Processor") ? static_cast<Processor*>(node) : nullptr;
  if (Eq(type, "DRIVER") && objc == 5) {
    if (!Eq(Tcl_GetString(objv[4]), "ipinst"))
      return Error(objc, objv, interp,
                   " Unknown from string specified with processor handle to get DrvHandle \n");
    return IpInst(self, interp, objc, objv, node);
  }
  if (Eq(type, "IPINST") && objc == 5) {
    if (!Eq(Tcl_GetString(objv[4]), "peripheral"))
      return Error(objc, objv, interp,
                   " Unknown for string specified with processor handle to get ipinst Handle \n");
    return SwTclIf::MdtTclSwGetIpInstHandle(self, interp, objc, objv);
  }
  if (Eq(type, "DRIVER") || Eq(type, "LIBRARY") || Eq(type, "OS") || Eq(type, "IPINST")) {
    // Only the runtime model's processors have these; a plain processor
    // instance answers with nothing.
    if (!processor) {
      Tcl_ResetResult(interp);
      return TCL_OK;
    }
    if (Eq(type, "DRIVER")) {
      if (all) return Answer(self, interp, processor->GetDriverSeqRef(), "*");
      SetHandle(self, interp, processor->GetDriverByName(name));
    } else if (Eq(type, "LIBRARY")) {
      if (all) return Answer(self, interp, processor->GetLibrarySeqRef(), "*");
      SetHandle(self, interp, processor->GetLibraryByName(name));
    } else if (Eq(type, "OS")) {
      Tcl_Obj* os = self->GetTclObjFromPtr(processor->GetOsInstance());
      if (all) {
        Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
        if (processor->GetOsInstance()) Tcl_ListObjAppendElement(nullptr, list, os);
        else Tcl_DecrRefCount(os);
        Tcl_SetObjResult(interp, list);
      } else {
        Tcl_SetObjResult(interp, os);
      }
    } else if (!hw) {
      Tcl_ResetResult(interp);
    } else if (all) {
      return hw->GetHandlesForNames(self, interp, {processor->GetHwInstance()});
    } else {
      return hw->GetHandleForName(self, interp, processor->GetHwInstance());
    }
    return TCL_OK;
  }
  if (int k = Find({{"OPTION", 0}, {"PARAMETER", 1}, {"ARRAY", 2}}, type); k >= 0)
    return Answer(self, interp, static_cast<DrvInst*>(node)->GetPropSeqRef(k), name);
  return Error(objc, objv, interp, "Unknown property type specified with Processor handle\n");
}

int ModelHandle(SwTclIf* self, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[],
                BaseNode* node) {
  if (objc != 4)
    return Error(objc, objv, interp, " An invalid number of parameters were provided\n");
  const char* type = Tcl_GetString(objv[2]);
  const char* name = Tcl_GetString(objv[3]);
  auto* mss = static_cast<Mss*>(node);
  if (int k = Find({{"PROCESSOR", 1}, {"DRIVER", 2}, {"LIBRARY", 3}}, type); k >= 0) {
    // A plain MSS has no runtime index: nothing to answer with.
    if (!Is(node, "TavSoftware_SwRTClass")) {
      Tcl_ResetResult(interp);
      return TCL_OK;
    }
    return Answer(self, interp, static_cast<SwRTClass*>(node)->GetNameValueSeqRef(k), name);
  }
  if (int k = Find({{"PARAMETER", 1}, {"ARRAY", 2}}, type); k >= 0)
    return Answer(self, interp, mss->GetPsfCompSeqRef(k), name);
  return Error(objc, objv, interp, " Unknown property type specified with Mss handle\n");
}

}  // namespace

SwTclIf::SwTclIf(SwRTClass* model, TavTclHwDb::HwTclIf* hw)
    : BaseTclIf(false), imp_(std::make_unique<SwTclIfImp>()) {
  AddBaseNode(this, "TavSoftware_SwTclIf");
  imp_->model = model;
  imp_->hw = hw;
}

SwTclIf::~SwTclIf() { imp_->model = nullptr; }

SwTclIf* SwTclIf::ConstructSwTclIf(SwRTClass* model, TavTclHwDb::HwTclIf* hw) {
  auto* self = new SwTclIf(model, hw);
  self->Tcl_Main();
  self->PublishModel();
  SourceSwTclFile(self->GetInterp());
  return self;
}

void SwTclIf::SetSwRTObj(SwRTClass* model) {
  ForgetHandles(this);
  imp_->model = model;
  PublishModel();
}

void SwTclIf::PublishModel() {
  if (!GetInterp()) return;
  Tcl_Eval(GetInterp(), "namespace eval ::tavsw {}");
  Tcl_SetVar2Ex(GetInterp(), "::tavsw::model", nullptr, GetTclObjFromPtr(imp_->model),
                TCL_GLOBAL_ONLY);
  Tcl_ResetResult(GetInterp());
}

SwRTClass* SwTclIf::GetSwRTObj() const { return imp_->model; }

int SwTclIf::Tcl_AppInit() {
  if (Tcl_Init(GetInterp()) != TCL_OK) return 1;
  BaseTclIf::RegisterCommands();
  RegisterCommands();
  // One exit handler per thread is enough: it frees the thread's buffers.
  thread_local bool exitHandlerSet = false;
  if (!exitHandlerSet) {
    Tcl_CreateExitHandler(&BaseTclIf::Tcl_AppExit, nullptr);
    exitHandlerSet = true;
  }
  auto* data = static_cast<ThreadData*>(Tcl_GetThreadData(&s_dataKey, sizeof(ThreadData)));
  data->interp = GetInterp();
  Tcl_DStringInit(&data->command);
  Tcl_DStringInit(&data->line);
  data->interactive = 1;
  return 0;
}

void SwTclIf::RegisterCommands() {
  CreateCommand2("tget_handle", &SwTclIf::MdtSwGetHandle, this);
  CreateCommand2("tget_value", &SwTclIf::MdtSwGetValue, this);
  if (!GetFlag())
    CreateCommand(
        "unknown", [](ClientData, Tcl_Interp* interp, int, const char**) {
          Tcl_ResetResult(interp);
          return TCL_OK;
        },
        nullptr);
}

void SwTclIf::CreateCommand2(const char* name, Tcl_CmdProc* proc, ClientData cd) {
  Tcl_CreateCommand(GetInterp(), name, proc, cd, nullptr);
}

void SwTclIf::CreateCommand2(const char* name, Tcl_ObjCmdProc* proc, ClientData cd) {
  Tcl_CreateObjCommand(GetInterp(), name, proc, cd, nullptr);
}

int SwTclIf::SourceSwTclFile(Tcl_Interp* interp) {
  if (!interp) return 1;
  const String root = Port_Env::GetEnv("QUARLY_VEK") + "/data/datastructure/";
  const std::pair<const char*, const char*> files[] = {
      {"hw_database_access.tcl", "Cannot evaluate tcl file %s\n"},
      {"qrylib_hw.tcl", "Cannot evaluate tcl file %s\n"},
      {"sw_database_access.tcl", "Cannot evaluate tcl file %s\n"},
      {"qrylib_sw.tcl", "Cannot evaluate the tcl file %s\n"}};
  for (const auto& [file, message] : files) {
    const String path = root + file;
    if (Tcl_EvalFile(interp, path.c_str()) != TCL_OK) {
      Msg().issueError(message, path.c_str());
      Tcl_ResetResult(interp);
      return 1;
    }
  }
  const String dir = root + "device_support/";
  Port::UT_DIR listing(dir);
  if (!listing.IsOpen()) return 0;
  int count = 0;
  Port::UT_DIR_ITERATOR it(listing);
  while (const Port::DirEntry* entry = it.Next()) {
    const String path = Port::FileName(dir + entry->name).GetAbsolutePath().GetFullName();
    if (Tcl_EvalFile(interp, path.c_str()) != TCL_OK) {
      Msg().issueError("Cannot evaluate the tcl file %s\n", path.c_str());
      ++count;
    }
  }
  Tcl_ResetResult(interp);
  return count;
}

int SwTclIf::MdtSwGetHandle(ClientData cd, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  auto* self = static_cast<SwTclIf*>(cd);
  BaseNode* node = objc > 1 ? GetPtrFromTclObj(objv[1]) : nullptr;
  if (!node) return Error(objc, objv, interp, " A NULL handle was provided\n");
  const char* tag = BaseNode::GetBaseNode(node);
  if (Starts(tag, "XmlHardware_")) {
    if (!self->imp_->hw) return Error(objc, objv, interp, " An invalid handle was provided\n");
    return self->imp_->hw->GetHandle(cd, interp, objc, objv);
  }
  if (!Starts(tag, "TavSoftware_")) return Error(objc, objv, interp, " An invalid handle was provided\n");
  if (objc < 3 || objc > 5) return Error(objc, objv, interp, "Invalid number of parameters specified\n");
  const char* sub = Tcl_GetString(objv[2]);
  if (Eq(sub, "mdd") || Eq(sub, "mld")) return Definition(self, interp, objc, objv, node, Eq(sub, "mdd"));
  if (Eq(sub, "parent")) return Parent(self, interp, objc, objv, node);

  if (BaseNode::IsBaseNodeType(node, "TavSoftware_Mss"))
    return ModelHandle(self, interp, objc, objv, node);
  if (BaseNode::IsBaseNodeType(node, "TavSoftware_ProcInst"))
    return ProcessorHandle(self, self->imp_->hw, interp, objc, objv, node);
  for (const SeqClass& c : kSeqClasses) {
    bool match = false;
    for (const char* t : c.tags) match = match || (t && Is(node, t));
    if (!match) continue;
    if (objc != 4) return Error(objc, objv, interp, " An invalid handle was provided\n");
    const int k = Find(c.keywords, sub);
    if (k < 0) return Error(objc, objv, interp, c.unknownType);
    return Answer(self, interp, SeqOf(node, k), Tcl_GetString(objv[3]));
  }
  if (BaseNode::IsBaseNodeType(node, "MdtBas_Property"))
    return MdtBaseGetHandle(self, interp, objc, objv);
  return Error(objc, objv, interp, " An invalid handle was provided\n");
}

int SwTclIf::MdtSwGetValue(ClientData cd, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  auto* self = static_cast<SwTclIf*>(cd);
  BaseNode* node = objc > 1 ? GetPtrFromTclObj(objv[1]) : nullptr;
  if (!node) return Error(objc, objv, interp, "A NULL handle was provided\n");
  const char* tag = BaseNode::GetBaseNode(node);
  if (Starts(tag, "XmlHardware_")) {
    if (!self->imp_->hw) return Error(objc, objv, interp, "An invalid handle was provided\n");
    return self->imp_->hw->GetValue(cd, interp, objc, objv);
  }
  if (!Starts(tag, "TavSoftware_")) return Error(objc, objv, interp, "An invalid handle was provided\n");
  if (objc < 2 || objc > 4) return Error(objc, objv, interp, "invalid number of arguments specified\n");
  bool wantName = false;
  if (objc == 4) {
    if (MdtSwGetHandle(cd, interp, objc, objv) != TCL_OK) return TCL_ERROR;
    node = GetPtrFromTclObj(Tcl_GetObjResult(interp));
    if (!node) {
      Tcl_ResetResult(interp);
      return TCL_OK;
    }
  } else if (objc == 3) {
    const char* kind = Tcl_GetString(objv[2]);
    if (Eq(kind, "iplist")) return MdtTclSwGetDrvPeriphs(cd, interp, objc, objv);
    if (!Eq(kind, "value") && !Eq(kind, "name"))
      return Error(objc, objv, interp, " Only name and value are valid value types\n");
    wantName = Eq(kind, "name");
  }
  tag = BaseNode::GetBaseNode(node);
  if (Starts(tag, "MdtBas_")) {
    Tcl_Obj* args[3] = {objv[0], self->GetTclObjFromPtr(node),
                        Tcl_NewStringObj(wantName ? "name" : "value", -1)};
    for (Tcl_Obj* a : args) Tcl_IncrRefCount(a);
    int code = MdtBaseGetValue(self, interp, 3, args);
    for (Tcl_Obj* a : args) Tcl_DecrRefCount(a);
    return code;
  }
  if (Is(node, "TavSoftware_Element"))
    return Error(objc, objv, interp, " The given handle does not have a value associated\n");
  String text;
  if (BaseNode::IsBaseNodeType(node, "MdtBas_NameValue")) {
    auto* nv = static_cast<MdtBase::NameValue*>(node);
    if (wantName) {
      text = nv->GetName();
    } else if (auto* ptr = dynamic_cast<MdtBase::BaseNodePtrVal*>(nv->GetMdtValuePtr())) {
      // A link is answered with the handle of what it points to, which a
      // script can follow (an address could not be resolved).
      SetHandle(self, interp, ptr->GetPtr());
      return TCL_OK;
    } else {
      text = nv->GetValueStr();
    }
  } else if (Is(node, "TavSoftware_SwCore")) {
    auto* core = static_cast<SwCore*>(node);
    text = wantName ? core->GetName() : core->GetVersion();
  }
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())));
  return TCL_OK;
}

int SwTclIf::MdtTclSwGetIpInstHandle(ClientData cd, Tcl_Interp* interp, int objc,
                                     Tcl_Obj* const objv[]) {
  auto* self = static_cast<SwTclIf*>(cd);
  if (objc != 5) return Error(objc, objv, interp, "Invalid number of parameters specified\n");
  const char* name = Tcl_GetString(objv[3]);
  if (!*name) return Error(objc, objv, interp, " Empty IP instance name specified\n");
  if (!self->imp_->hw) {
    Tcl_ResetResult(interp);
    return TCL_OK;
  }
  return self->imp_->hw->GetHandleForName(cd, interp, name);
}

int SwTclIf::MdtTclSwGetDrvPeriphs(ClientData cd, Tcl_Interp* interp, int objc,
                                   Tcl_Obj* const objv[]) {
  auto* self = static_cast<SwTclIf*>(cd);
  BaseNode* node = objc > 1 ? GetPtrFromTclObj(objv[1]) : nullptr;
  if (!node) return Error(objc, objv, interp, "A NULL handle was provided\n");
  if (!Starts(BaseNode::GetBaseNode(node), "TavSoftware_"))
    return Error(objc, objv, interp, "An invalid handle was provided\n");
  std::vector<std::string> names;
  if (Is(node, "TavSoftware_Driver")) {
    for (const String& n : static_cast<Driver*>(node)->GetInstSeqRef()) names.push_back(n);
    std::sort(names.begin(), names.end());
  } else if (Is(node, "TavSoftware_Processor")) {
    names.push_back(static_cast<Processor*>(node)->GetHwInstance());
  } else {
    return Error(objc, objv, interp, "An invalid handle type was provided\n");
  }
  if (!self->imp_->hw) {
    Tcl_SetObjResult(interp, Tcl_NewListObj(0, nullptr));
    return TCL_OK;
  }
  return self->imp_->hw->GetHandlesForNames(cd, interp, names);
}

}  // namespace TavSoftware
