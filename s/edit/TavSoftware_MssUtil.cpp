// MssUtil: reading and writing an MSS, making the MSS of a processor,
// adding and removing drivers and libraries, renaming a hardware instance,
// interrupt handlers and the compiler options of a processor.
#include <unordered_set>

#include "Array.h"
#include "ArrayInst.h"
#include "ArrayInstUtil.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "Element.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"
#include "MssUtil.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "Param.h"
#include "ParseMss.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "SwCore.h"
#include "SwRTUtil.h"
#include "SwRepos.h"
#include "SwReposMan.h"
#include "WriteMss.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

namespace {

// "*" asks for any version; the lookups below take that as an empty version.
String AnyVersion(const String& version) { return version == "*" ? String() : version; }

// The core of a driver (kind 1) or library/OS (kind 2) definition, searched
// in the manager's repositories in list order. Asking by kind, not for any
// core, keeps a library from standing in for a driver of the same name.
SwCore* FindCore(SwReposMan* man, int kind, const String& name, const String& version) {
  BaseNode* file = SwRepos::GetCoreByName(man->GetSwReposSeqRef(), kind, name, AnyVersion(version), 0);
  return file ? dynamic_cast<SwCore*>(file->GetOwner()) : nullptr;
}

bool IsProcessorClass(const MssUtil::HwDbPtr& hw, const String& inst) {
  return hw && Eq(hw->GetIpClass(inst), "PROCESSOR");
}

// Removes and destroys an instance from the sequence it actually stands in.
void DeleteDrvInst(Mss* mss, DrvInst* inst) {
  const bool proc = BaseNode::IsBaseNodeType(inst, "TavSoftware_ProcInst");
  mss->DelPsfComp(proc ? Mss::PROCESSORS : Mss::DRIVERS, inst);
}

// Gives every instance of `insts` that has no driver or processor instance
// its default driver, as InitializeDrvInfo does one by one, but finds the
// instances already served in one set, so that a processor addressing
// thousands of peripherals is set up in linear time.
void AddDefaultDrivers(Mss* mss, const MssUtil::HwDbPtr& hw, const std::vector<std::string>& insts,
                       SwReposMan* man) {
  auto key = [](const String& name) {
    String k = name;
    return std::string(k.MakeLower());
  };
  std::unordered_set<std::string> served;
  for (int seq : {Mss::DRIVERS, Mss::PROCESSORS})
    for (const MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq))
      if (const String at = InstParamValue(c, "HW_INSTANCE"); !at.empty()) served.insert(key(at));
  for (const std::string& inst : insts) {
    if (inst.empty() || served.count(key(inst))) continue;
    const SwCore* found =
        SwRTUtil::GetDrvForPeriph(hw->GetIpType(inst), hw->GetIpVersion(inst), man->GetSwReposSeqRef());
    SwCore* core = found ? FindCore(man, SwRepos::DRIVER, found->GetName(), found->GetVersion()) : nullptr;
    if (!core) continue;
    const bool processor = IsProcessorClass(hw, inst);
    DrvInst* d = processor ? new ProcInst() : new DrvInst();
    DrvInstUtil::SetDriverInfo(d, inst, core->GetName(), core->GetVersion());
    DrvInstUtil::AssignSwCore(d, man->GetSwReposSeqRef());
    mss->AddPsfComp(processor ? Mss::PROCESSORS : Mss::DRIVERS, d);
    served.insert(key(inst));
  }
}

void EnsureVersionParam(Mss* mss) {
  if (mss->GetPsfCompByName(Mss::PARAMETERS, "VERSION")) return;
  auto* p = new Param("VERSION");
  p->SetMdtValuePtr(new MdtBase::StrVal("2.2.0"));
  mss->AddPsfComp(Mss::PARAMETERS, p);
}

