#include "HwTclIf.h"

#include "HwDbFile.h"
#include "Port.h"

namespace TavTclHwDb {

using MdtBase::BaseTclIf;

// A hardware node: an instance, or one parameter of an instance.
struct HwTclIf::Node : MdtBase::BaseNode {
  Node(std::string inst, std::string param) : instance(std::move(inst)), parameter(std::move(param)) {
    AddBaseNode(this, parameter.empty() ? "XmlHardware_Instance" : "XmlHardware_Parameter");
  }
  std::string instance;   // as the database names it
  std::string parameter;  // empty for an instance
};

namespace {

bool Eq(const char* a, const char* b) { return Port::EqualsNoCase(a, b); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(Port::String::Lower(static_cast<unsigned char>(c)));
  return s;
}

int Error(int objc, Tcl_Obj* const objv[], Tcl_Interp* interp, const char* message) {
  return BaseTclIf::MdtTclError(objc, objv, interp, 0, message);
}

void SetString(Tcl_Interp* interp, const std::string& s) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(s.c_str(), static_cast<int>(s.size())));
}

}  // namespace

HwTclIf::HwTclIf(boost::shared_ptr<TavHwDb::HwDb> hw) : hw_(std::move(hw)) {}

HwTclIf::~HwTclIf() { BaseTclIf::ForgetHandles(this); }

int HwTclIf::RegisterCommands(Tcl_Interp*) { return 0; }

std::string HwTclIf::Canonical(const std::string& name) {
  if (!hw_ || name.empty() || !hw_->IsInstPresent(name)) return std::string();
  // The names are read once: asking the database for all of them per
  // lookup would make a list of handles quadratic.
  if (spelled_.empty())
    for (const std::string& n : hw_->GetAllInstNames()) spelled_.emplace(Lower(n), n);
  auto it = spelled_.find(Lower(name));
  return it == spelled_.end() ? name : it->second;
}

HwTclIf::Node* HwTclIf::Instance(const std::string& name) {
  const std::string canonical = Canonical(name);
  if (canonical.empty()) return nullptr;
  auto& slot = nodes_[Lower(canonical)];
  if (!slot) {
    slot = std::make_unique<Node>(canonical, std::string());
    owned_.insert(slot.get());
  }
  return slot.get();
}

HwTclIf::Node* HwTclIf::Parameter(Node* inst, const std::string& name) {
  // "\n" cannot occur in either name, so the key is unambiguous.
  auto& slot = nodes_[Lower(inst->instance) + "\n" + Lower(name)];
  if (!slot) {
    slot = std::make_unique<Node>(inst->instance, name);
    owned_.insert(slot.get());
  }
  return slot.get();
}

HwTclIf::Node* HwTclIf::Resolve(Tcl_Obj* obj) const {
  MdtBase::BaseNode* n = BaseTclIf::GetPtrFromTclObj(obj);
  if (!MdtBase::BaseNode::IsBaseNodeType(n, "XmlHardware_Instance") &&
      !MdtBase::BaseNode::IsBaseNodeType(n, "XmlHardware_Parameter"))
    return nullptr;
  auto* node = static_cast<Node*>(n);
  // Only this interface's own nodes are served.
  return owned_.count(node) ? node : nullptr;
}

