// SwSystem: the editing session over one MSS.
#include <algorithm>
#include <cstdio>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

#include "DrvInst.h"
#include "WriteMss.h"
#include "DrvInstUtil.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "LibInst.h"
#include "Mss.h"
#include "MssUtil.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "ParseMss.h"
#include "SwComponent.h"
#include "SwComponentUtil.h"
#include "SwCore.h"
#include "SwDb.h"
#include "SwRTUtil.h"
#include "SwRepos.h"
#include "SwReposMan.h"
#include "SwSystem.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

struct SwSystemImp {
  std::unique_ptr<Mss> mss = std::make_unique<Mss>();
  SwSystem::HwDbPtr hw;
  SwReposMan* man = nullptr;
  std::unique_ptr<BaseNode> other;
  std::vector<SwComponent*> comps;
  SwSystem* self = nullptr;
  unsigned char flag = 0;
};

namespace {

bool Matches(const String& a, const char* b) { return b && Eq(a, b); }

String Text(const char* s) { return s ? String(s) : String(); }

String ReadWhole(const std::string& path, bool& ok) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ok = f != nullptr;
  String out;
  if (!f) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  ok = !std::ferror(f);
  std::fclose(f);
  return out;
}

// The default of a definition: its own value, else its DEFAULT.
String DefaultOf(const MdtBase::Property* def) {
  String v = def->GetValueStr();
  return v.empty() ? def->GetPsfCompValueStr("DEFAULT") : v;
}

}  // namespace

SwSystem::SwSystem(const HwDbPtr& hw, const char* name, unsigned char flag)
    : MdtBase::PsfFile(), imp_(std::make_unique<SwSystemImp>()) {
  SetName(Text(name));
  BaseNode::AddBaseNode(this, "MdtLoomhall_SwSystem");
  imp_->hw = hw;
  imp_->self = this;
  imp_->flag = flag;
}

SwSystem::~SwSystem() { DeleteComponents(); }

Mss* SwSystem::GetMss() { return imp_->mss.get(); }
const Mss* SwSystem::GetMss() const { return imp_->mss.get(); }

Port::FileName SwSystem::GetMssFileName() const {
  return Port::FileName(imp_->mss->GetFileNameStr());
}

void SwSystem::SetMssFileName(const char* fileName) {
  if (!imp_->mss) imp_->mss = std::make_unique<Mss>();
  imp_->mss->SetFileName(Text(fileName));
}

BaseNode* SwSystem::GetBaseNodePtr(int nodeType, bool) const {
  switch (nodeType) {
    case REPOS_MAN: return imp_->man;
    case MSS: return imp_->mss.get();
    case OTHER: return imp_->other.get();
    default: return nullptr;
  }
}

void SwSystem::SetBaseNodePtr(int nodeType, BaseNode* node) {
  if (nodeType == REPOS_MAN)
    imp_->man = BaseNode::IsBaseNodeType(node, "TavSoftware_SwReposMan")
                    ? static_cast<SwReposMan*>(node)
                    : nullptr;
  else if (nodeType == OTHER && node != imp_->other.get())
    imp_->other.reset(node);
}

std::vector<SwComponent*>& SwSystem::GetSwComponentSeqRef() { return imp_->comps; }
const std::vector<SwComponent*>& SwSystem::GetSwComponentSeqRef() const { return imp_->comps; }

SwSystem::HwDbPtr SwSystem::GetHwDb() const { return imp_->hw; }

unsigned char SwSystem::GetFlag() const { return imp_->flag; }

SwComponent* SwSystem::GetSwComponentByName(const char* name) const {
  for (SwComponent* c : imp_->comps)
    if (Matches(c->GetName(), name)) return c;
  return nullptr;
}

SwComponent* SwSystem::GetSwComponentByHwInstName(const char* hwInstName) const {
  for (SwComponent* c : imp_->comps)
    if (Matches(c->GetHwInstName(), hwInstName)) return c;
  return nullptr;
}

