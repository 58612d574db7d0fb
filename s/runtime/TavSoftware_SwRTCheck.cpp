// SwRTUtil validation: an MSS right after reading and a runtime model after
// creation, against the hardware database and the merged definitions. Every
// check visits everything and reports each problem; the result is the
// number of errors (warnings are not counted).
#include <algorithm>
#include <map>

#include "ArrayInst.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "Element.h"
#include "LibInstUtil.h"
#include "Mss.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;
using MdtBase::Property;
using MdtBase::PsfComp;

namespace {

bool IsTag(const BaseNode* n, const char* tag) { return BaseNode::IsBaseNodeType(n, tag); }

const char* File(const PsfComp* c) { return c->GetFileNameStr().c_str(); }

// The component word and the linked word of a kind, and the parameter that
// links an instance to the hardware.
struct KindWords {
  const char* comp;
  const char* linked;
  const char* link;
};

bool WordsOf(int kind, KindWords& w) {
  switch (kind) {
    case Mss::DRIVERS: w = {"Driver", "IP", "HW_INSTANCE"}; return true;
    case Mss::PROCESSORS: w = {"Processor", "Processor", "HW_INSTANCE"}; return true;
    case Mss::OSES: w = {"Os", "Processor", "PROC_INSTANCE"}; return true;
    case Mss::LIBRARIES: w = {"Library", "Processor", "PROC_INSTANCE"}; return true;
    default: return false;
  }
}

bool IsInstance(const BaseNode* n) {
  return IsTag(n, "TavSoftware_DrvInst") || IsTag(n, "TavSoftware_LibInst");
}

const Property* Link(const PsfComp* comp, const char* name) {
  return MdtBase::PropertyUtil::GetPropertyByName(InstSeq(comp, 1), name, 0);
}

// The value text of a property's sub-component; empty when absent.
String Attr(const Property* p, const char* name) { return p->GetPsfCompValueStr(name); }

bool HasAttr(const Property* p, const char* name) { return p->GetPsfCompByName(name) != nullptr; }

// True when `p` has a "default" and its value equals it.
bool IsDefault(const Property* p) {
  return HasAttr(p, "default") && Eq(p->GetValueStr(), Attr(p, "default"));
}

std::vector<String> AttrWords(const Property* p, const char* name) {
  const PsfComp* c = p->GetPsfCompByName(name);
  return c ? ValueWords(c->GetMdtValuePtr()) : std::vector<String>();
}

// True when an entry of the supported-peripherals `list` matches the IP.
bool Supports(const Property* list, const String& ipType, const String& ipVersion) {
  const MdtBase::MdtValue* value = list ? list->GetMdtValuePtr() : nullptr;
  if (!value) return false;
  auto matches = [&](const std::vector<String>& entries) {
    for (const String& entry : entries)
      if (SwRTUtil::CheckMatch(ipType, ipVersion, entry)) return true;
    return false;
  };
  // The words of a list value are looked at where they are.
  if (IsTag(value, "MdtBas_ListStrVal"))
    return matches(static_cast<const MdtBase::ListStrVal*>(value)->GetList());
  return matches(ValueWords(value));
}

bool HasInterface(const PsfComp* target, const String& name) {
  return MdtBase::PropertyUtil::GetPropertyByName(InstSeq(target, 3), name, 0) != nullptr;
}

}  // namespace

// --- The model and the MSS ----------------------------------------------------

int SwRTUtil::CheckSwRTClass(SwRTClass* model, std::vector<SwRepos*>& repos) {
  if (!model) return -1;
  int count = CheckOptions(model);
  const HwDbPtr hw = model->GetHwDbPtr();
  count += CheckPsfCompSeq(model->GetPsfCompSeqRef(Mss::PARAMETERS), hw);
  count += CheckPsfCompSeq(model->GetPsfCompSeqRef(Mss::ARRAYS), hw);
  for (int kind : {Mss::PROCESSORS, Mss::OSES, Mss::DRIVERS, Mss::LIBRARIES})
    count += CheckPsfCompInst(model->GetPsfCompSeqRef(kind), kind, model, hw, repos);
  return count;
}

