// SwComponentUtil: the driver and OS choice of one component.
#include <algorithm>

#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "Mdd.h"
#include "Mss.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "ProcInst.h"
#include "SwComponent.h"
#include "SwComponentUtil.h"
#include "SwCore.h"
#include "SwRTUtil.h"
#include "SwRepos.h"
#include "SwReposMan.h"
#include "SwSystem.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

namespace {

bool AnyVersion(const String& version) { return version.empty() || version == "*"; }

SwCore* FindCore(SwReposMan* man, int kind, const String& name, const String& version) {
  if (!man) return nullptr;
  BaseNode* file = SwRepos::GetCoreByName(man->GetSwReposSeqRef(), kind, name,
                                          AnyVersion(version) ? String() : version, 0);
  return file ? dynamic_cast<SwCore*>(file->GetOwner()) : nullptr;
}

bool InSeq(const PsfCompSeq& seq, const BaseNode* node) {
  return node && std::find(seq.begin(), seq.end(), node) != seq.end();
}

}  // namespace

int SwComponentUtil::GetIpType(const HwDbPtr& hw, const SwComponent* comp) {
  if (!hw || !comp) return 0;
  const String ipClass = hw->GetIpClass(comp->GetHwInstName());
  if (Eq(ipClass, "PROCESSOR")) return SwComponent::PROCESSOR;
  if (Eq(ipClass, "BUS")) return SwComponent::BUS;
  return SwComponent::PERIPHERAL;
}

String SwComponentUtil::GetDriverName(const SwComponent* comp) {
  return comp && comp->GetDrvInst() ? comp->GetDrvInst()->GetName() : String();
}

int SwComponentUtil::InitializeDriverInfo(const HwDbPtr& hw, SwReposMan* man, SwComponent* comp) {
  if (!hw || !man || !comp) return -2;
  if (comp->GetDrvInst()) return 0;
  const std::string& hwInst = comp->GetHwInstName();
  SwCore* core = SwRTUtil::GetDrvForPeriph(hw->GetIpType(hwInst), hw->GetIpVersion(hwInst),
                                           man->GetSwReposSeqRef());
  if (!core) return 1;
  const bool proc = GetIpType(hw, comp) == SwComponent::PROCESSOR;
  DrvInst* inst = proc ? new ProcInst() : new DrvInst();
  DrvInstUtil::SetDriverInfo(inst, comp->GetHwInstName(), core->GetName(), core->GetVersion());
  DrvInstUtil::AssignSwCore(inst, man->GetSwReposSeqRef());
  if (proc)
    if (const auto* mdd = dynamic_cast<const Mdd*>(inst->GetBaseNodePtr(DrvInst::DEFINITION)))
      for (const char* param : {"COMPILER", "ARCHIVER"})
        if (const MdtBase::Property* p = mdd->GetPropertyByName(Mdd::PARAMETERS, param))
          inst->CreateAddPropertySetValue(DrvInst::PARAMETERS, param, p->GetValueStr());
  comp->AdoptBaseNodePtr(SwComponent::DRIVER, inst);
  return 0;
}

int SwComponentUtil::SetDriverInfo(const HwDbPtr& hw, SwReposMan* man, SwComponent* comp,
                                   const String& name, const String& version) {
  if (!comp) return -2;
  if (name.empty()) {
    comp->SetBaseNodePtr(SwComponent::DRIVER, nullptr);
    return 1;
  }
  SwCore* core = FindCore(man, SwRepos::DRIVER, name, version);
  if (!core) return -1;
  const String ver = AnyVersion(version) ? core->GetVersion() : version;
  if (DrvInst* current = comp->GetDrvInst(); current && Eq(current->GetName(), name)) {
    if (AnyVersion(version) || Eq(InstParamValue(current, "DRIVER_VER"), version)) return 2;
    current->CreateAddPropertySetValue(DrvInst::PARAMETERS, "DRIVER_VER", ver);
    current->SetBaseNodePtr(DrvInst::CORE, core);
    return 3;
  }
  DrvInst* inst = GetIpType(hw, comp) == SwComponent::PROCESSOR ? new ProcInst() : new DrvInst();
  DrvInstUtil::SetDriverInfo(inst, comp->GetHwInstName(), core->GetName(), ver);
  inst->SetBaseNodePtr(DrvInst::CORE, core);
  comp->AdoptBaseNodePtr(SwComponent::DRIVER, inst);
  return 4;
}