// Fills the "connected_periphs" array of a board-support package with every
// hardware instance its column allows: ((uart_0),(gpio_0)).
void FillConnectedPeriphs(Mss* mss, const MssUtil::HwDbPtr& hw, SwReposMan* man, OsInst* os,
                          const Mld* mld) {
  const MdtBase::Property* def = mld->GetPropertyByName("connected_periphs");
  if (!BaseNode::IsBaseNodeType(def, "TavSoftware_Array")) return;
  const PropSeq& columns = static_cast<const Array*>(def)->GetPropSeqRef(Array::PARAMETERS);
  if (columns.empty() || !columns[0] ||
      !Eq(columns[0]->GetPsfCompValueStr("TYPE"), "peripheral_instance"))
    return;
  std::vector<String> insts;
  SwRTUtil::GetCoreListForDrvParam(hw, mss, columns[0], man, insts);
  String value;
  for (const String& i : insts) value += (value.empty() ? "(" : ",") + ("(" + i + ")");
  if (!value.empty()) value += ")";
  os->CreateAddPropertySetValue(LibInst::ARRAYS, "connected_periphs", value);
}

const MdtBase::Property* ParamDefinition(const MdtBase::PsfFile* definition, const String& name) {
  if (const auto* mdd = dynamic_cast<const Mdd*>(definition))
    return mdd->GetPropertyByName(Mdd::PARAMETERS, name);
  if (const auto* mld = dynamic_cast<const Mld*>(definition)) {
    const MdtBase::Property* p = mld->GetPropertyByName(Mld::PARAMETERS, name);
    return p ? p : mld->GetPropertyByName(Mld::CATEGORIES, name);
  }
  return nullptr;
}

const Array* ArrayDefinition(const MdtBase::PsfFile* definition, const String& name) {
  const MdtBase::Property* p = nullptr;
  if (const auto* mdd = dynamic_cast<const Mdd*>(definition))
    p = mdd->GetPropertyByName(Mdd::ARRAYS, name);
  else if (const auto* mld = dynamic_cast<const Mld*>(definition))
    p = mld->GetPropertyByName(name);  // arrays may stand inside categories
  return dynamic_cast<const Array*>(p);
}

bool IsPeriphInstance(const MdtBase::Property* def) {
  return def && Eq(def->GetPsfCompValueStr("type"), "peripheral_instance");
}

// Renames the cells of an array value whose column holds peripheral
// instances. Cells the reader made have no name and are matched to the
// columns by position; named cells by name.
int RenameInArray(ArrayInst* value, const Array* def, const String& oldName,
                  const String& newName) {
  const PropSeq& columns = def->GetPropSeqRef(Array::PARAMETERS);
  int changed = 0;
  for (MdtBase::Property* row : value->GetPropSeqRef(ArrayInst::ELEMENTS)) {
    auto* element = dynamic_cast<Element*>(row);
    if (!element) continue;
    const PropSeq& cells = element->GetPropSeqRef(Element::PARAMETERS);
    for (size_t i = 0; i < cells.size(); ++i) {
      MdtBase::Property* cell = cells[i];
      if (!cell || !cell->GetMdtValuePtr() || !Eq(cell->GetValueStr(), oldName)) continue;
      const MdtBase::Property* column =
          !cell->GetName().empty() ? def->GetPropertyByName(Array::PARAMETERS, cell->GetName())
          : i < columns.size()     ? columns[i]
                                   : nullptr;
      if (!IsPeriphInstance(column)) continue;
      cell->GetMdtValuePtr()->SetValue(newName);
      ++changed;
    }
  }
  if (changed && value->GetMdtValuePtr()) {
    // The rows are what gets written; the value text is brought in line so
    // that readers of the text see the new name too. Setting it on the
    // value object keeps the rows (and their cell names) as they are.
    String text = "(";
    bool firstRow = true;
    for (const MdtBase::Property* row : value->GetPropSeqRef(ArrayInst::ELEMENTS)) {
      const auto* element = dynamic_cast<const Element*>(row);
      if (!element) continue;
      text += firstRow ? "(" : ",(";
      firstRow = false;
      bool firstCell = true;
      for (const MdtBase::Property* cell : element->GetPropSeqRef(Element::PARAMETERS)) {
        if (!firstCell) text += ",";
        firstCell = false;
        text += cell->GetValueStr();
      }
      text += ")";
    }
    text += ")";
    value->GetMdtValuePtr()->SetValue(text);
  }
  return changed;
}

