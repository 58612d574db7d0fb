// SwRTUtil queries: which cores serve a peripheral or a processor, which
// versions a core has, which hardware instances fit a parameter; and the
// property trees that present a definition's parameters ordered by their
// dependencies.
#include <algorithm>
#include <unordered_set>

#include "Category.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"
#include "MssUtil.h"
#include "PropTree.h"
#include "SwCore.h"
#include "SwRTUtil.h"
#include "SwRepos.h"
#include "SwReposMan.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;
using MdtBase::Property;

namespace {

bool IsTag(const BaseNode* n, const char* tag) { return BaseNode::IsBaseNodeType(n, tag); }

// Versions compare byte by byte, a longer one with an equal start being
// greater, so 10.00.a stands below 9.00.a; lists stay in the order the
// stored files have always been written in.
bool VersionGreater(const String& a, const String& b) { return a.Compare(b) > 0; }

bool IsRetired(const String& state) { return Eq(state, "DEPRECATED") || Eq(state, "OBSOLETE"); }

Mdd* MddOf(SwCore* core) {
  BaseNode* f = core ? core->GetPsfFileObj(SwCore::MDD) : nullptr;
  return IsTag(f, "TavSoftware_Mdd") ? static_cast<Mdd*>(f) : nullptr;
}

Mld* MldOf(SwCore* core) {
  BaseNode* f = core ? core->GetPsfFileObj(SwCore::MLD) : nullptr;
  return IsTag(f, "TavSoftware_Mld") ? static_cast<Mld*>(f) : nullptr;
}

// The value of an option of a definition; null when it has none.
template <class Def>
const MdtBase::MdtValue* OptionValue(const Def* def, const char* name) {
  const Property* p = def->GetPropertyByName(Def::OPTIONS, name);
  return p ? p->GetMdtValuePtr() : nullptr;
}

std::vector<SwCore*> AllCores(SwReposMan& man) {
  std::vector<SwCore*> cores;
  man.GetSwCoreSeqRef(cores);
  return cores;
}

// Hardware instances whose type (and version) fit one of `patterns`, in
// pattern order; see GetCoreListByIPName for the candidates. An instance
// that fits two patterns is one candidate, not two: the lists feed an
// editor's choices and the search for a free instance, where a repeat is
// only noise. Names are compared ignoring case, through a set, so that
// thousands of instances stay linear.
void InstancesFitting(const std::vector<String>& patterns, const SwRTUtil::HwDbPtr& hw,
                      std::vector<String>& out, const String& procName) {
  if (!hw) return;
  auto fits = [&](const String& inst, const String& pattern) {
    return SwRTUtil::CheckMatch(hw->GetIpType(inst), hw->GetIpVersion(inst), pattern);
  };
  auto key = [](const String& name) {
    String k = name;
    return std::string(k.MakeLower());
  };
  std::unordered_set<std::string> listed;
  for (const String& o : out) listed.insert(key(o));
  auto add = [&](const String& inst) {
    if (listed.insert(key(inst)).second) out.push_back(inst);
  };
  for (const String& pattern : patterns) {
    std::vector<std::string> candidates;
    if (procName.empty()) {
      candidates = hw->GetAllInstNames();
    } else if (fits(procName, pattern)) {
      add(procName);
      continue;
    } else {
      candidates = hw->GetAddressableInstNames(procName);
    }
    for (const std::string& c : candidates)
      if (!c.empty() && fits(c, pattern)) add(c);
  }
}

// Which cores of an OS walk are taken.
enum class OsPick { kOs, kBsp };

bool Picked(const Mld* mld, OsPick pick) {
  const Property* compile = mld->GetPropertyByName(Mld::OPTIONS, "compile_bsp");
  const Property* bsp = mld->GetPropertyByName(Mld::OPTIONS, "bsp");
  if (pick == OsPick::kOs)
    return !(compile && Eq(compile->GetValueStr(), "false")) &&
           !(bsp && Eq(bsp->GetValueStr(), "true"));
  if (compile && !Eq(compile->GetValueStr(), "true")) return true;
  return bsp && !Eq(bsp->GetValueStr(), "false");
}

// The OS cores (or BSPs) of the repositories; with `procTest` only those
// whose "supported_peripherals" fit the processor, and with `mss` also the
// retired ones the MSS uses.
void OsWalk(const String& procType, const String& procVersion, std::vector<SwCore*>& out,
            SwReposMan& man, const Mss* mss, bool includeDeprecated, OsPick pick, bool procTest) {
  for (SwCore* core : AllCores(man)) {
    const Mld* mld = MldOf(core);
    if (!mld || !Eq(mld->GetPropertyValueStr(Mld::OPTIONS, "mld_type"), "OS")) continue;
    if (IsRetired(mld->GetPropertyValueStr(Mld::OPTIONS, "os_state")) && !includeDeprecated &&
        !MssUtil::GetOsInstByNameVer(mss, core->GetName(), core->GetVersion()))
      continue;
    if (!Picked(mld, pick)) continue;
    const MdtBase::MdtValue* supp = OptionValue(mld, "supported_peripherals");
    if (!procTest || !supp)
      SwRTUtil::CheckAndAddCoreToList(out, core);
    else
      SwRTUtil::CheckAndAddCoreToList(procType, procVersion, out, core, supp);
  }
}

// The library cores; `mss` (may be null) keeps the retired ones it uses;
// with an OS name and version, those whose "requires_os" excludes that OS
// are left out.
void LibWalk(std::vector<SwCore*>& out, SwReposMan& man, const Mss* mss, const String& osName,
             const String& osVersion, bool includeDeprecated) {
  for (SwCore* core : AllCores(man)) {
    const Mld* mld = MldOf(core);
    if (!mld) continue;
    const MdtBase::MdtValue* requiredOs = OptionValue(mld, "requires_os");
    if (mld->GetPropertyByName(Mld::OPTIONS, "requires_os") && !osName.empty() &&
        !osVersion.empty() && !SwRTUtil::CheckRequiresOs(osName, osVersion, requiredOs))
      continue;
    if (!Eq(mld->GetPropertyValueStr(Mld::OPTIONS, "mld_type"), "LIBRARY")) continue;
    if (IsRetired(mld->GetPropertyValueStr(Mld::OPTIONS, "library_state")) &&
        !includeDeprecated &&
        !MssUtil::GetLibInstByNameVer(mss, core->GetName(), core->GetVersion()))
      continue;
    SwRTUtil::CheckAndAddCoreToList(out, core);
  }
}

SwCore* FirstNamed(const std::vector<SwCore*>& list, const String& name, const String& version) {
  for (SwCore* c : list)
    if (Eq(c->GetName(), name) && (version.empty() || Eq(c->GetVersion(), version))) return c;
  return nullptr;
}

// --- Property trees ---------------------------------------------------------------

// The parameter a "dep" condition names and the value it asks for; false
// when `p` has no condition.
bool DepOf(const Property* p, String& name, String& value) {
  const MdtBase::PsfComp* dep = p ? p->GetPsfCompByName("dep") : nullptr;
  const MdtBase::MdtValue* v = dep ? dep->GetMdtValuePtr() : nullptr;
  if (!IsTag(v, "MdtBas_ListPsfCompVal")) return false;
  const auto& list = static_cast<const MdtBase::ListPsfCompVal*>(v)->GetList();
  if (list.empty() || !list.front()) return false;
  name = list.front()->GetName();
  value = list.front()->GetValueStr();
  return true;
}

// A category's condition is that of its own parameter (named like it).
bool CategoryDepOf(const Property* c, String& name, String& value) {
  if (!IsTag(c, "TavSoftware_Category")) return false;
  const Category* cat = static_cast<const Category*>(c);
  return DepOf(cat->GetPropertyByName(Category::PARAMETERS, cat->GetName()), name, value);
}

// The definition of a driver- or library-like component; `known` false for
// anything else.
BaseNode* DefinitionOf(MdtBase::PsfComp* comp, bool& known) {
  known = true;
  if (DrvInst* d = AsDrvInst(comp)) return d->GetBaseNodePtr(DrvInst::DEFINITION);
  if (LibInst* l = AsLibInst(comp)) return l->GetBaseNodePtr(LibInst::DEFINITION);
  known = false;
  return nullptr;
}

const PropSeq* DefSeq(const BaseNode* def, int nodeType) {
  if (IsTag(def, "TavSoftware_Mdd")) return &static_cast<const Mdd*>(def)->GetPropSeqRef(nodeType);
  if (IsTag(def, "TavSoftware_Mld")) return &static_cast<const Mld*>(def)->GetPropSeqRef(nodeType);
  return nullptr;
}

PropTree* NewNode(Property* p, int level, std::vector<PropTree*>& out) {
  auto* node = new PropTree();
  node->SetInfoNoOwn(p, level);
  out.push_back(node);
  return node;
}

// Places the dependants of one node. The chain of properties above the
// node is kept so that a property never comes below itself, whatever the
// conditions say (two entries of one name may name each other).
class DepPlacer {
 public:
  DepPlacer(const std::vector<Property*>& params, const std::vector<Property*>& categs,
            std::vector<PropTree*>& out)
      : params_(params), categs_(categs), out_(out) {}