int SwComponentUtil::SetDriverInfo(const HwDbPtr& hw, SwComponent* comp, const String& name,
                                   const String& version) {
  auto* session = comp ? dynamic_cast<SwSystem*>(comp->GetOwner()) : nullptr;
  if (!session) return -2;
  Mss* mss = session->GetMss();
  DrvInst* prev = comp->GetDrvInst();
  // Looked up before the component changes: a detached previous instance is
  // destroyed by the component itself and must not be looked at afterwards.
  const bool prevInMss = InSeq(mss->GetPsfCompSeqRef(Mss::DRIVERS), prev) ||
                         InSeq(mss->GetPsfCompSeqRef(Mss::PROCESSORS), prev);
  const int prevSeq = prevInMss && InSeq(mss->GetPsfCompSeqRef(Mss::PROCESSORS), prev)
                          ? Mss::PROCESSORS
                          : Mss::DRIVERS;
  const int result = SetDriverInfo(
      hw, static_cast<SwReposMan*>(session->GetBaseNodePtr(SwSystem::REPOS_MAN)), comp, name,
      version);
  if (result == 1 || result == 4) {
    if (prevInMss) mss->DelPsfComp(prevSeq, prev);
    if (result == 4) {
      auto* inst = static_cast<DrvInst*>(comp->ReleaseBaseNodePtr(SwComponent::DRIVER));
      if (inst) mss->AddPsfComp(BaseNode::IsBaseNodeType(inst, "TavSoftware_ProcInst")
                                    ? Mss::PROCESSORS
                                    : Mss::DRIVERS,
                                inst);
    }
    session->UpdateComponentLinks();
  }
  return result;
}

int SwComponentUtil::SetOsInfo(SwReposMan* man, SwComponent* comp, const String& name,
                               const String& version) {
  if (!comp) return -2;
  if (name.empty()) {
    comp->SetBaseNodePtr(SwComponent::OS, nullptr);
    return 1;
  }
  SwCore* core = FindCore(man, SwRepos::OS, name, version);
  if (!core) return -1;
  const String ver = AnyVersion(version) ? core->GetVersion() : version;
  if (OsInst* current = comp->GetOsInst(); current && Eq(current->GetName(), name)) {
    if (AnyVersion(version) || Eq(InstParamValue(current, "OS_VER"), version)) return 2;
    current->CreateAddPropertySetValue(LibInst::PARAMETERS, "OS_VER", ver);
    current->SetBaseNodePtr(LibInst::CORE, core);
    return 3;
  }
  auto* inst = new OsInst();
  OsInstUtil::SetOsInstInfo(inst, comp->GetHwInstName(), core->GetName(), ver);
  inst->SetBaseNodePtr(LibInst::CORE, core);
  comp->AdoptBaseNodePtr(SwComponent::OS, inst);
  return 4;
}

int SwComponentUtil::SetOsInfo(SwComponent* comp, const String& name, const String& version) {
  auto* session = comp ? dynamic_cast<SwSystem*>(comp->GetOwner()) : nullptr;
  if (!session) return -2;
  Mss* mss = session->GetMss();
  OsInst* prev = comp->GetOsInst();
  const bool prevInMss = InSeq(mss->GetPsfCompSeqRef(Mss::OSES), prev);
  const int result = SetOsInfo(
      static_cast<SwReposMan*>(session->GetBaseNodePtr(SwSystem::REPOS_MAN)), comp, name, version);
  if (result == 1 || result == 4) {
    if (prevInMss) mss->DelPsfComp(Mss::OSES, prev);
    if (result == 4)
      if (auto* inst = static_cast<OsInst*>(comp->ReleaseBaseNodePtr(SwComponent::OS)))
        mss->AddPsfComp(Mss::OSES, inst);
    session->UpdateComponentLinks();
  }
  return result;
}

}  // namespace TavSoftware
