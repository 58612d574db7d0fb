#include "BaseTclIf.h"

#include <cstdlib>
#include <iostream>
#include <map>
#include <mutex>
#include <unordered_map>

namespace MdtBase {

Tcl_ThreadDataKey BaseTclIf::s_dataKey;

namespace {

constexpr const char kPrefix[] = "tav:";

// The registry of live handles of this thread. Ids are never reused, so a
// withdrawn handle can never come to mean another node.
struct Registry {
  struct Entry {
    BaseNode* node;
    const void* issuer;
  };
  unsigned long long next = 1;
  std::unordered_map<unsigned long long, Entry> byId;
  std::map<std::pair<const void*, BaseNode*>, unsigned long long> byNode;
  std::unordered_multimap<BaseNode*, unsigned long long> idsOfNode;

  void Erase(unsigned long long id) {
    auto it = byId.find(id);
    if (it == byId.end()) return;
    byNode.erase({it->second.issuer, it->second.node});
    auto range = idsOfNode.equal_range(it->second.node);
    for (auto n = range.first; n != range.second; ++n)
      if (n->second == id) {
        idsOfNode.erase(n);
        break;
      }
    byId.erase(it);
  }
};

// One registry for the process, guarded by a lock: a node may be destroyed
// on another thread than the one that handed out its handle, and static
// objects that hold interfaces are destroyed after every thread-local one.
std::mutex& RegLock() {
  static std::mutex lock;
  return lock;
}

Registry& Reg() {
  static Registry registry;
  return registry;
}

void NodeDestroyed(BaseNode* node) {
  std::lock_guard<std::mutex> guard(RegLock());
  Registry& r = Reg();
  std::vector<unsigned long long> ids;
  auto range = r.idsOfNode.equal_range(node);
  for (auto it = range.first; it != range.second; ++it) ids.push_back(it->second);
  for (unsigned long long id : ids) r.Erase(id);
}

bool EqNoCase(const char* a, const char* b) { return Port::EqualsNoCase(a, b); }

Tcl_Obj* ListOf(const std::vector<BaseNode*>& nodes, const void* issuer) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (BaseNode* n : nodes) Tcl_ListObjAppendElement(nullptr, list, BaseTclIf::GetTclObjFromPtr(n, issuer));
  return list;
}

}  // namespace

BaseTclIf::BaseTclIf(bool flag) : flag_(flag) { AddBaseNode(this, "MdtBas_BaseTclIf"); }

BaseTclIf::~BaseTclIf() {
  ForgetHandles(this);
  if (interp_) Tcl_DeleteInterp(interp_);
}

int BaseTclIf::Tcl_Main() {
  if (!interp_) {
    Tcl_FindExecutable(nullptr);
    interp_ = Tcl_CreateInterp();
  }
  return Tcl_AppInit();
}

int BaseTclIf::Tcl_Main(int argc, char** argv) {
  if (!interp_ && Tcl_Main() != 0) return 1;
  auto fail = [this] {
    std::cerr << Tcl_GetStringResult(interp_) << "\n"
              << Tcl_GetVar(interp_, "errorInfo", TCL_GLOBAL_ONLY) << std::endl;
    return 1;
  };
  if (argc > 0) {
    Tcl_Obj* args = Tcl_NewListObj(0, nullptr);
    for (int i = 1; i < argc; ++i) Tcl_ListObjAppendElement(nullptr, args, Tcl_NewStringObj(argv[i], -1));
    Tcl_SetVar2Ex(interp_, "argv", nullptr, args, TCL_GLOBAL_ONLY);
    Tcl_SetVar2Ex(interp_, "argc", nullptr, Tcl_NewIntObj(argc - 1), TCL_GLOBAL_ONLY);
    Tcl_SetVar(interp_, "argv0", argv[0], TCL_GLOBAL_ONLY);
    return Tcl_EvalFile(interp_, argv[0]) == TCL_OK ? 0 : fail();
  }
  // Interactive: gather lines until they form a complete command.
  auto* data = static_cast<ThreadData*>(Tcl_GetThreadData(&s_dataKey, sizeof(ThreadData)));
  std::string line;
  while (true) {
    std::cout << (Tcl_DStringLength(&data->command) ? "> " : "% ") << std::flush;
    if (!std::getline(std::cin, line)) break;
    Tcl_DStringAppend(&data->command, line.c_str(), -1);
    Tcl_DStringAppend(&data->command, "\n", 1);
    if (!Tcl_CommandComplete(Tcl_DStringValue(&data->command))) continue;
    int code = Tcl_Eval(interp_, Tcl_DStringValue(&data->command));
    Tcl_DStringSetLength(&data->command, 0);
    const char* result = Tcl_GetStringResult(interp_);
    if (code != TCL_OK)
      std::cerr << result << std::endl;
    else if (*result)
      std::cout << result << std::endl;
  }
  return 0;
}

int BaseTclIf::Tcl_AppInit() {
  if (Tcl_Init(interp_) != TCL_OK) return 1;
  RegisterCommands();
  return 0;
}

void BaseTclIf::RegisterCommands() {}

void BaseTclIf::CreateCommand(const char* name, Tcl_CmdProc* proc, ClientData clientData) {
  if (interp_) Tcl_CreateCommand(interp_, name, proc, clientData, nullptr);
}