int SwRTUtil::CheckMss(const Mss* mss, const HwDbPtr& hw) { return CheckInstNames(mss, hw); }

int SwRTUtil::CheckMss(const Mss* mss, SwReposMan* man, const HwDbPtr& hw) {
  if (!mss || !man) return -1;
  if (int names = CheckInstNames(mss, hw)) return names;
  int count = 0;
  for (PsfComp* c : mss->GetPsfCompSeqRef(Mss::DRIVERS))
    if (const DrvInst* d = AsDrvInst(c)) count += DrvInstUtil::CheckDrvInst(d, man);
  for (PsfComp* c : mss->GetPsfCompSeqRef(Mss::OSES))
    if (IsTag(c, "TavSoftware_OsInst"))
      count += OsInstUtil::CheckOsInst(static_cast<const OsInst*>(c), man);
  for (PsfComp* c : mss->GetPsfCompSeqRef(Mss::LIBRARIES))
    if (const LibInst* l = AsLibInst(c)) count += LibInstUtil::CheckLibInst(l, man);
  return count;
}

// --- Instance names -------------------------------------------------------------

int SwRTUtil::CheckInstNames(const Mss* mss, const HwDbPtr& hw) {
  if (!mss) return -1;
  int count = 0;
  for (int kind : {Mss::OSES, Mss::PROCESSORS, Mss::DRIVERS, Mss::LIBRARIES})
    count += CheckInstNames(mss->GetPsfCompSeqRef(kind), kind, hw);
  return count;
}

int SwRTUtil::CheckInstNames(const PsfCompSeq& seq, int kind, const HwDbPtr& hw) {
  KindWords w;
  if (!WordsOf(kind, w)) return 0;
  const bool library = kind == Mss::LIBRARIES;
  Port_MsgManData msg = Msg();
  // Keyed by the lower-cased hardware link (for libraries link "^" name),
  // so duplicates are found whatever their case and reported in key order.
  struct Use {
    int count = 0;
    String proc, lib;
  };
  std::map<String, Use> uses;
  int count = 0;
  for (const PsfComp* c : seq) {
    if (!IsInstance(c)) continue;
    const char* name = c->GetName().c_str();
    if (c->GetName().empty()) msg.issueWarning("%s line %i - %s name not given!\n", File(c),
                                               c->GetLineNum(), w.comp);
    const Property* link = Link(c, w.link);
    String value = link ? link->GetValueStr() : String();
    if (value.empty()) {
      const char* fmt = "%s - %s line %i - No %s associated with the %s instance!\n";
      if (library) {
        msg.issueWarning(fmt, name, File(c), c->GetLineNum(), w.linked, w.comp);
      } else {
        msg.issueError(fmt, name, File(c), c->GetLineNum(), w.linked, w.comp);
        ++count;
      }
    } else if (hw && !hw->IsInstPresent(value)) {
      msg.issueError("%s - %s line %i - No %s instance named %s is present in the hardware!\n",
                     name, File(c), c->GetLineNum(), w.linked, value.c_str());
      ++count;
    }
    value.MakeLower();
    String key = value;
    String lib;
    if (library) {
      lib = String(c->GetName()).MakeLower();
      key += "^" + lib;
    }
    Use& use = uses[key];
    ++use.count;
    use.proc = value;
    use.lib = lib;
  }
  for (const auto& [key, use] : uses) {
    if (key.empty() || use.count < 2) continue;
    if (library)
      msg.issueError("%i %s Library instances assigned to %s %s!\n", use.count, use.lib.c_str(),
                     "Processor", use.proc.c_str());
    else if (kind == Mss::OSES)
      msg.issueError("%i Os instances assigned to %s %s!\n", use.count, w.linked, key.c_str());
    else
      msg.issueError("%i Driver instances assigned to %s %s!\n", use.count, w.linked, key.c_str());
    ++count;
  }
  return count;
}