  void Params(PropTree* node) {
    const Property* p = node ? node->GetProperty() : nullptr;
    if (!p) return;
    chain_.push_back(p);
    String name, value;
    for (Property* d : params_)
      if (DepOf(d, name, value) && Eq(name, p->GetName()) && !OnChain(d))
        Params(NewNode(d, node->GetLevel() + 1, out_));
    PlaceCategs(node, p);
    chain_.pop_back();
  }

  void Categs(PropTree* node) {
    const Property* p = node ? node->GetProperty() : nullptr;
    if (!p) return;
    chain_.push_back(p);
    PlaceCategs(node, p);
    chain_.pop_back();
  }

 private:
  void PlaceCategs(PropTree* node, const Property* p) {
    String name, value;
    for (Property* c : categs_)
      if (CategoryDepOf(c, name, value) && Eq(name, p->GetName()) && !OnChain(c))
        Categs(NewNode(c, node->GetLevel() + 1, out_));
  }
  bool OnChain(const Property* p) const {
    return std::find(chain_.begin(), chain_.end(), p) != chain_.end();
  }

  const std::vector<Property*>& params_;
  const std::vector<Property*>& categs_;
  std::vector<PropTree*>& out_;
  std::vector<const Property*> chain_;
};

PropTree* FindCategoryNode(const std::vector<PropTree*>& tree, const String& name) {
  for (PropTree* n : tree) {
    if (!n) continue;
    const Property* p = n->GetProperty();
    if (IsTag(p, "TavSoftware_Category") && Eq(p->GetName(), name)) return n;
    if (PropTree* found = FindCategoryNode(n->GetChildren(), name)) return found;
  }
  return nullptr;
}

}  // namespace