ArrayInst* IntHandlerArray(Mss* mss) {
  for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(Mss::ARRAYS))
    if (BaseNode::IsBaseNodeType(c, "TavSoftware_ArrayInst") &&
        Eq(c->GetName(), "interrupt_handler"))
      return static_cast<ArrayInst*>(c);
  return nullptr;
}

String HwParam(const MssUtil::HwDbPtr& hw, const String& inst, const char* name) {
  String v = hw->GetInstParamValue(inst, name);
  v.Trim();
  return v;
}

}  // namespace

// ---------------------------------------------------------------------------
// File access
// ---------------------------------------------------------------------------
int MssUtil::Parse(const String& path, Mss* mss) { return ParseMss::Parse(path, mss); }

int MssUtil::Write(const String& path, Mss* mss) { return WriteMss::Write(path, mss, 1); }

int MssUtil::AssignOwner(Mss*) { return 1; }

int MssUtil::Check(Mss*) { return 1; }

// ---------------------------------------------------------------------------
// Adding and removing components
// ---------------------------------------------------------------------------
int MssUtil::AddDriver(Mss* mss, SwReposMan* man, const String& hwInst, bool isProcessor,
                       const String& driverName, const String& driverVersion, DrvInst** out) {
  if (out) *out = nullptr;
  if (!mss || !man) return -2;
  SwCore* core = FindCore(man, SwRepos::DRIVER, driverName, driverVersion);
  if (!core) return -1;
  int result = 0;
  if (DrvInst* old = GetDrvInstByHwInstName(mss, hwInst)) {
    DeleteDrvInst(mss, old);
    result = 1;
  }
  DrvInst* inst = isProcessor ? new ProcInst() : new DrvInst();
  DrvInstUtil::SetDriverInfo(inst, hwInst, core->GetName(), core->GetVersion());
  DrvInstUtil::AssignSwCore(inst, man->GetSwReposSeqRef());
  mss->AddPsfComp(isProcessor ? Mss::PROCESSORS : Mss::DRIVERS, inst);
  if (out) *out = inst;
  return result;
}

int MssUtil::AddLibrary(Mss* mss, SwReposMan* man, const String& libName,
                        const String& libVersion, const String& procInst, LibInst** out) {
  if (out) *out = nullptr;
  if (!mss || !man) return -2;
  SwCore* core = FindCore(man, SwRepos::LIBRARY, libName, libVersion);
  if (!core) return -1;
  int result = 0;
  if (LibInst* old = SwRTUtil::GetLibraryByProcInstName(mss, procInst, libName)) {
    // "*" asks for any version, so a library already present in any
    // version is kept with its parameters rather than replaced.
    if (libVersion == "*" || Eq(InstParamValue(old, "LIBRARY_VER"), libVersion)) {
      if (out) *out = old;
      return 2;
    }
    mss->DelPsfComp(Mss::LIBRARIES, old);
    result = 1;
  }
  auto* inst = new LibInst();
  LibInstUtil::SetLibInstInfo(inst, procInst, core->GetName(), core->GetVersion());
  LibInstUtil::AssignSwCore(inst, man->GetSwReposSeqRef());
  mss->AddPsfComp(Mss::LIBRARIES, inst);
  if (out) *out = inst;
  return result;
}

int MssUtil::DelLibrary(Mss* mss, const String& libName, const String& libVersion,
                        const String& procInst) {
  if (!mss) return -2;
  LibInst* lib = SwRTUtil::GetLibraryByProcInstName(mss, procInst, libName);
  if (!lib) return 2;
  if (libVersion != "*" && !Eq(InstParamValue(lib, "LIBRARY_VER"), libVersion)) return 1;
  mss->DelPsfComp(Mss::LIBRARIES, lib);
  return 0;
}