// --- State options --------------------------------------------------------------

int SwRTUtil::CheckOptions(const SwRTClass* model) {
  if (!model) return -1;
  return CheckOptions(model->GetPsfCompSeqRef(Mss::DRIVERS), "driver") +
         CheckOptions(model->GetPsfCompSeqRef(Mss::PROCESSORS), "processor") +
         CheckOptions(model->GetPsfCompSeqRef(Mss::LIBRARIES), "library") +
         CheckOptions(model->GetPsfCompSeqRef(Mss::OSES), "os");
}

int SwRTUtil::CheckOptions(const PsfCompSeq& seq, const String& kindWord) {
  const char* option = "OS_STATE";
  if (Eq(kindWord, "driver") || Eq(kindWord, "processor"))
    option = "DRIVER_STATE";
  else if (Eq(kindWord, "library"))
    option = "LIBRARY_STATE";
  Port_MsgManData msg = Msg();
  int count = 0;
  for (const PsfComp* c : seq) {
    const Property* state = MdtBase::PropertyUtil::GetPropertyByName(InstSeq(c, 0), option, 0);
    if (!state) continue;
    const String value = state->GetValueStr();
    if (Eq(value, "OBSOLETE")) {
      msg.issueError("%s - %s line %i - obsolete %s!\n", c->GetName().c_str(), File(c),
                     c->GetLineNum(), kindWord.c_str());
      ++count;
    } else if (Eq(value, "DEPRECATED")) {
      msg.issueWarning("%s - %s line %i - deprecated %s!\n", c->GetName().c_str(), File(c),
                       c->GetLineNum(), kindWord.c_str());
    }
  }
  return count;
}

// --- Components -----------------------------------------------------------------

int SwRTUtil::CheckPsfCompInst(PsfComp* comp, int kind, const Mss* mss, const HwDbPtr& hw,
                               std::vector<SwRepos*>& repos) {
  PropSeq* params = InstSeqMutable(comp, 1);
  PropSeq* arrays = InstSeqMutable(comp, 2);
  if (!params || !arrays) return 0;
  const bool hasSupp =
      kind != Mss::LIBRARIES &&
      MdtBase::PropertyUtil::GetPropertyByName(InstSeq(comp, 0), "supported_peripherals", 0);
  int count = CheckPsfCompSeq(*params, hw) + CheckPsfCompSeq(*arrays, hw);
  // Interfaces and peripherals are only worth checking on values that passed.
  if (count == 0) count += CheckReqIf(*params, mss);
  if (count == 0) count += CheckReqIf(*arrays, mss);
  if (count == 0 && hasSupp) count += CheckSuppPeriph(comp, kind, hw, repos);
  return count;
}

int SwRTUtil::CheckPsfCompInst(const PsfCompSeq& comps, int kind, const Mss* mss,
                               const HwDbPtr& hw, std::vector<SwRepos*>& repos) {
  int count = 0;
  for (PsfComp* c : comps) count += CheckPsfCompInst(c, kind, mss, hw, repos);
  return count;
}

// --- Properties -----------------------------------------------------------------

int SwRTUtil::CheckPsfCompSeq(const PsfCompSeq& seq, const HwDbPtr& hw) {
  int count = 0;
  for (PsfComp* c : seq)
    if (IsTag(c, "MdtBas_Property")) count += CheckProperty(static_cast<Property*>(c), hw);
  return count;
}

int SwRTUtil::CheckPsfCompSeq(const PropSeq& seq, const HwDbPtr& hw) {
  int count = 0;
  for (Property* p : seq) count += CheckProperty(p, hw);
  return count;
}