// --- List building ----------------------------------------------------------------

bool SwRTUtil::IsCorePresentinList(const String& name, const String& version,
                                   const std::vector<SwCore*>& list) {
  for (const SwCore* c : list)
    if (c && Eq(c->GetName(), name) && (version.empty() || Eq(c->GetVersion(), version)))
      return true;
  return false;
}

void SwRTUtil::CheckAndAddCoreToList(std::vector<SwCore*>& list, SwCore* core) {
  if (!core || IsCorePresentinList(core->GetName(), core->GetVersion(), list)) return;
  auto at = std::find_if(list.begin(), list.end(), [core](const SwCore* c) {
    return !c || !Eq(c->GetName(), core->GetName()) ||
           !VersionGreater(c->GetVersion(), core->GetVersion());
  });
  list.insert(at, core);
}

void SwRTUtil::CheckAndAddCoreToList(const String& ipType, const String& ipVersion,
                                     std::vector<SwCore*>& list, SwCore* core,
                                     const MdtBase::MdtValue* value) {
  for (const String& entry : ValueWords(value))
    if (CheckMatch(ipType, ipVersion, entry)) {
      CheckAndAddCoreToList(list, core);
      return;
    }
}

void SwRTUtil::CheckAndAddVerToList(std::vector<String>& list, const String& version) {
  for (const String& v : list)
    if (Eq(v, version)) return;
  auto at = std::find_if(list.begin(), list.end(),
                         [&](const String& v) { return !VersionGreater(v, version); });
  list.insert(at, version);
}

// --- Drivers and peripherals -------------------------------------------------------