int SwSystem::GetSwComponentSeqByIpType(int nodeType, std::vector<SwComponent*>& out) const {
  int kind = nodeType == PERIPHERALS  ? SwComponent::PERIPHERAL
             : nodeType == PROCESSORS ? SwComponent::PROCESSOR
             : nodeType == BUSES      ? SwComponent::BUS
                                      : 0;
  if (!kind) return 0;
  for (SwComponent* c : imp_->comps)
    if (SwComponentUtil::GetIpType(imp_->hw, c) == kind) out.push_back(c);
  return static_cast<int>(out.size());
}

// ---------------------------------------------------------------------------
// Creating and reading
// ---------------------------------------------------------------------------
int SwSystem::CreateMss(const char* procInst, const char* osName, const char* osVersion) {
  if (!imp_->hw || !imp_->man) return -2;
  const String proc = Text(procInst), name = Text(osName);
  String version = Text(osVersion);
  // Without an OS name there is no OS core to take a version or a template
  // from: the processor's default OS is chosen by the default MSS.
  String templatePath;
  if (!name.empty()) {
    boost::shared_ptr<SwDb> db = SwDb::CreateSwDb(imp_->man);
    if (version == "*") {
      std::vector<String> versions = db->GetAvailableComponentVersions(name, 1);
      if (versions.empty()) return -1;
      version = versions.front();
    }
    const String dir = db->GetSwCoreDir(name, version);
    if (!dir.empty()) templatePath = dir + Port::FileName::GetPathSeparator() + name + ".mss";
  }
  if (!templatePath.empty() && Port::File::isfile(templatePath)) {
    Mss templ;
    if (ParseMss::Parse(templatePath, &templ) != 0) {
      Msg().issueError("Unable to parse the template MSS file: %s.\n", templatePath.c_str());
      return -1;
    }
    MssUtil::CreateAndInitMss(imp_->mss.get(), imp_->hw, imp_->man, proc, &templ);
  } else {
    MssUtil::CreateDefaultMss(imp_->mss.get(), imp_->hw, imp_->man, proc, name, Text(osVersion));
  }
  BuildComponents();
  return 0;
}

int SwSystem::CreateMssFromTemplate(const char* procInst, const char* templateFile) {
  if (!imp_->hw || !imp_->man) return -2;
  Mss templ;
  if (!templateFile || ParseMss::Parse(templateFile, &templ) != 0) {
    Msg().issueError("Unable to parse the template MSS file: %s.\n", Text(templateFile).c_str());
    return -1;
  }
  MssUtil::CreateAndInitMss(imp_->mss.get(), imp_->hw, imp_->man, Text(procInst), &templ);
  SwRTUtil::AssignSwCore(imp_->mss.get(), imp_->man);
  BuildComponents();
  return 0;
}

int SwSystem::ParseMss(const char* fileName) {
  Mss* mss = imp_->mss.get();
  int bits = 0;
  // The reader's own checks only: the hardware is checked once, by CheckMss.
  if (!fileName || SwRTUtil::Parse(fileName, mss) != 0) bits |= 1;
  const int check = SwRTUtil::CheckMss(mss, imp_->man, imp_->hw);
  if (check != 0) bits |= 2;
  if (SwRTUtil::AssignSwCore(mss, imp_->man) + check != 0) bits |= 4;
  DeleteComponents();
  BuildComponents();
  return bits;
}

int SwSystem::ClearInfo() {
  DeleteComponents();
  imp_->mss = std::make_unique<Mss>();
  imp_->other.reset();
  return 0;
}

void SwSystem::DeleteComponents() {
  for (SwComponent* c : imp_->comps) delete c;
  imp_->comps.clear();
}


namespace {

std::string Key(const String& name) {
  String key = name;
  return std::move(key.MakeLower());
}

// The instances of an Mss by the hardware instance they serve, found as
// SwRTUtil::GetPsfCompByHwInstName and OsInstUtil::GetOsInstByHwInstName
// find them (a driver before a processor, the first of each), but built
// once, so that relinking every component stays linear in their number.
struct InstanceIndex {
  std::unordered_map<std::string, DrvInst*> drivers;
  std::unordered_map<std::string, OsInst*> oses;