int SwRTUtil::CheckProperty(Property* p, const HwDbPtr& hw) {
  if (IsTag(p, "TavSoftware_Param") || IsTag(p, "TavSoftware_Option"))
    return CheckParamOpt(p, hw);
  if (IsTag(p, "TavSoftware_ArrayInst")) return CheckArrayInst(static_cast<ArrayInst*>(p), hw);
  return 0;
}

int SwRTUtil::CheckArrayInst(ArrayInst* a, const HwDbPtr& hw) {
  if (!a) return 0;
  int count = 0;
  for (Property* e : a->GetPropSeqRef(ArrayInst::ELEMENTS))
    if (IsTag(e, "TavSoftware_Element"))
      count += CheckPsfCompSeq(static_cast<Element*>(e)->GetPropSeqRef(Element::PARAMETERS), hw);
  return count;
}

int SwRTUtil::CheckParamOpt(Property* p, const HwDbPtr& hw) {
  if (!p) return 0;
  const char* kindWord = IsTag(p, "TavSoftware_Param") ? "PARAMETER" : "OPTION";
  const char* name = p->GetName().c_str();
  Port_MsgManData msg = Msg();

  if (Eq(Attr(p, "state"), "deprecated") && HasAttr(p, "MSS_VALUE"))
    msg.issueWarning(
        "%s line %i - %s %s is deprecated !. %s.\nTo avoid seeing this Warning again, please "
        "remove %s %s.\n",
        File(p), p->GetLineNum(), kindWord, name, Attr(p, "state_desc").c_str(), kindWord, name);

  // Without a "default" there is nothing to fall back to: the value stays.
  if (Eq(Attr(p, "gui_permit"), "none") && HasAttr(p, "default") && !IsDefault(p)) {
    msg.issueWarning(
        "%s line %i - %s %s is not user configurable and hence ignoring it!\nTo avoid seeing "
        "this Warning again, please remove %s %s.\n",
        File(p), p->GetLineNum(), kindWord, name, kindWord, name);
    p->SetValueStr(Attr(p, "default"));
  }

  if (!p->GetMdtValuePtr()) {
    msg.issueError("%s line %i - Value not specified for %s %s!\n", File(p), p->GetLineNum(),
                   kindWord, name);
    return 1;
  }
  if (!HasAttr(p, "type")) return 0;
  if (Eq(Attr(p, "type"), "peripheral_instance")) return CheckPeriphInst(p, hw);

  // The words of a list value are looked at where they are.
  std::vector<String> words;
  const std::vector<String>* allowed = &words;
  const PsfComp* range = p->GetPsfCompByName("range");
  if (range && IsTag(range->GetMdtValuePtr(), "MdtBas_ListStrVal"))
    allowed = &static_cast<const MdtBase::ListStrVal*>(range->GetMdtValuePtr())->GetList();
  else if (range)
    words = ValueWords(range->GetMdtValuePtr());
  if (allowed->empty()) {
    allowed = &words;
    const PsfComp* values = p->GetPsfCompByName("values");
    if (values && IsTag(values->GetMdtValuePtr(), "MdtBas_ListPsfCompVal"))
      for (const PsfComp* v :
           static_cast<const MdtBase::ListPsfCompVal*>(values->GetMdtValuePtr())->GetList())
        if (v) words.push_back(v->GetValueStr());
  }
  if (allowed->empty()) return 0;
  const String value = p->GetValueStr();
  for (const String& a : *allowed)
    if (Eq(value, a)) return 0;
  msg.issueError("%s line %i - Invalid Value %s  specified for %s %s!\n", File(p), p->GetLineNum(),
                 value.c_str(), kindWord, name);
  msg.issueStatus("Valid Values are : ");
  for (const String& a : *allowed) msg.issueStatus("%s ", a.c_str());
  msg.issueStatus("\n");
  return 1;
}