int SwRTUtil::GetDrvListForPeriph(const String& ipType, const String& ipVersion,
                                  std::vector<SwCore*>& out, std::vector<SwRepos*>& repos,
                                  unsigned char includeGeneric, const Mss* mss,
                                  unsigned char includeDeprecated) {
  std::vector<SwCore*> matching, generic;
  for (SwRepos* r : repos) {
    if (!r) continue;
    for (SwCore* core : r->GetSwCoreSeqRef()) {
      const Mdd* mdd = MddOf(core);
      if (!mdd) continue;
      if (IsRetired(mdd->GetPropertyValueStr(Mdd::OPTIONS, "driver_state")) &&
          !includeDeprecated &&
          !MssUtil::GetDrvInstByNameVer(mss, core->GetName(), core->GetVersion()))
        continue;
      const MdtBase::MdtValue* supp = OptionValue(mdd, "supported_peripherals");
      if (ValueWords(supp).empty())
        CheckAndAddCoreToList(generic, core);
      else
        CheckAndAddCoreToList(ipType, ipVersion, matching, core, supp);
    }
  }
  out = matching;
  if (includeGeneric)
    for (SwCore* g : generic)
      if (!IsCorePresentinList(g->GetName(), g->GetVersion(), out)) out.push_back(g);
  return 0;
}

SwCore* SwRTUtil::GetDrvForPeriph(const String& ipType, const String& ipVersion,
                                  std::vector<SwRepos*>& repos) {
  std::vector<SwCore*> list;
  GetDrvListForPeriph(ipType, ipVersion, list, repos, false, nullptr, false);
  if (list.empty()) {
    BaseNode* generic = SwRepos::GetCoreByName(repos, SwRepos::ANY, "generic", "1.00.a", 0);
    return IsTag(generic, "TavSoftware_SwCore") ? static_cast<SwCore*>(generic) : nullptr;
  }
  // A memory controller is better served by its own driver than by the
  // flash driver that also lists it.
  if (String(ipType).MakeLower().find("emc") != String::npos)
    for (SwCore* c : list)
      if (!Eq(c->GetName(), "flash")) return c;
  return list.front();
}

int SwRTUtil::GetAllVerForDrv(const String& name, const std::vector<SwCore*>& cores,
                              std::vector<String>& out) {
  for (const SwCore* c : cores)
    if (c && Eq(c->GetName(), name)) CheckAndAddVerToList(out, c->GetVersion());
  return 0;
}

int SwRTUtil::GetCoreListByIPName(const String& ipType, const HwDbPtr& hw,
                                  std::vector<String>& out, const String& procName) {
  if (!hw) return 0;
  if (!procName.empty() && Eq(hw->GetIpType(procName), ipType)) {
    out.push_back(procName);
    return 0;
  }
  const std::vector<std::string> candidates =
      procName.empty() ? hw->GetAllInstNames() : hw->GetAddressableInstNames(procName);
  for (const std::string& c : candidates)
    if (!c.empty() && Eq(hw->GetIpType(c), ipType)) out.push_back(c);
  return 0;
}

int SwRTUtil::GetCoreListForPeriphInst(const Property* p, const HwDbPtr& hw,
                                       std::vector<String>& out, const String& procName) {
  const MdtBase::PsfComp* range = p ? p->GetPsfCompByName("range") : nullptr;
  if (range) InstancesFitting(ValueWords(range->GetMdtValuePtr()), hw, out, procName);
  return 0;
}

int SwRTUtil::GetCoreListForDrv(const Mdd* mdd, const HwDbPtr& hw, std::vector<String>& out,
                                const String& procName) {
  const Property* supp = mdd ? mdd->GetPropertyByName(Mdd::OPTIONS, "supported_peripherals")
                             : nullptr;
  if (!supp) return -1;
  InstancesFitting(ValueWords(supp->GetMdtValuePtr()), hw, out, procName);
  return 0;
}

int SwRTUtil::GetCoreListByDrvPropName(const Mss* mss, int nodeType, const String& propName,
                                       SwReposMan* man, std::vector<String>& out) {
  if (!mss || !man) return 0;
  for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(Mss::DRIVERS)) {
    const DrvInst* inst = AsDrvInst(c);
    if (!inst) continue;
    const Mdd* mdd = DrvInstUtil::GetMddForDrvInst(inst, man->GetSwReposSeqRef());
    const String hw = InstParamValue(inst, "HW_INSTANCE");
    if (mdd && DrvInstUtil::IsDrvPropertyValid(inst, mdd, nodeType, propName) && !hw.empty())
      out.push_back(hw);
  }
  return 0;
}