int HwTclIf::GetValue(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  Node* node = objc > 1 ? Resolve(objv[1]) : nullptr;
  if (!node) return Error(objc, objv, interp, "A NULL handle was provided\n");
  const char* kind = objc > 2 ? Tcl_GetString(objv[2]) : "value";
  if (!node->parameter.empty()) {
    if (objc > 3 || (!Eq(kind, "value") && !Eq(kind, "name")))
      return Error(objc, objv, interp,
                   "tget_value on a hardware parameter takes no word or one of name, value\n");
    SetString(interp, Eq(kind, "name") ? node->parameter
                                       : hw_->GetInstParamValue(node->instance, node->parameter));
    return TCL_OK;
  }
  if (objc <= 3) {
    if (!Eq(kind, "value") && !Eq(kind, "name"))
      return Error(objc, objv, interp,
                   "tget_value on a hardware instance takes name, value, PARAMETER <name> or "
                   "OPTION IPTYPE|IPVERSION|IPCLASS\n");
    SetString(interp, node->instance);
    return TCL_OK;
  }
  if (objc != 4)
    return Error(objc, objv, interp, "invalid number of arguments specified\n");
  const char* what = Tcl_GetString(objv[3]);
  if (Eq(kind, "PARAMETER")) {
    SetString(interp, hw_->GetInstParamValue(node->instance, what));
  } else if (Eq(kind, "OPTION") && Eq(what, "IPTYPE")) {
    SetString(interp, hw_->GetIpType(node->instance));
  } else if (Eq(kind, "OPTION") && Eq(what, "IPVERSION")) {
    SetString(interp, hw_->GetIpVersion(node->instance));
  } else if (Eq(kind, "OPTION") && Eq(what, "IPCLASS")) {
    SetString(interp, hw_->GetIpClass(node->instance));
  } else {
    return Error(objc, objv, interp,
                 "tget_value on a hardware instance takes name, value, PARAMETER <name> or "
                 "OPTION IPTYPE|IPVERSION|IPCLASS\n");
  }
  return TCL_OK;
}

int HwTclIf::GetHandlesForNames(ClientData, Tcl_Interp* interp,
                                const std::vector<std::string>& names) {
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  for (const std::string& n : names)
    if (Node* node = Instance(n))
      Tcl_ListObjAppendElement(nullptr, list, BaseTclIf::GetTclObjFromPtr(node, this));
  Tcl_SetObjResult(interp, list);
  return TCL_OK;
}

int HwTclIf::GetHandleForName(ClientData, Tcl_Interp* interp, const std::string& name) {
  Tcl_SetObjResult(interp, BaseTclIf::GetTclObjFromPtr(Instance(name), this));
  return TCL_OK;
}

int HwTclIf::GetHandle(ClientData cd, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  Node* node = objc > 1 ? Resolve(objv[1]) : nullptr;
  if (!node) return Error(objc, objv, interp, " A NULL handle was provided\n");
  static const char* const kUsage =
      "tget_handle on a hardware instance takes PARAMETER <name>|* or ADDRESSABLE *\n";
  if (!node->parameter.empty())
    return Error(objc, objv, interp, "A hardware parameter has no handles below it\n");
  if (objc != 4) return Error(objc, objv, interp, kUsage);
  const char* kind = Tcl_GetString(objv[2]);
  const std::string name = Tcl_GetString(objv[3]);
  if (Eq(kind, "ADDRESSABLE") && name == "*")
    return GetHandlesForNames(cd, interp, hw_->GetAddressableInstNames(node->instance));
  if (!Eq(kind, "PARAMETER")) return Error(objc, objv, interp, kUsage);
  const std::string instance = node->instance;
  if (name != "*") {
    // A parameter the instance does not have gives "", as a missing name does.
    bool present = !hw_->GetInstParamValue(instance, name).empty();
    if (const auto* file = dynamic_cast<const TavHwDb::HwDbFile*>(hw_.get()))
      for (const auto& inst : file->Instances())
        if (Port::EqualsNoCase(inst.name, instance))
          for (const auto& [param, value] : inst.parameters)
            present = present || Port::EqualsNoCase(param, name);
    Tcl_SetObjResult(interp, present ? BaseTclIf::GetTclObjFromPtr(Parameter(node, name), this)
                                     : Tcl_NewObj());
    return TCL_OK;
  }
  // The database interface has no listing of parameters; the description
  // file has one.
  Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
  if (const auto* file = dynamic_cast<const TavHwDb::HwDbFile*>(hw_.get())) {
    for (const auto& inst : file->Instances()) {
      if (!Port::EqualsNoCase(inst.name, instance)) continue;
      for (const auto& [param, value] : inst.parameters)
        Tcl_ListObjAppendElement(nullptr, list,
                                 BaseTclIf::GetTclObjFromPtr(Parameter(node, param), this));
    }
  }
  Tcl_SetObjResult(interp, list);
  return TCL_OK;
}

}  // namespace TavTclHwDb