void BaseTclIf::Tcl_AppExit(ClientData) {
  auto* data = static_cast<ThreadData*>(Tcl_GetThreadData(&s_dataKey, sizeof(ThreadData)));
  Tcl_DStringFree(&data->command);
  Tcl_DStringFree(&data->line);
}

int BaseTclIf::MdtTclError(int objc, Tcl_Obj* const objv[], Tcl_Interp* interp, int flag,
                           const char* message) {
  std::string text;
  if (flag) {
    for (int i = 0; i < objc; ++i) text += std::string(i ? " " : "") + Tcl_GetString(objv[i]);
    text += ": ";
  }
  text += message ? message : "";
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())));
  return TCL_ERROR;
}

Tcl_Obj* BaseTclIf::GetTclObjFromPtr(BaseNode* node, const void* issuer) {
  if (!node) return Tcl_NewObj();
  std::lock_guard<std::mutex> guard(RegLock());
  Registry& r = Reg();
  auto key = std::make_pair(issuer, node);
  auto it = r.byNode.find(key);
  unsigned long long id;
  if (it != r.byNode.end()) {
    id = it->second;
  } else {
    id = r.next++;
    r.byNode.emplace(key, id);
    r.byId.emplace(id, Registry::Entry{node, issuer});
    r.idsOfNode.emplace(node, id);
    node->SetWatched();
    BaseNode::SetDestroyedHook(&NodeDestroyed);
  }
  std::string word = kPrefix + std::to_string(id);
  return Tcl_NewStringObj(word.c_str(), static_cast<int>(word.size()));
}

BaseNode* BaseTclIf::GetPtrFromTclObj(Tcl_Obj* obj) {
  if (!obj) return nullptr;
  const char* text = Tcl_GetString(obj);
  const size_t n = sizeof(kPrefix) - 1;
  if (std::string_view(text).substr(0, n) != kPrefix || !text[n]) return nullptr;
  unsigned long long id = 0;
  for (const char* p = text + n; *p; ++p) {
    if (*p < '0' || *p > '9' || id > 100000000000000000ULL) return nullptr;
    id = id * 10 + static_cast<unsigned>(*p - '0');
  }
  std::lock_guard<std::mutex> guard(RegLock());
  auto it = Reg().byId.find(id);
  return it == Reg().byId.end() ? nullptr : it->second.node;
}

void BaseTclIf::ForgetHandles(const void* issuer) {
  std::lock_guard<std::mutex> guard(RegLock());
  Registry& r = Reg();
  std::vector<unsigned long long> ids;
  for (auto it = r.byNode.lower_bound({issuer, nullptr});
       it != r.byNode.end() && it->first.first == issuer; ++it)
    ids.push_back(it->second);
  for (unsigned long long id : ids) r.Erase(id);
}

size_t BaseTclIf::LiveHandleCount() {
  std::lock_guard<std::mutex> guard(RegLock());
  return Reg().byId.size();
}

int BaseTclIf::MdtBaseGetHandle(BaseTclIf* self, Tcl_Interp* interp, int objc,
                                Tcl_Obj* const objv[]) {
  BaseNode* node = objc > 1 ? GetPtrFromTclObj(objv[1]) : nullptr;
  if (!IsBaseNodeType(node, "MdtBas_Property"))
    return MdtTclError(objc, objv, interp, 0, " An invalid handle was provided\n");
  if (objc != 4) return MdtTclError(objc, objv, interp, 0, "Invalid number of parameters specified\n");
  if (!EqNoCase(Tcl_GetString(objv[2]), "PROPERTY"))
    return MdtTclError(objc, objv, interp, 0, "Unknown property type specified with Property handle\n");
  auto* p = static_cast<Property*>(node);
  const char* name = Tcl_GetString(objv[3]);
  if (std::string_view(name) == "*") {
    std::vector<BaseNode*> all(p->GetPsfCompSeqRef().begin(), p->GetPsfCompSeqRef().end());
    Tcl_SetObjResult(interp, ListOf(all, self));
  } else {
    Tcl_SetObjResult(interp, GetTclObjFromPtr(p->GetPsfCompByName(name), self));
  }
  return TCL_OK;
}

int BaseTclIf::MdtBaseGetValue(BaseTclIf* self, Tcl_Interp* interp, int objc,
                               Tcl_Obj* const objv[]) {
  BaseNode* node = objc > 1 ? GetPtrFromTclObj(objv[1]) : nullptr;
  if (!IsBaseNodeType(node, "MdtBas_NameValue"))
    return MdtTclError(objc, objv, interp, 0, "An invalid handle was provided\n");
  auto* nv = static_cast<NameValue*>(node);
  const char* kind = objc >= 3 ? Tcl_GetString(objv[2]) : "value";
  if (objc > 3 || (!EqNoCase(kind, "value") && !EqNoCase(kind, "name")))
    return MdtTclError(objc, objv, interp, 0, " Only name and value are valid value types\n");
  if (EqNoCase(kind, "name")) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(nv->GetName().c_str(), -1));
  } else if (auto* ptr = dynamic_cast<BaseNodePtrVal*>(nv->GetMdtValuePtr())) {
    Tcl_SetObjResult(interp, GetTclObjFromPtr(ptr->GetPtr(), self));
  } else {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(nv->GetValueStr().c_str(), -1));
  }
  return TCL_OK;
}

}  // namespace MdtBase