int SwRTUtil::GetCoreListForDrvParam(const HwDbPtr& hw, const Mss* mss, const Property* p,
                                     SwReposMan* man, std::vector<String>& out) {
  if (!p) return 0;
  String proc;
  if (mss && !mss->GetPsfCompSeqRef(Mss::PROCESSORS).empty())
    proc = InstParamValue(mss->GetPsfCompSeqRef(Mss::PROCESSORS).front(), "HW_INSTANCE");
  std::vector<String> a, b;
  GetCoreListForPeriphInst(p, hw, a, proc);
  const MdtBase::PsfComp* req = p->GetPsfCompByName("requires_interface");
  const std::vector<String> ifaces = req ? ValueWords(req->GetMdtValuePtr()) : std::vector<String>();
  // Several required interfaces must all be offered by the serving driver.
  for (size_t i = 0; i < ifaces.size(); ++i) {
    std::vector<String> offering;
    GetCoreListByDrvPropName(mss, Mdd::INTERFACES, ifaces[i], man, offering);
    if (i == 0) {
      b = offering;
    } else {
      std::erase_if(b, [&](const String& x) {
        return std::none_of(offering.begin(), offering.end(),
                            [&](const String& y) { return Eq(x, y); });
      });
    }
  }
  if (a.empty()) {
    out.insert(out.end(), b.begin(), b.end());
  } else if (b.empty()) {
    out.insert(out.end(), a.begin(), a.end());
  } else {
    for (const String& x : b)
      if (std::any_of(a.begin(), a.end(), [&](const String& y) { return Eq(x, y); }))
        out.push_back(x);
  }
  return 0;
}

// --- OSs, BSPs and libraries --------------------------------------------------------

int SwRTUtil::GetOsListForProc(const String& procType, const String& procVersion,
                               std::vector<SwCore*>& out, SwReposMan& man, const Mss* mss,
                               unsigned char includeDeprecated) {
  OsWalk(procType, procVersion, out, man, mss, includeDeprecated, OsPick::kOs, true);
  return 0;
}

int SwRTUtil::GetBspListForProc(const String& procType, const String& procVersion,
                                std::vector<SwCore*>& out, SwReposMan& man, const Mss* mss,
                                unsigned char includeDeprecated) {
  OsWalk(procType, procVersion, out, man, mss, includeDeprecated, OsPick::kBsp, true);
  return 0;
}

int SwRTUtil::GetOsList(std::vector<SwCore*>& out, SwReposMan& man,
                        unsigned char includeDeprecated) {
  OsWalk(String(), String(), out, man, nullptr, includeDeprecated, OsPick::kOs, false);
  return 0;
}

int SwRTUtil::GetLibList(std::vector<SwCore*>& out, SwReposMan& man,
                         unsigned char includeDeprecated) {
  LibWalk(out, man, nullptr, String(), String(), includeDeprecated);
  return 0;
}

int SwRTUtil::GetAllLibInRepos(SwReposMan& man, std::vector<SwCore*>& out, const Mss* mss,
                               const String& osName, const String& osVersion,
                               unsigned char includeDeprecated) {
  LibWalk(out, man, mss, osName, osVersion, includeDeprecated);
  return 0;
}

bool SwRTUtil::CheckRequiresOs(const String& osName, const String& osVersion,
                               const MdtBase::MdtValue* value) {
  for (const String& entry : ValueWords(value))
    if (CheckMatch(osName, osVersion, entry)) return true;
  return false;
}

SwCore* SwRTUtil::GetDefaultOsForProc(const Mdd* mdd, SwReposMan& man) {
  const String text = mdd ? mdd->GetPropertyValueStr(Mdd::OPTIONS, "default_os") : String();
  if (text.empty()) return nullptr;
  String name, version;
  // A bare name asks for any version of that OS.
  if (!MdtBase::BaseUtils::SeperateDirAndVer(text, name, version)) name = text;
  SwCore* found = nullptr;
  for (SwRepos* r : man.GetSwReposSeqRef()) {
    BaseNode* mld = r ? r->GetCoreByName(SwRepos::OS, name, version, 0) : nullptr;
    if (mld && IsTag(mld->GetOwner(), "TavSoftware_SwCore"))
      found = static_cast<SwCore*>(mld->GetOwner());
  }
  return found;
}

SwCore* SwRTUtil::GetDefaultOsForProc(const Mdd* mdd, const String& procType,
                                      const String& procVersion, SwReposMan& man) {
  if (SwCore* core = GetDefaultOsForProc(mdd, man)) return core;
  std::vector<SwCore*> list;
  GetOsListForProc(procType, procVersion, list, man, nullptr, false);
  return list.empty() ? nullptr : list.front();
}