  explicit InstanceIndex(const Mss* mss) {
    const std::pair<int, const char*> kinds[] = {{Mss::DRIVERS, "TavSoftware_DrvInst"},
                                                 {Mss::PROCESSORS, "TavSoftware_ProcInst"}};
    for (const auto& [seq, tag] : kinds)
      for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq))
        if (BaseNode::IsBaseNodeType(c, tag))
          if (String hw = InstParamValue(c, "HW_INSTANCE"); !hw.empty())
            drivers.emplace(Key(hw), static_cast<DrvInst*>(c));
    for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(Mss::OSES))
      if (BaseNode::IsBaseNodeType(c, "TavSoftware_OsInst"))
        oses.emplace(Key(InstParamValue(c, "PROC_INSTANCE")), static_cast<OsInst*>(c));
  }
  DrvInst* Driver(const String& hw) const {
    auto it = hw.empty() ? drivers.end() : drivers.find(Key(hw));
    return it == drivers.end() ? nullptr : it->second;
  }
  OsInst* Os(const String& hw) const {
    auto it = oses.find(Key(hw));
    return it == oses.end() ? nullptr : it->second;
  }
};

// Appends a component for every hardware instance, in the hardware's order,
// that an instance of the Mss serves and that `present` (when given) does
// not hold yet; a processor's also gets its OS.
void AppendComponents(SwSystem* owner, const SwSystem::HwDbPtr& hw, const InstanceIndex& index,
                      std::vector<SwComponent*>& comps, std::unordered_set<std::string>* present) {
  if (!hw) return;
  for (const std::string& name : hw->GetAllInstNames()) {
    if (present && !present->insert(Key(name)).second) continue;
    DrvInst* inst = index.Driver(name);
    if (!inst) continue;
    auto* comp = new SwComponent(name, inst);
    comp->SetOwner(owner);
    if (SwComponentUtil::GetIpType(hw, comp) == SwComponent::PROCESSOR)
      comp->SetBaseNodePtr(SwComponent::OS, index.Os(name));
    comps.push_back(comp);
  }
}

}  // namespace

// One new component for every hardware instance the Mss serves, appended to
// the list: a caller that fills the session twice without ClearInfo gets
// both sets, as the list was meant to grow.
void SwSystem::BuildComponents() {
  AppendComponents(this, imp_->hw, InstanceIndex(imp_->mss.get()), imp_->comps, nullptr);
}

int SwSystem::UpdateComponentLinks() {
  const InstanceIndex index(imp_->mss.get());
  std::unordered_set<std::string> present;
  for (SwComponent* c : imp_->comps) {
    present.insert(Key(c->GetHwInstName()));
    // Lookups go through the Mss only: an old link may point at an instance
    // that is gone and is never looked at.
    if (!c->OwnsBaseNodePtr(SwComponent::DRIVER))
      c->SetBaseNodePtr(SwComponent::DRIVER, index.Driver(c->GetHwInstName()));
    if (!c->OwnsBaseNodePtr(SwComponent::OS))
      c->SetBaseNodePtr(SwComponent::OS, index.Os(c->GetHwInstName()));
  }
  AppendComponents(this, imp_->hw, index, imp_->comps, &present);
  return static_cast<int>(imp_->comps.size());
}

// ---------------------------------------------------------------------------
// Queries
// ---------------------------------------------------------------------------
String SwSystem::GetProcessorName() const {
  String out;
  for (const MdtBase::PsfComp* c : imp_->mss->GetPsfCompSeqRef(Mss::OSES))
    out = InstParamValue(c, "PROC_INSTANCE");
  return out;
}

String SwSystem::GetOsName() const {
  String out;
  for (const MdtBase::PsfComp* c : imp_->mss->GetPsfCompSeqRef(Mss::OSES)) out = c->GetName();
  return out;
}

String SwSystem::GetOsVersion() const {
  String out;
  for (const MdtBase::PsfComp* c : imp_->mss->GetPsfCompSeqRef(Mss::OSES))
    out = InstParamValue(c, "OS_VER");
  return out;
}

