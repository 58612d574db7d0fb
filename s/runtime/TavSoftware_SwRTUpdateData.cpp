// SwRTUtil: organising a runtime model per hardware processor (its
// processor component, OS, libraries and drivers), and the processor mode.
#include <memory>
#include <unordered_map>

#include "Driver.h"
#include "DrvInstUtil.h"
#include "LibInstUtil.h"
#include "Library.h"
#include "Mdd.h"
#include "Mld.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "Processor.h"
#include "SwCore.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "SwRepos.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

namespace {

// Two wordings of the same messages: the processor without OS block (a), and
// the one without any block (b).
struct Wording {
  const char* noMdd;
  const char* noStandalone;
};
constexpr Wording kWithOs = {"Cannot find MDD file for %s %s \n",
                             "Cannot find MLD file \"standalone_v2_1_0.mld\" \n"};
constexpr Wording kBare = {"Cannot find MDD file for %s %s.\n",
                           "Cannot find MLD file \"standalone_v2_1_0.mld\".\n"};

MdtBase::NameValue* PointerEntry(const char* name, MdtBase::BaseNode* target) {
  auto* nv = new MdtBase::NameValue(String(name));
  nv->SetMdtValuePtr(new MdtBase::BaseNodePtrVal(target));
  return nv;
}

// A processor component built from a default driver core; owned by the
// model. Null (errors counted) when its definition cannot be had.
Processor* BuildProcessor(SwRTClass* model, SwCore* core, const String& hwName,
                          std::vector<SwRepos*>& repos, const Wording& w, int& count) {
  auto* procInst = new ProcInst();
  model->Adopt(procInst);
  DrvInstUtil::SetDrvInstInfo(procInst, hwName, core->GetName(), core->GetVersion());
  MdtBase::BaseNode* def =
      SwRepos::GetCoreByName(repos, SwRepos::DRIVER, core->GetName(), core->GetVersion(), 0);
  if (!BaseNode::IsBaseNodeType(def, "TavSoftware_Mdd")) {
    Msg().issueError(w.noMdd, core->GetName().c_str(), core->GetVersion().c_str());
    ++count;
    return nullptr;
  }
  auto* mdd = static_cast<Mdd*>(def);
  if (int code = mdd->GetErrorCode()) {
    count += code;
    return nullptr;
  }
  auto* processor = new Processor();
  model->Adopt(processor);
  count += ProcInstUtil::MergeMddProcObj(procInst, mdd, processor);
  processor->AddNV(PointerEntry("PROCINST", procInst));
  processor->AddNV(PointerEntry("SWCORE", mdd->GetOwner()));
  processor->SetBaseNodePtr(DrvInst::CORE, mdd->GetOwner());
  processor->SetBaseNodePtr(DrvInst::DEFINITION, mdd);
  processor->SetOwner(model);
  ProcInstUtil::AssignOwner(processor);
  return processor;
}

// Gives the processor the "standalone" 2.00.a OS; false (errors counted)
// when its definition cannot be had.
bool AttachStandalone(SwRTClass* model, Processor* processor, const String& hwName,
                      std::vector<SwRepos*>& repos, const Wording& w, int& count) {
  auto* osInst = new OsInst();
  model->Adopt(osInst);
  OsInstUtil::SetOsInstInfo(osInst, hwName, "standalone", "2.00.a");
  MdtBase::BaseNode* def = SwRepos::GetCoreByName(repos, SwRepos::OS, "standalone", "2.00.a", 0);
  if (!BaseNode::IsBaseNodeType(def, "TavSoftware_Mld")) {
    Msg().issueError("%s", w.noStandalone);
    ++count;
    return false;
  }
  auto* mld = static_cast<Mld*>(def);
  if (int code = mld->GetErrorCode()) {
    count += code;
    return false;
  }
  auto* os = new OsInst();
  model->Adopt(os);
  count += OsInstUtil::MergeMldOsObj(osInst, mld, os);
  os->AddNV(PointerEntry("OSINST", osInst));
  os->AddNV(PointerEntry("SWCORE", mld->GetOwner()));
  os->SetBaseNodePtr(LibInst::CORE, mld->GetOwner());
  os->SetBaseNodePtr(LibInst::DEFINITION, mld);
  os->SetOwner(model);
  LibInstUtil::AssignOwner(os);
  processor->SetOsInstance(os);
  return true;
}

constexpr size_t kNone = static_cast<size_t>(-1);

// The model's drivers by hardware instance, so that each peripheral finds
// its driver without walking them all; the drivers without HW_INSTANCE are
// remembered by position, as the walk in index order would meet them.
class DriverIndex {
 public:
  explicit DriverIndex(const NVSeq& drivers) : drivers_(drivers) {
    for (size_t i = 0; i < drivers.size(); ++i) {
      const DrvInst* d = AsDrvInst(drivers[i]);
      if (!d) continue;
      const MdtBase::Property* hw = d->GetPropertyByName(DrvInst::PARAMETERS, "HW_INSTANCE");
      if (!hw)
        withoutHw_.push_back(i);
      else
        byHw_.emplace(Lower(hw->GetValueStr()), i);  // the first one wins
    }
  }
  // The index of the driver serving `name`; kNone when none does. Reports
  // nothing.
  size_t Lookup(const std::string& name) const {
    auto it = byHw_.find(Lower(name));
    return it == byHw_.end() ? kNone : it->second;
  }
  // Reports and counts the drivers without HW_INSTANCE before the one at
  // `at` (all of them for kNone), as a walk to it would meet them.
  void ReportWithoutHw(size_t at, int& count) const {
    for (size_t i : withoutHw_) {
      if (i >= at) break;
      const DrvInst* d = AsDrvInst(drivers_[i]);
      Msg().issueError("%s line %i - No HW_INSTANCE parameter for driver %s",
                       d->GetFileNameStr().c_str(), d->GetLineNum(), d->GetName().c_str());
      ++count;
    }
  }
  DrvInst* At(size_t at) const { return AsDrvInst(drivers_[at]); }