SwCore* SwRTUtil::GetOsForProc(const String& procType, const String& procVersion,
                               const String& osName, const String& osVersion, SwReposMan& man) {
  std::vector<SwCore*> list;
  GetOsListForProc(procType, procVersion, list, man, nullptr, false);
  return FirstNamed(list, osName, osVersion);
}

SwCore* SwRTUtil::GetBspForProc(const String& procType, const String& procVersion,
                                const String& osName, const String& osVersion, SwReposMan& man) {
  std::vector<SwCore*> list;
  GetBspListForProc(procType, procVersion, list, man, nullptr, false);
  return FirstNamed(list, osName, osVersion);
}

int SwRTUtil::IsOsType(const String& name, SwReposMan& man) {
  std::vector<SwCore*> list;
  GetOsList(list, man, false);
  return FirstNamed(list, name, String()) ? 1 : 0;
}

int SwRTUtil::GetAllVerForName(const String& name, SwReposMan& man, std::vector<String>& out,
                               const Mss* mss, unsigned char includeDeprecated) {
  for (SwCore* core : AllCores(man)) {
    if (!Eq(core->GetName(), name)) continue;
    const Mld* mld = MldOf(core);
    if (!mld || !Eq(mld->GetPropertyValueStr(Mld::OPTIONS, "mld_type"), "OS")) continue;
    if (IsRetired(mld->GetPropertyValueStr(Mld::OPTIONS, "os_state")) && !includeDeprecated &&
        !MssUtil::GetOsInstByNameVer(mss, core->GetName(), core->GetVersion()))
      continue;
    CheckAndAddVerToList(out, core->GetVersion());
  }
  return 0;
}

std::vector<String> SwRTUtil::GetVersionsForSwCore(const String& name, SwReposMan& man,
                                                   int kind) {
  std::vector<String> out;
  for (SwCore* core : AllCores(man)) {
    if (!Eq(core->GetName(), name)) continue;
    String state;
    if (kind == 1 || kind == 2) {
      const Mld* mld = MldOf(core);
      const String type = mld ? mld->GetPropertyValueStr(Mld::OPTIONS, "mld_type") : String();
      if (type.empty()) continue;
      state = mld->GetPropertyValueStr(Mld::OPTIONS, Eq(type, "OS") ? "os_state" : "library_state");
    } else {
      const Mdd* mdd = MddOf(core);
      if (!mdd) continue;
      state = mdd->GetPropertyValueStr(Mdd::OPTIONS, "driver_state");
    }
    if (!IsRetired(state)) CheckAndAddVerToList(out, core->GetVersion());
  }
  return out;
}

// --- Property trees ---------------------------------------------------------------

int SwRTUtil::PopulatePsfCompPropTree(MdtBase::PsfComp* comp, const HwDbPtr& hw,
                                      const String& procName, std::vector<PropTree*>& out) {
  if (!comp) return 0;
  bool known = false;
  BaseNode* def = DefinitionOf(comp, known);
  if (!known) {
    Msg().issueWarning("Unknown PsfComponent %s used ... \n", BaseNode::GetBaseNode(comp));
    return 0;
  }
  const PropSeq* params = DefSeq(def, 3);
  const PropSeq* arrays = DefSeq(def, 6);
  if (!params || !arrays) return 0;
  const bool mld = IsTag(def, "TavSoftware_Mld");
  const size_t before = out.size();

  // Independent entries go to the top; dependent ones follow what they
  // depend on; an entry whose condition the processor's hardware decides
  // against is dropped.
  enum class Place { kTop, kBelow, kDrop };
  auto place = [&](bool hasDep, const String& depName, const String& depValue) {
    if (!hasDep) return Place::kTop;
    if (procName.empty() || !hw) return Place::kBelow;
    const String answer = hw->GetInstParamValue(procName, depName);
    if (answer.empty()) return Place::kBelow;
    return Eq(answer, depValue) ? Place::kTop : Place::kDrop;
  };
  std::vector<Property*> topParams, depParams, topCategs, depCategs;
  String name, value;
  for (Property* p : *params) {
    if (!p) continue;
    bool has = DepOf(p, name, value);
    Place where = place(has, name, value);
    if (where != Place::kDrop) (where == Place::kTop ? topParams : depParams).push_back(p);
  }
  if (mld) {
    for (Property* c : *DefSeq(def, 4)) {
      if (!IsTag(c, "TavSoftware_Category")) continue;
      bool has = CategoryDepOf(c, name, value);
      Place where = place(has, name, value);
      if (where != Place::kDrop) (where == Place::kTop ? topCategs : depCategs).push_back(c);
    }
  }

  for (Property* p : topParams) AddDepParams(NewNode(p, 0, out), depParams, depCategs, out);
  for (Property* c : topCategs) AddDepCategs(NewNode(c, 0, out), depCategs, out);
  for (Property* a : *arrays)
    if (a) NewNode(a, 0, out);
  return static_cast<int>(out.size() - before);
}