String SwSystem::GetDriverName(const String& hwInst) const {
  const DrvInst* d = MssUtil::GetDrvInstByHwInstName(imp_->mss.get(), hwInst);
  return d ? d->GetName() : String();
}

String SwSystem::GetDriverVersion(const String& hwInst) const {
  const DrvInst* d = MssUtil::GetDrvInstByHwInstName(imp_->mss.get(), hwInst);
  return d ? InstParamValue(d, "DRIVER_VER") : String();
}

String SwSystem::GetComponentVersion(const String& name) const {
  const Mss* mss = imp_->mss.get();
  if (const OsInst* os = MssUtil::GetOsInstByNameVer(mss, name, String()))
    return InstParamValue(os, "OS_VER");
  if (const LibInst* lib = MssUtil::GetLibInstByNameVer(mss, name, String()))
    return InstParamValue(lib, "LIBRARY_VER");
  if (const DrvInst* drv = MssUtil::GetDrvInstByNameVer(mss, name, String()))
    return InstParamValue(drv, "DRIVER_VER");
  return String();
}

// ---------------------------------------------------------------------------
// Changes
// ---------------------------------------------------------------------------
bool SwSystem::ChangeComponentVersion(const String& name, const String& version) {
  Mss* mss = imp_->mss.get();
  // The version is created when the instance has none, and the instance is
  // linked to the core of the new version when there is one, so that its
  // definition follows the version it names.
  auto relink = [&](auto* inst, int kind) {
    if (!imp_->man) return;
    BaseNode* file = SwRepos::GetCoreByName(imp_->man->GetSwReposSeqRef(), kind, inst->GetName(),
                                            version, 0);
    if (auto* core = file ? dynamic_cast<SwCore*>(file->GetOwner()) : nullptr)
      inst->SetBaseNodePtr(std::remove_pointer_t<decltype(inst)>::CORE, core);
  };
  if (OsInst* os = MssUtil::GetOsInstByNameVer(mss, name, String())) {
    os->CreateAddPropertySetValue(LibInst::PARAMETERS, "OS_VER", version);
    relink(static_cast<LibInst*>(os), SwRepos::OS);
    return true;
  }
  if (LibInst* lib = MssUtil::GetLibInstByNameVer(mss, name, String())) {
    lib->CreateAddPropertySetValue(LibInst::PARAMETERS, "LIBRARY_VER", version);
    relink(lib, SwRepos::LIBRARY);
    return true;
  }
  bool changed = false;
  for (int seq : {Mss::DRIVERS, Mss::PROCESSORS})
    for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq))
      if (DrvInst* d = AsDrvInst(c); d && Eq(d->GetName(), name)) {
        d->CreateAddPropertySetValue(DrvInst::PARAMETERS, "DRIVER_VER", version);
        relink(d, SwRepos::DRIVER);
        changed = true;
      }
  return changed;
}

int SwSystem::RemoveDriver(const String& hwInst) {
  Mss* mss = imp_->mss.get();
  int result = 1;
  if (DrvInst* d = DrvInstUtil::GetDrvInstByHwInstName(mss->GetPsfCompSeqRef(Mss::DRIVERS), hwInst))
    result = mss->DelPsfComp(Mss::DRIVERS, d);
  else if (ProcInst* p = ProcInstUtil::GetProcInstByHwInstName(
               mss->GetPsfCompSeqRef(Mss::PROCESSORS), hwInst))
    result = mss->DelPsfComp(Mss::PROCESSORS, p);
  if (result == 0) UpdateComponentLinks();
  return result;
}

int SwSystem::SetDriver(const String& hwInst, const String& driverName,
                        const String& driverVersion) {
  const bool proc = imp_->hw && Eq(imp_->hw->GetIpClass(hwInst), "PROCESSOR");
  const int result = MssUtil::AddDriver(imp_->mss.get(), imp_->man, hwInst, proc, driverName,
                                        driverVersion, nullptr);
  if (result >= 0) UpdateComponentLinks();
  return result;
}