int SwRTUtil::CheckPeriphInst(const Property* p, const HwDbPtr& hw) {
  if (!p || !hw) return 0;
  const String v = p->GetValueStr();
  if (v.empty() || IsDefault(p)) return 0;
  const String type = hw->GetIpType(v);
  const String version = hw->GetIpVersion(v);
  if (type.empty()) {
    // An element parameter is named after the array value it belongs to.
    const BaseNode* owner = p->GetOwner() ? p->GetOwner()->GetOwner() : nullptr;
    const String& shown = IsTag(owner, "TavSoftware_ArrayInst")
                              ? static_cast<const ArrayInst*>(owner)->GetName()
                              : p->GetName();
    Msg().issueError(
        "%s line %i - Peripheral Instance %s assigned to PARAMETER \"%s\" is not found in the "
        "hardware!\n",
        File(p), p->GetLineNum(), v.c_str(), shown.c_str());
    return 1;
  }
  const std::vector<String> range = AttrWords(p, "range");
  if (range.empty()) return 0;
  for (const String& r : range)
    if (CheckMatch(type, version, r)) return 0;
  Msg().issueError("%s line %i - Peripheral instance %s is not a valid IP for PARAMETER %s !\n",
                   File(p), p->GetLineNum(), v.c_str(), p->GetName().c_str());
  return 1;
}

int SwRTUtil::CheckPeriphInst(const PropSeq& seq, const HwDbPtr& hw) {
  int count = 0;
  for (const Property* p : seq)
    if (p && !IsDefault(p) && Eq(Attr(p, "type"), "peripheral_instance"))
      count += CheckPeriphInst(p, hw);
  return count;
}

// --- Required interfaces --------------------------------------------------------

int SwRTUtil::CheckReqIf(const PropSeq& seq, const Mss* mss) {
  int count = 0;
  for (const Property* p : seq) {
    if (IsTag(p, "TavSoftware_Param") && HasAttr(p, "requires_interface")) {
      count += CheckReqIf(p, mss);
    } else if (IsTag(p, "TavSoftware_ArrayInst")) {
      for (const Property* e : static_cast<const ArrayInst*>(p)->GetPropSeqRef(ArrayInst::ELEMENTS))
        if (IsTag(e, "TavSoftware_Element"))
          for (const Property* q :
               static_cast<const Element*>(e)->GetPropSeqRef(Element::PARAMETERS))
            if (IsTag(q, "TavSoftware_Param") && HasAttr(q, "requires_interface"))
              count += CheckReqIf(q, mss);
    }
  }
  return count;
}

int SwRTUtil::CheckReqIf(const Property* p, const Mss* mss) {
  if (!p || !mss) return 0;
  const String v = p->GetValueStr();
  if (IsDefault(p) || !HasAttr(p, "type")) return 0;
  const String type = Attr(p, "type");
  const char* name = p->GetName().c_str();

  const PsfComp* target = nullptr;
  const char* targetWord = type.c_str();
  const char* missing = nullptr;  // format for an interface the target lacks
  if (Eq(type, "peripheral_instance")) {
    target = GetDriverByInstName(mss->GetPsfCompSeqRef(Mss::DRIVERS), v);
    targetWord = "driver";
    missing = "%s line %i - %s interface required by PARAMETER %s is not supported by %s's "
              "driver %s!\n";
  } else if (Eq(type, "library")) {
    target = mss->GetPsfCompByName(Mss::LIBRARIES, v);
    targetWord = "library";
    missing = "%s line %i - %s interface required by PARAMETER %s is not supported by library "
              "%s! \n";
  } else if (Eq(type, "driver")) {
    target = mss->GetPsfCompByName(Mss::DRIVERS, v);
    targetWord = "driver";
    missing = "%s line %i - %s interface required by PARAMETER %s is not supported by driver "
              "%s! \n";
  }
  Port_MsgManData msg = Msg();
  if (!target) {
    msg.issueError("%s line %i - No %s found for PARAMETER %s's value %s in MSS file.\n", File(p),
                   p->GetLineNum(), targetWord, name, v.c_str());
    return 1;
  }
  int count = 0;
  const bool periph = Eq(type, "peripheral_instance");
  for (const String& i : AttrWords(p, "requires_interface")) {
    if (HasInterface(target, i)) continue;
    if (periph)
      msg.issueError(missing, File(p), p->GetLineNum(), i.c_str(), name, v.c_str(),
                     target->GetName().c_str());
    else
      msg.issueError(missing, File(p), p->GetLineNum(), i.c_str(), name, v.c_str());
    ++count;
  }
  return count;
}