void MssUtil::DeletePsfCompsForInstance(Mss* mss, const String& hwInst) {
  if (!mss) return;
  const auto msg = Msg();
  msg.debugStub("DeletPsfCompsForInstance : %s \n", hwInst.c_str());
  if (DrvInst* proc = ProcInstUtil::GetProcInstByHwInstName(mss->GetPsfCompSeqRef(Mss::PROCESSORS),
                                                            hwInst)) {
    msg.debugStub("Deleting driver %s \n", proc->GetName().c_str());
    mss->DelPsfComp(Mss::PROCESSORS, proc);
    if (OsInst* os = SwRTUtil::GetOsByProcInstName(mss, hwInst)) {
      msg.debugStub("Deleting OS instance %s \n", os->GetName().c_str());
      mss->DelPsfComp(Mss::OSES, os);
    }
    std::vector<LibInst*> libs;
    GetLibInstSeqByHwInstName(mss, hwInst, libs);
    for (LibInst* lib : libs) {
      msg.debugStub("Deleting Library %s \n", lib->GetName().c_str());
      mss->DelPsfComp(Mss::LIBRARIES, lib);
    }
  } else {
    msg.debugStub("%s is Not a processor \n", hwInst.c_str());
    if (DrvInst* drv = DrvInstUtil::GetDrvInstByHwInstName(mss->GetPsfCompSeqRef(Mss::DRIVERS),
                                                           hwInst)) {
      msg.debugStub("Deleting driver %s \n", drv->GetName().c_str());
      mss->DelPsfComp(Mss::DRIVERS, drv);
    }
  }
  msg.debugStub("Done with deleting PsfComps for %s \n", hwInst.c_str());
}

// ---------------------------------------------------------------------------
// Creating an MSS
// ---------------------------------------------------------------------------
void MssUtil::InitializeDrvInfo(Mss* mss, const HwDbPtr& hw, const String& hwInst,
                                SwReposMan* man) {
  // The hardware may list an empty name among a processor's peripherals.
  if (!mss || !hw || !man || hwInst.empty() || GetDrvInstByHwInstName(mss, hwInst)) return;
  SwCore* core = SwRTUtil::GetDrvForPeriph(hw->GetIpType(hwInst), hw->GetIpVersion(hwInst),
                                           man->GetSwReposSeqRef());
  if (core)
    AddDriver(mss, man, hwInst, IsProcessorClass(hw, hwInst), core->GetName(), core->GetVersion(),
              nullptr);
}

int MssUtil::InitializeDrvInfo(Mss* mss, const HwDbPtr& hw, const String& driverName,
                               const String& driverVersion, SwReposMan* man,
                               const String& procInst, DrvInst** out) {
  if (out) *out = nullptr;
  if (!mss || !hw || !man) return -4;
  SwCore* core = FindCore(man, SwRepos::DRIVER, driverName, driverVersion);
  const auto* mdd = core ? dynamic_cast<const Mdd*>(core->GetPsfFileObj(SwCore::MDD)) : nullptr;
  if (!mdd) return -1;
  std::vector<String> served;
  SwRTUtil::GetCoreListForDrv(mdd, hw, served, procInst);
  if (served.empty()) return -2;
  for (const String& inst : served) {
    if (GetDrvInstByHwInstName(mss, inst)) continue;
    AddDriver(mss, man, inst, IsProcessorClass(hw, inst), core->GetName(), core->GetVersion(), out);
    return 0;
  }
  return -3;
}