int SwSystem::SetParamInMss(BaseNode* instance, int nodeType, const String& name,
                            const String& value) {
  String upper = name;
  upper.MakeUpper();
  if (DrvInst* d = AsDrvInst(instance))
    return d->CreateAddPropertySetValue(nodeType, upper, value) ? 0 : -1;
  if (LibInst* l = AsLibInst(instance))
    return l->CreateAddPropertySetValue(nodeType, upper, value) ? 0 : -1;
  return -1;
}

int SwSystem::DeleteParamInMss(BaseNode* instance, int nodeType, const String& name) {
  if (DrvInst* d = AsDrvInst(instance)) {
    MdtBase::Property* p = d->GetPropertyByName(nodeType, name);
    return p ? (d->DelProperty(nodeType, p) == 0 ? 0 : 1) : 1;
  }
  if (LibInst* l = AsLibInst(instance)) {
    MdtBase::Property* p = l->GetPropertyByName(nodeType, name);
    return p ? (l->DelProperty(nodeType, p) == 0 ? 0 : 1) : 1;
  }
  return -1;
}

// ---------------------------------------------------------------------------
// Parameter values for the editor
// ---------------------------------------------------------------------------
String SwSystem::GetParamValue(const MdtBase::Property* definition, const String& instanceName,
                               int kind) const {
  if (!definition) return String();
  const String def = DefaultOf(definition);
  const Mss* mss = imp_->mss.get();
  const int seq = Eq(BaseNode::GetBaseNode(definition), "TavSoftware_Array") ? 2 : 1;
  const BaseNode* inst = nullptr;
  if (kind == 1)
    inst = MssUtil::GetOsInstByNameVer(mss, instanceName, String());
  else if (kind == 2)
    inst = MssUtil::GetLibInstByNameVer(mss, instanceName, String());
  else
    inst = MssUtil::GetDrvInstByNameVer(mss, instanceName, String());
  String value;
  if (inst)
    if (const MdtBase::Property* p =
            MdtBase::PropertyUtil::GetPropertyByName(InstSeq(inst, seq), definition->GetName()))
      value = p->GetValueStr();
  if (value.empty()) value = def;
  if (Eq(definition->GetPsfCompValueStr("TYPE"), "bool")) value.MakeLower();
  return value;
}

String SwSystem::GetParamDefaultValue(const MdtBase::Property* definition, const String&,
                                      int) const {
  return definition ? DefaultOf(definition) : String();
}

std::vector<String> SwSystem::GetParamListOfValues(const MdtBase::Property* definition,
                                                   const String&, int) const {
  std::vector<String> out;
  if (!definition) return out;
  if (Eq(definition->GetPsfCompValueStr("TYPE"), "peripheral_instance")) {
    out.push_back("none");
    SwRTUtil::GetCoreListForDrvParam(imp_->hw, imp_->mss.get(), definition, imp_->man, out);
  } else {
    MssUtil::GetListofValuesForParam(imp_->mss.get(), definition, imp_->man, out);
  }
  return out;
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------
int SwSystem::WriteMss(const char* fileName) {
  const String target = fileName && *fileName ? String(fileName) : imp_->mss->GetFileNameStr();
  return SwRTUtil::Write(target.c_str(), imp_->mss.get());
}

int SwSystem::WriteMssIfChanged() {
  Port::FileName file(imp_->mss->GetFileNameStr());
  if (file.IsEmpty()) return -1;
  const String path = MdtBase::BaseUtils::GetDriveName(file.Normalize().GetFullName(), false);
  // The text is compared in memory: nothing is written beside the file, and
  // an unchanged file is not touched at all.
  if (Port::File::isfile(path)) {
    bool ok = false;
    const String onDisk = ReadWhole(path, ok);
    if (ok && onDisk == WriteMss::ToText(*imp_->mss)) return 0;
  }
  return SwRTUtil::Write(path.c_str(), imp_->mss.get()) == 0 ? 1 : -1;
}

}  // namespace TavSoftware