 private:
  static std::string Lower(const String& text) {
    String key = text;
    return key.MakeLower();
  }
  const NVSeq& drivers_;
  std::unordered_map<std::string, size_t> byHw_;
  std::vector<size_t> withoutHw_;
};

// A new Driver for the model's driver `d`, serving `hwName`; owned by the model.
Driver* NewDriver(SwRTClass* model, const DrvInst* d, const String& hwName, int& count) {
  auto* driver = new Driver();
  model->Adopt(driver);
  count += DrvInstUtil::CopyDrvInst(driver, d);
  driver->SetName(d->GetName());
  driver->GetInstSeqRef().push_back(hwName);
  driver->SetBaseNodePtr(DrvInst::CORE, d->GetBaseNodePtr(DrvInst::CORE));
  driver->SetOwner(model);
  DrvInstUtil::AssignOwner(driver);
  return driver;
}

using DriversByName = std::unordered_map<std::string, Driver*>;

// One driver of a processor, with the version its first instance named.
struct Folded {
  Driver* driver;
  String version;
};

// Gives `P` its drivers: one per driver name, serving every peripheral the
// processor addresses whose instance names it, each further instance folded
// into the first.
int AddDrivers(SwRTClass* model, Processor* P, const std::vector<std::string>& names,
               const DriverIndex& index) {
  const boost::shared_ptr<TavHwDb::HwDb> hw = model->GetHwDbPtr();
  int count = 0;
  std::vector<Driver*>& list = P->GetDriverSeqRef();
  list.clear();
  std::unordered_map<std::string, Folded> byName;
  for (const std::string& name : names) {
    if (name.empty()) {
      Msg().issueError(
          "A peripheral addressable by the processor %s seems to have no instance name.\n",
          P->GetHwInstance().c_str());
      ++count;
      continue;
    }
    if (Eq(hw->GetIpClass(name), "PROCESSOR")) continue;
    const size_t at = index.Lookup(name);
    index.ReportWithoutHw(at, count);
    if (at == kNone) continue;
    DrvInst* d = index.At(at);
    auto [it, first] = byName.try_emplace(String(d->GetName()).MakeLower());
    if (first) {
      Driver* driver = NewDriver(model, d, name, count);
      list.push_back(driver);
      it->second = {driver, driver->GetPropertyValueStr(DrvInst::PARAMETERS, "DRIVER_VER")};
      continue;
    }
    Folded& into = it->second;
    if (!Eq(into.version, d->GetPropertyValueStr(DrvInst::PARAMETERS, "DRIVER_VER"))) {
      Msg().issueError(
          "Multiple versions of driver \"%s\" assigned to different peripherals in MSS. Assign "
          "same version of driver to all peripherals.\n",
          d->GetName().c_str());
      ++count;
      continue;
    }
    into.driver->GetInstSeqRef().push_back(name);
    // Differences between the folded instances are errors of the build.
    count += DrvInstUtil::MergeDrvInsts(into.driver, d);
  }
  return count;
}

}  // namespace

int SwRTUtil::UpdateSwData(SwRTClass* model, std::vector<SwRepos*>& repos, const char* procName) {
  return UpdateLibraryData(model) + UpdateProcessorData(model, repos, procName);
}

int SwRTUtil::UpdateLibraryData(SwRTClass* model) {
  if (!model) return 0;
  NVSeq& libraries = model->GetNameValueSeqRef(SwRTClass::LIBRARIES);
  libraries.clear();
  for (MdtBase::PsfComp* l : model->GetPsfCompSeqRef(Mss::LIBRARIES)) libraries.push_back(l);
  return 0;
}