int MssUtil::InitializeOsInfo(Mss* mss, const HwDbPtr& hw, SwReposMan* man,
                              const String& procInst, const String& osName,
                              const String& osVersion, OsInst** out) {
  if (out) *out = nullptr;
  if (!mss || !hw || !man) return -2;
  if (OsInst* os = OsInstUtil::GetOsInstByHwInstName(mss->GetPsfCompSeqRef(Mss::OSES), procInst)) {
    if (out) *out = os;
    return 0;
  }
  const String procType = hw->GetIpType(procInst);
  const String procVersion = hw->GetIpVersion(procInst);
  SwCore* procCore = SwRTUtil::GetDrvForPeriph(procType, procVersion, man->GetSwReposSeqRef());
  if (!procCore) return -1;
  const bool isBsp = !osName.empty() && !SwRTUtil::IsOsType(osName, *man);
  SwCore* osCore = nullptr;
  if (osName.empty())
    osCore = SwRTUtil::GetDefaultOsForProc(
        dynamic_cast<const Mdd*>(procCore->GetPsfFileObj(SwCore::MDD)), *man);
  else if (!isBsp)
    osCore = SwRTUtil::GetOsForProc(procType, procVersion, osName, AnyVersion(osVersion), *man);
  else
    osCore = SwRTUtil::GetBspForProc(procType, procVersion, osName, AnyVersion(osVersion), *man);
  const auto* mld = osCore ? dynamic_cast<const Mld*>(osCore->GetPsfFileObj(SwCore::MLD)) : nullptr;
  if (!mld) return -1;
  Msg().debugStub("Assigned Os %s %s for processor instance %s\n", osCore->GetName().c_str(),
                  osCore->GetVersion().c_str(), procInst.c_str());
  auto* os = new OsInst();
  OsInstUtil::SetOsInstInfo(os, procInst, osCore->GetName(), osCore->GetVersion());
  OsInstUtil::AssignSwCore(os, man->GetSwReposSeqRef());
  mss->AddPsfComp(Mss::OSES, os);
  if (out) *out = os;
  if (isBsp) FillConnectedPeriphs(mss, hw, man, os, mld);
  return 0;
}

void MssUtil::CreateDefaultMss(Mss* mss, const HwDbPtr& hw, SwReposMan* man,
                               const String& procInst, const String& osName,
                               const String& osVersion) {
  if (!mss || !hw || !man) return;
  EnsureVersionParam(mss);
  AddDefaultDrivers(mss, hw, hw->GetAddressableInstNames(procInst), man);
  InitializeDrvInfo(mss, hw, procInst, man);
  InitializeOsInfo(mss, hw, man, procInst, osName, osVersion, nullptr);
}

int MssUtil::CreateAndInitMss(Mss* newMss, const HwDbPtr& hw, SwReposMan* man,
                              const String& procInst, Mss* oldMss) {
  if (!newMss || !hw || !man) return -2;
  EnsureVersionParam(newMss);
  auto version = [](const MdtBase::BaseNode* inst, const char* param) {
    String v = InstParamValue(inst, param);
    return v.empty() ? String("*") : v;
  };
  // A carried-over driver goes to the hardware instance it served in the
  // old MSS when this processor has that instance free and the driver can
  // serve it; otherwise to the first free instance it can serve.
  auto carryDriver = [&](DrvInst* old) -> DrvInst* {
    const String name = old->GetName();
    const String ver = version(old, "DRIVER_VER");
    DrvInst* d = nullptr;
    const String hwInst = InstParamValue(old, "HW_INSTANCE");
    SwCore* core = FindCore(man, SwRepos::DRIVER, name, ver);
    const auto* mdd = core ? dynamic_cast<const Mdd*>(core->GetPsfFileObj(SwCore::MDD)) : nullptr;
    std::vector<String> served;
    if (mdd && !hwInst.empty()) SwRTUtil::GetCoreListForDrv(mdd, hw, served, procInst);
    bool placed = false;
    for (const String& s : served)
      if (Eq(s, hwInst) && !GetDrvInstByHwInstName(newMss, s)) {
        placed = AddDriver(newMss, man, s, IsProcessorClass(hw, s), core->GetName(),
                           core->GetVersion(), &d) >= 0;
        break;
      }
    if (!placed && InitializeDrvInfo(newMss, hw, name, ver, man, procInst, &d) != 0) return nullptr;
    if (d) DrvInstUtil::AssignRequiredParams(newMss, hw, man, old, d);
    return d;
  };

  if (oldMss)
    for (MdtBase::PsfComp* c : oldMss->GetPsfCompSeqRef(Mss::DRIVERS))
      if (IsDriverComp(c)) carryDriver(static_cast<DrvInst*>(c));
  AddDefaultDrivers(newMss, hw, hw->GetAddressableInstNames(procInst), man);

  DrvInst* oldProc = nullptr;
  if (oldMss)
    for (MdtBase::PsfComp* c : oldMss->GetPsfCompSeqRef(Mss::PROCESSORS))
      if (BaseNode::IsBaseNodeType(c, "TavSoftware_ProcInst")) {
        oldProc = static_cast<DrvInst*>(c);
        break;
      }
  // A processor driver that does not fit this processor leaves it with its
  // default one rather than with none.
  if (!oldProc || !carryDriver(oldProc)) InitializeDrvInfo(newMss, hw, procInst, man);

  OsInst* oldOs = nullptr;
  if (oldMss)
    for (MdtBase::PsfComp* c : oldMss->GetPsfCompSeqRef(Mss::OSES))
      if (BaseNode::IsBaseNodeType(c, "TavSoftware_OsInst")) {
        oldOs = static_cast<OsInst*>(c);
        break;
      }
  if (!oldOs) {
    InitializeOsInfo(newMss, hw, man, procInst, "standalone", String(), nullptr);
  } else {
    String osName = InstParamValue(oldOs, "OS_NAME");
    if (osName.empty()) osName = oldOs->GetName();
    if (osName == "*") osName.clear();
    OsInst* os = nullptr;
    if (InitializeOsInfo(newMss, hw, man, procInst, osName, version(oldOs, "OS_VER"), &os) == 0 &&
        os)
      OsInstUtil::AssignRequiredParams(newMss, hw, man, oldOs, os);
  }

  if (oldMss)
    for (MdtBase::PsfComp* c : oldMss->GetPsfCompSeqRef(Mss::LIBRARIES)) {
      if (!IsLibraryComp(c)) continue;
      auto* old = static_cast<LibInst*>(c);
      LibInst* l = nullptr;
      if (AddLibrary(newMss, man, old->GetName(), version(old, "LIBRARY_VER"), procInst, &l) >= 0 &&
          l)
        LibInstUtil::AssignRequiredParams(newMss, hw, man, old, l);
    }
  return 0;
}