// --- Supported peripherals ------------------------------------------------------

int SwRTUtil::CheckSuppPeriph(PsfComp* comp, int kind, const HwDbPtr& hw,
                              std::vector<SwRepos*>& repos) {
  const char* instParam = nullptr;
  const char* verParam = nullptr;
  if (kind == Mss::DRIVERS || kind == Mss::PROCESSORS) {
    instParam = "HW_INSTANCE";
    verParam = "DRIVER_VER";
  } else if (kind == Mss::OSES) {
    instParam = "PROC_INSTANCE";
    verParam = "OS_VER";
  } else {
    return 0;
  }
  if (!hw || !comp) return 0;
  const Property* inst = Link(comp, instParam);
  if (!inst || inst->GetValueStr().empty()) return 0;
  const String h = inst->GetValueStr();
  const Property* supp =
      MdtBase::PropertyUtil::GetPropertyByName(InstSeq(comp, 0), "supported_peripherals", 0);
  const String ipType = hw->GetIpType(h), ipVersion = hw->GetIpVersion(h);
  // Nearly every peripheral is supported: that is made sure of first, and
  // the words of a report are only gathered for the others.
  if (Supports(supp, ipType, ipVersion)) return 0;
  if (CheckSuppPeriph(comp->GetName(), InstParamValue(comp, verParam), ipType, ipVersion, supp,
                      repos) > 0)
    Msg().issueWarning("%s line %i - Driver \"%s\" does not support Hardware Instance \"%s\" !\n",
                       File(inst), inst->GetLineNum(), comp->GetName().c_str(), h.c_str());
  return 0;
}

int SwRTUtil::CheckSuppPeriph(const String& name, const String& version, const String& ipType,
                              const String& ipVersion, const Property* list,
                              std::vector<SwRepos*>& /*repos*/) {
  if (!list || !list->GetMdtValuePtr()) return 0;
  if (Supports(list, ipType, ipVersion)) return 0;
  String names;
  for (const String& entry : ValueWords(list->GetMdtValuePtr())) {
    String core, ver;
    // A plain type does not split into name and version; it is its own name.
    if (!MdtBase::BaseUtils::SeperateDirAndVer(entry, core, ver)) core = entry;
    names += core + " ";
  }
  Msg().issueWarning(
      "%s line %i - Driver %s %s does not support peripheral %s %s. List of peripherals "
      "supported by driver \"%s\" are : \"%s\" !\n",
      File(list), list->GetLineNum(), name.c_str(), version.c_str(), ipType.c_str(),
      ipVersion.c_str(), name.c_str(), names.c_str());
  return 1;
}

bool SwRTUtil::CheckMatch(const String& ipType, const String& ipVersion, const String& pattern) {
  String subject = ipType + "_v" + ipVersion;
  subject.ReplaceChars(".", '_');
  // Most entries are plain names: they match as the anchored pattern would,
  // without compiling one for every peripheral.
  if (std::all_of(pattern.begin(), pattern.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-';
      }))
    return Port::EqualsNoCase(subject, pattern) || Eq(pattern, ipType);
  // The group keeps an alternation in the pattern inside the anchors, so
  // the whole subject must match whichever branch is taken.
  Port_Regexp re("^(" + pattern + ")$", true);
  size_t begin = 0, end = 0;
  if (re.IsValid() && re.GetRangeOfMatch(subject, 0, begin, end)) return true;
  return Eq(pattern, ipType);
}

}  // namespace TavSoftware