int SwRTUtil::UpdateProcessorData(SwRTClass* model, std::vector<SwRepos*>& repos,
                                  const char* procName) {
  if (!model) return 0;
  int count = 0;
  NVSeq& processors = model->GetNameValueSeqRef(SwRTClass::PROCESSORS);
  processors.clear();
  // Without a hardware database there are no processors to organise.
  boost::shared_ptr<TavHwDb::HwDb> hw = model->GetHwDbPtr();
  if (!hw) return 0;
  std::vector<std::string> names;
  if (procName)
    names.push_back(procName);
  else
    names = hw->GetProcessorInstNames();

  Port_MsgManData msg = Msg();
  for (const std::string& p : names) {
    const String type = hw->GetProcessorIpType(p), version = hw->GetProcessorIpVersion(p);
    MdtBase::PsfComp* found =
        ProcInstUtil::GetProcInstByHwInstName(model->GetPsfCompSeqRef(Mss::PROCESSORS), p);
    Processor* proc = BaseNode::IsBaseNodeType(found, "TavSoftware_Processor")
                          ? static_cast<Processor*>(found)
                          : nullptr;
    OsInst* os = OsInstUtil::GetOsInstByHwInstName(model->GetPsfCompSeqRef(Mss::OSES), p);
    if (proc) {
      proc->SetHwInstance(p);
      if (os) {
        proc->SetOsInstance(os);
      } else {
        msg.issueWarning(
            "No OS assigned to processor %s in MSS file. Assigning \"standalone\" OS to "
            "processor %s.\n",
            p.c_str(), p.c_str());
        if (!AttachStandalone(model, proc, p, repos, kWithOs, count)) continue;
      }
      processors.push_back(proc);
      continue;
    }
    if (!os)
      msg.issueWarning(
          "No OS, PROCESSOR blocks specified in MSS for processor %s. Library not created for "
          "processor %s.\n",
          p.c_str(), p.c_str());
    SwCore* core = GetDrvForPeriph(type.c_str(), version.c_str(), repos);
    if (!core) {
      msg.issueWarning("No MDD file found for processor %s. Library not created for processor %s.\n",
                       p.c_str(), p.c_str());
      continue;
    }
    msg.issueWarning(
        "No PROCESSOR driver assigned to %s in MSS file. Assigning %s %s driver to processor "
        "%s.\n",
        p.c_str(), core->GetName().c_str(), core->GetVersion().c_str(), p.c_str());
    const Wording& w = os ? kWithOs : kBare;
    Processor* built = BuildProcessor(model, core, p, repos, w, count);
    if (!built) continue;
    built->SetHwInstance(p);
    if (os)
      built->SetOsInstance(os);
    else if (!AttachStandalone(model, built, p, repos, w, count))
      continue;
    processors.push_back(built);
  }

  const NVSeq& libraries = model->GetNameValueSeqRef(SwRTClass::LIBRARIES);
  const NVSeq& drivers = model->GetNameValueSeqRef(SwRTClass::DRIVERS);
  const DriverIndex index(drivers);
  for (MdtBase::NameValue* nv : processors) {
    auto* P = static_cast<Processor*>(nv);
    std::vector<Library*>& libs = P->GetLibrarySeqRef();
    libs.clear();
    for (MdtBase::NameValue* l : libraries) {
      if (!BaseNode::IsBaseNodeType(l, "TavSoftware_Library")) continue;
      const String at = InstParamValue(l, "PROC_INSTANCE");
      // A library without a processor belongs to every processor.
      if (at.empty() || Eq(at, P->GetHwInstance())) libs.push_back(static_cast<Library*>(l));
    }
    count += AddDrivers(model, P, hw->GetAddressableInstNames(P->GetHwInstance()), index);
  }
  return count;
}

int SwRTUtil::UpdateDriverData(SwRTClass* model) {
  if (!model) return 0;
  int count = 0;
  NVSeq& index = model->GetNameValueSeqRef(SwRTClass::DRIVERS);
  index.clear();
  std::vector<Driver*> list;
  DriversByName byName;
  for (MdtBase::PsfComp* c : model->GetPsfCompSeqRef(Mss::DRIVERS)) {
    DrvInst* d = AsDrvInst(c);
    if (!d) continue;
    const MdtBase::Property* hw = d->GetPropertyByName(DrvInst::PARAMETERS, "HW_INSTANCE");
    if (!hw) {
      Msg().issueError("No IP instance associated with Driver %s. Ignoring this driver...",
                       d->GetName().c_str());
      ++count;
      continue;
    }
    if (hw->GetValueStr().empty()) {
      Msg().issueError("No IP name specified for parameter HW_INSTANCE of driver %s",
                       d->GetName().c_str());
      ++count;
      continue;
    }
    String key = d->GetName();
    key.MakeLower();
    auto it = byName.find(key);
    if (it != byName.end()) {
      count += DrvInstUtil::MergeDrvInsts(it->second, d);
      it->second->GetInstSeqRef().push_back(hw->GetValueStr());
      continue;
    }
    Driver* driver = NewDriver(model, d, hw->GetValueStr(), count);
    byName.emplace(key, driver);
    index.push_back(driver);
  }
  return count;
}

void SwRTUtil::SetProcMode(Processor* processor, const char* mode) {
  if (!processor) return;
  MdtBase::Property* p = processor->GetPropertyByName(DrvInst::PARAMETERS, "default_init");
  if (p && p->GetMdtValuePtr()) p->GetMdtValuePtr()->SetValue(mode ? mode : "");
}

String SwRTUtil::GetProcMode(Processor* processor) {
  return processor ? processor->GetPropertyValueStr(DrvInst::PARAMETERS, "default_init") : String();
}

}  // namespace TavSoftware