// ---------------------------------------------------------------------------
// Editing
// ---------------------------------------------------------------------------
int MssUtil::RenameIPInstanceName(Mss* mss, const String& oldName, const String& newName) {
  if (!mss || oldName.empty()) return 0;
  int changed = 0;
  // Array values are renamed in every kind of component: a column of
  // peripheral instances means the same wherever it stands.
  auto rename = [&](const BaseNode* definition, PropSeq params, const PropSeq& arrays) {
    const auto* file = dynamic_cast<const MdtBase::PsfFile*>(definition);
    if (!file) return;
    params.insert(params.end(), arrays.begin(), arrays.end());
    changed += RenameIPInstanceName(file, params, oldName, newName);
  };
  for (int seq : {Mss::PROCESSORS, Mss::DRIVERS})
    for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq))
      if (DrvInst* d = AsDrvInst(c))
        rename(d->GetBaseNodePtr(DrvInst::DEFINITION), d->GetPropSeqRef(DrvInst::PARAMETERS),
               d->GetPropSeqRef(DrvInst::ARRAYS));
  for (int seq : {Mss::OSES, Mss::LIBRARIES})
    for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq))
      if (LibInst* l = AsLibInst(c))
        rename(l->GetBaseNodePtr(LibInst::DEFINITION), l->GetPropSeqRef(LibInst::PARAMETERS),
               l->GetPropSeqRef(LibInst::ARRAYS));
  return changed;
}

int MssUtil::RenameIPInstanceName(const MdtBase::PsfFile* definition, const PropSeq& props,
                                  const String& oldName, const String& newName) {
  if (!definition || oldName.empty()) return 0;
  int changed = 0;
  for (MdtBase::Property* p : props) {
    if (!p) continue;
    if (BaseNode::IsBaseNodeType(p, "TavSoftware_ArrayInst")) {
      if (const Array* def = ArrayDefinition(definition, p->GetName()))
        changed += RenameInArray(static_cast<ArrayInst*>(p), def, oldName, newName);
    } else if (p->GetMdtValuePtr() && Eq(p->GetValueStr(), oldName) &&
               IsPeriphInstance(ParamDefinition(definition, p->GetName()))) {
      p->GetMdtValuePtr()->SetValue(newName);
      ++changed;
    }
  }
  return changed;
}