void SwRTUtil::AddDepParams(PropTree* node, const std::vector<Property*>& depParams,
                            const std::vector<Property*>& depCategs, std::vector<PropTree*>& out) {
  DepPlacer(depParams, depCategs, out).Params(node);
}

void SwRTUtil::AddDepCategs(PropTree* node, const std::vector<Property*>& depCategs,
                            std::vector<PropTree*>& out) {
  static const std::vector<Property*> kNone;
  DepPlacer(kNone, depCategs, out).Categs(node);
}

int SwRTUtil::CreatePropTreeList(MdtBase::PsfComp* comp, std::vector<PropTree*>& out) {
  if (!comp) return 0;
  bool known = false;
  BaseNode* def = DefinitionOf(comp, known);
  if (!known) {
    Msg().issueWarning("Internal error while creating property list for comp: %s.\n",
                       comp->GetName().c_str());
    return 0;
  }
  const PropSeq* params = DefSeq(def, 3);
  const PropSeq* arrays = DefSeq(def, 6);
  if (!params || !arrays) return 0;
  for (const PropSeq* seq : {params, arrays})
    for (Property* p : *seq)
      if (p) NewNode(p, 0, out);

  if (IsTag(def, "TavSoftware_Mld")) {
    std::vector<PropTree*> pending;
    String name, value;
    for (Property* c : *DefSeq(def, 4)) {
      if (!IsTag(c, "TavSoftware_Category")) continue;
      if (!CategoryDepOf(c, name, value)) {
        NewNode(c, 0, out);
      } else {
        auto* node = new PropTree();
        node->SetInfoNoOwn(c, 0);
        pending.push_back(node);
      }
    }
    // A parent may come later in the file than its child, so placing goes
    // round until nothing more finds its parent.
    for (bool placed = true; placed && !pending.empty();) {
      placed = false;
      for (auto it = pending.begin(); it != pending.end();) {
        if (NestUnderParentCategory(*it, out)) {
          it = pending.erase(it);
          placed = true;
        } else {
          ++it;
        }
      }
    }
    // Categories whose parent is missing (or that name each other) are in
    // no tree; nobody else would release their nodes.
    for (PropTree* orphan : pending) delete orphan;
  }
  return CountProperties(out);
}

bool SwRTUtil::NestUnderParentCategory(PropTree* node, std::vector<PropTree*>& tree) {
  String name, value;
  if (!node || !CategoryDepOf(node->GetProperty(), name, value)) return false;
  PropTree* parent = FindCategoryNode(tree, name);
  if (!parent) return false;
  parent->AddChild(node);
  return true;
}

int SwRTUtil::CountProperties(const std::vector<PropTree*>& tree) {
  int count = 0;
  for (const PropTree* n : tree)
    if (n) count += IsTag(n->GetProperty(), "TavSoftware_Category") ? CountCategoryProperties(n) : 1;
  return count;
}

int SwRTUtil::CountCategoryProperties(const PropTree* node) {
  const Property* p = node ? node->GetProperty() : nullptr;
  if (!IsTag(p, "TavSoftware_Category")) return 0;
  const Category* c = static_cast<const Category*>(p);
  return static_cast<int>(c->GetPropSeqRef(Category::PARAMETERS).size() +
                          c->GetPropSeqRef(Category::ARRAYS).size()) +
         CountProperties(node->GetChildren());
}

void SwRTUtil::ReleasePropTree(std::vector<PropTree*>& tree) {
  std::unordered_set<PropTree*> seen;
  std::vector<PropTree*> todo(tree.begin(), tree.end());
  std::vector<PropTree*> doomed;
  while (!todo.empty()) {
    PropTree* n = todo.back();
    todo.pop_back();
    if (!n || !seen.insert(n).second) continue;
    doomed.push_back(n);
    todo.insert(todo.end(), n->GetChildren().begin(), n->GetChildren().end());
  }
  for (PropTree* n : doomed) delete n;
  tree.clear();
}

}  // namespace TavSoftware