// ---------------------------------------------------------------------------
// Interrupt handlers
// ---------------------------------------------------------------------------
String MssUtil::GetIntHandlerValue(Mss* mss, const String& port) {
  return mss ? ArrayInstUtil::GetIntHandlerValue(IntHandlerArray(mss), port) : String();
}

void MssUtil::SetIntHandlerValue(Mss* mss, const String& port, const String& handler) {
  if (!mss) return;
  if (ArrayInst* array = IntHandlerArray(mss)) {
    ArrayInstUtil::SetIntHandlerValue(array, port, handler);
    return;
  }
  if (handler.empty()) return;
  auto* array = new ArrayInst();
  array->SetName("interrupt_handler");
  array->SetMdtValuePtr(new MdtBase::StrVal("((" + handler + "," + port + "))"));
  auto* element = new Element();
  ArrayInstUtil::CreateElementForIntPortIntHandler(element, handler, port);
  array->AddProperty(ArrayInst::ELEMENTS, element);
  mss->AddPsfComp(Mss::ARRAYS, array);
}

// ---------------------------------------------------------------------------
// Compiler options
// ---------------------------------------------------------------------------
String MssUtil::GetFpuOption(const HwDbPtr& hw, const String& procInst) {
  if (!hw) return String();
  String fpu, fpuType;
  for (const std::string& inst : hw->GetAddressableInstNames(procInst)) {
    const String type = hw->GetIpType(inst);
    if (!inst.empty() && type.StartsNoCase("apu_fpu")) {
      fpu = inst;
      fpuType = type;
      break;
    }
  }
  if (fpu.empty()) return String();
  const String full = HwParam(hw, fpu, "C_FULL_FEATURES");
  const String dbl = HwParam(hw, fpu, "C_DOUBLE_PRECISION");
  Msg().debugStub("full:%s double:%s \n", full.c_str(), dbl.c_str());
  const bool dp = Eq(dbl, "1");
  // Only the plain FPU has a lite variant; its derivatives are always full.
  if (Eq(fpuType, "apu_fpu") && !Eq(full, "1")) return dp ? "-mfpu=dp_lite" : "-mfpu=sp_lite";
  return dp ? "-mfpu=dp_full" : "-mfpu=sp_full";
}

String MssUtil::GetHwInfFlagsForProc(const HwDbPtr& hw, const String& procInst) {
  if (!hw || procInst.empty()) return String();
  const String type = hw->GetProcessorIpType(procInst);
  String flags;
  if (!Eq(type, "tindracore")) {
    flags = GetFpuOption(hw, procInst);
    Msg().debugStub("FPU OPTION: %s \n", flags.c_str());
    if (!flags.empty()) flags += " ";
    if (Eq(type, "ppc440_tolvan5")) flags += "-mcpu=440 ";
    return flags;
  }
  auto is = [&](const char* param, const char* value) {
    return Eq(HwParam(hw, procInst, param), value);
  };
  if (is("C_ENDIANNESS", "1")) flags += "-mlittle-endian ";
  const bool hwMul = is("C_USE_HW_MUL", "1") || is("C_USE_HW_MUL", "2");
  flags += hwMul ? "-mno-tn-soft-mul " : "-mtn-soft-mul ";
  if (is("C_USE_HW_MUL", "2")) flags += "-mtn-multiply-high ";
  if (is("C_USE_BARREL", "1")) flags += "-mtn-barrel-shift ";
  if (is("C_USE_PCMP_INSTR", "1")) flags += "-mtn-pattern-compare ";
  if (is("C_USE_FPU", "1")) flags += "-mhard-float ";
  if (is("C_USE_FPU", "2")) flags += "-mhard-float -mtn-float-convert -mtn-float-sqrt ";
  if (is("C_USE_DIV", "1")) flags += "-mno-tn-soft-div ";
  String version = hw->GetProcessorIpVersion(procInst);
  version.Trim();
  flags += "-mcpu=v" + version + " ";
  return flags;
}

}  // namespace TavSoftware
