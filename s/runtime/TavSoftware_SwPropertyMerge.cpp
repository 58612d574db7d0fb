// SwPropertyUtil: kinds of property, merged option and parameter lists,
// parameter conditions, blocks and categories.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "Block.h"
#include "Category.h"
#include "Dep.h"
#include "DrvInst.h"
#include "Element.h"
#include "Function.h"
#include "Interface.h"
#include "ArrayInst.h"
#include "LibInst.h"
#include "Mdd.h"
#include "Option.h"
#include "Param.h"
#include "Property.h"
#include "SwPropertyUtil.h"
#include "runtime/MergeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;
using MdtBase::PropertyUtil;

namespace {

template <class T>
MdtBase::Property* Make() {
  return new T();
}

struct KindRow {
  const char* keyword;
  const char* tag;
  // The class a property of this kind is made as; null for kinds that have
  // none of their own (blocks and categories).
  MdtBase::Property* (*make)();
};
// The first seven rows are the ones GetPropertyClass and GetPropertyType know.
constexpr KindRow kKinds[] = {
    {"PARAM", "TavSoftware_Param", Make<Param>},
    {"ARRAYINST", "TavSoftware_ArrayInst", Make<ArrayInst>},
    {"ARRAY", "TavSoftware_Array", Make<ArrayInst>},
    {"INTERFACE", "TavSoftware_Interface", Make<Interface>},
    {"OPTION", "TavSoftware_Option", Make<Option>},
    {"BLOCK", "TavSoftware_Block", nullptr},
    {"CATEGORY", "TavSoftware_Category", nullptr},
    {"PROPERTY", "TavSoftware_Property", Make<TavSoftware::Property>},
    {"ELEMENT", "TavSoftware_Element", Make<Element>},
    {"FUNCTION", "TavSoftware_Function", Make<Function>},
};
constexpr int kClassRows = 7;

// Identity parameters an instance carries into the merged list although the
// definition does not declare them.
constexpr std::initializer_list<const char*> kCarriedNames = {
    "DRIVER_NAME", "DRIVER_VER",  "HW_INSTANCE",  "SUB_HW_INSTANCE", "PROC_INSTANCE",
    "OS_NAME",     "OS_VER",      "LIBRARY",      "LIBRARY_NAME",    "LIBRARY_VER"};

void AddMssValue(MdtBase::Property* merged, const MdtBase::Property* inst) {
  auto* comp = new MdtBase::PsfComp(String("MSS_VALUE"));
  comp->SetMdtValuePtr(new MdtBase::StrVal(inst->GetValueStr()));
  comp->SetOwner(merged);
  merged->AddPsfComp(comp);
}

std::string LowerKey(const String& name) {
  String key = name;
  return key.MakeLower();
}

// The first entry of a list by name, ignoring case. Most lists are a
// component's few parameters: they are searched in place, and only long
// ones get a map.
class FirstByName {
 public:
  explicit FirstByName(const PropSeq& seq) : seq_(seq) {
    if (seq.size() > kInPlace)
      for (const MdtBase::Property* p : seq)
        if (p) map_.emplace(LowerKey(p->GetName()), p);
  }
  const MdtBase::Property* Find(const String& name) const {
    if (seq_.size() > kInPlace) {
      auto it = map_.find(LowerKey(name));
      return it == map_.end() ? nullptr : it->second;
    }
    for (const MdtBase::Property* p : seq_)
      if (p && Eq(p->GetName(), name)) return p;
    return nullptr;
  }

  static constexpr size_t kInPlace = 16;

 private:
  const PropSeq& seq_;
  std::unordered_map<std::string, const MdtBase::Property*> map_;
};

const MdtBase::PsfComp* FirstCondition(const MdtBase::PsfComp* dep) {
  const auto* list =
      dep ? dynamic_cast<const MdtBase::ListPsfCompVal*>(dep->GetMdtValuePtr()) : nullptr;
  return list && !list->GetList().empty() ? list->GetList().front() : nullptr;
}

const Dep* FirstDep(const Block* block) {
  for (const MdtBase::Property* p : block->GetPropSeqRef(Block::DEPS))
    if (p) return static_cast<const Dep*>(p);
  return nullptr;
}

// The block's condition when it is well formed; the errors otherwise.
const Dep* BlockCondition(const Block* block, bool& ok) {
  ok = true;
  const Dep* dep = FirstDep(block);
  if (!dep) return nullptr;
  if (dep->GetName().empty()) {
    Msg().issueError("No DEP condition in block %s \n", block->GetName().c_str());
    ok = false;
  } else if (!dep->GetMdtValuePtr()) {
    Msg().issueError("Invalid DEP condition value in block %s \n", block->GetName().c_str());
    ok = false;
  }
  return dep;
}

}  // namespace

namespace rt {

MdtBase::Property* NewLike(const MdtBase::Property* p) {
  // Copies are made by the thousand: the class is found by its tag and made
  // directly, without a string or a search by keyword.
  const std::string_view tag = BaseNode::GetBaseNode(p);
  for (const KindRow& row : kKinds)
    if (tag == row.tag) return row.make ? row.make() : new TavSoftware::Property();
  return new TavSoftware::Property();
}

MdtBase::Property* CopyOf(const MdtBase::Property* src, int& count) {
  MdtBase::Property* n = NewLike(src);
  count += PropertyUtil::CopyPropertyBase(src, n);
  return n;
}

int MergeFromInstance(const MdtBase::Property* def, const MdtBase::Property* inst,
                      MdtBase::Property* out) {
  int count = PropertyUtil::MergeProperty(def, inst, out);
  if (inst && !inst->GetFileNameStr().empty()) {
    out->SetFileNameShared(inst->GetSharedFileName());
    out->SetLineNum(inst->GetLineNum());
  }
  return count;
}

bool IntegerOf(const MdtBase::MdtValue* value, long long& out) {
  if (!value) return false;
  if (const auto* i = dynamic_cast<const MdtBase::IntVal*>(value)) {
    if (!i->IsValid()) return false;
    out = i->GetInt();
    return true;
  }
  MdtBase::IntVal parsed(value->GetValueStr());
  if (!parsed.IsValid()) return false;
  out = parsed.GetInt();
  return true;
}

void SetDefaultChild(MdtBase::Property* p, const String& text) {
  if (MdtBase::PsfComp* existing = p->GetPsfCompByName("default")) {
    existing->SetMdtValuePtr(new MdtBase::StrVal(text));
    return;
  }
  auto* comp = new MdtBase::PsfComp(String("default"));
  comp->SetMdtValuePtr(new MdtBase::StrVal(text));
  comp->SetOwner(p);
  p->AddPsfComp(comp);
}

}  // namespace rt

String SwPropertyUtil::GetPropertyClass(const String& keyword) {
  for (int i = 0; i < kClassRows; ++i)
    if (Eq(keyword, kKinds[i].keyword)) return kKinds[i].tag;
  return String();
}

String SwPropertyUtil::GetPropertyType(const String& tag) {
  for (int i = 0; i < kClassRows; ++i)
    if (Eq(tag, kKinds[i].tag)) return kKinds[i].keyword;
  return String();
}

MdtBase::Property* SwPropertyUtil::CreateDerivedProperty(const String& kind) {
  if (Eq(kind, "PARAMETER")) return new Param();
  for (const KindRow& row : kKinds)
    if (Eq(kind, row.keyword) || Eq(kind, row.tag)) return row.make ? row.make() : nullptr;
  return nullptr;
}

int SwPropertyUtil::CreateMergedPropertyList(const PropSeq& defs, const PropSeq& inst, PropSeq& out,
                                             const String& kind, bool evalDeps) {
  const bool isParam = Eq(kind, "PARAMETER");
  // The first instance entry of each name, so that a component with many
  // parameters merges in linear time.
  const FirstByName byName(inst);
  int count = 0;
  for (const MdtBase::Property* d : defs) {
    if (!d) continue;
    const MdtBase::Property* m = byName.Find(d->GetName());
    if (!m || !evalDeps) {
      MdtBase::Property* n = CopyOf(d, count);
      if (m && isParam) AddMssValue(n, m);
      out.push_back(n);
      continue;
    }
    const MdtBase::PsfComp* dep = d->GetPsfCompByName("dep");
    if (dep && !EvalDepCond(dep, inst, defs)) {
      const MdtBase::PsfComp* first = FirstCondition(dep);
      Msg().issueWarning(
          "%s line %i - PARAMETER %s has a dependent condition: \"%s = %s\" that is not "
          "satsified. Discarding PARAMETER %s ...\n",
          m->GetFileNameStr().c_str(), m->GetLineNum(), d->GetName().c_str(),
          first ? first->GetName().c_str() : "", first ? first->GetValueStr().c_str() : "",
          d->GetName().c_str());
      continue;
    }
    MdtBase::Property* n = NewLike(d);
    count += MergeFromInstance(d, m, n);
    if (isParam) AddMssValue(n, m);
    out.push_back(n);
  }
  // Carried entries the list does not have yet; a name carried twice is
  // added once. A long list gets a set of its names, made once.
  const bool many = out.size() > FirstByName::kInPlace;
  std::unordered_set<std::string> present;
  if (many)
    for (const MdtBase::Property* o : out)
      if (o) present.insert(LowerKey(o->GetName()));
  auto listed = [&](const String& name) {
    if (many) return !present.insert(LowerKey(name)).second;
    return std::any_of(out.begin(), out.end(),
                       [&](const MdtBase::Property* o) { return o && Eq(o->GetName(), name); });
  };
  for (const MdtBase::Property* m : inst) {
    if (!m || !InNames(m->GetName(), kCarriedNames) || listed(m->GetName())) continue;
    MdtBase::Property* n = CreateDerivedProperty(kind);
    if (!n) n = NewLike(m);
    count += PropertyUtil::CopyPropertyBase(m, n);
    out.push_back(n);
  }
  return count;
}

int SwPropertyUtil::CreateMergedPropertyList(const PropSeq& src, PropSeq& dst, const String&) {
  int count = 0;
  for (const MdtBase::Property* p : src)
    if (p) dst.push_back(CopyOf(p, count));
  return count;
}

bool SwPropertyUtil::EvalDepCond(const MdtBase::PsfComp* dep, const PropSeq& first,
                                 const PropSeq& second) {
  if (!dep || !dep->GetMdtValuePtr()) return true;
  const auto* list = dynamic_cast<const MdtBase::ListPsfCompVal*>(dep->GetMdtValuePtr());
  if (!list) return true;
  for (const MdtBase::PsfComp* c : list->GetList()) {
    if (!c || c->GetName().empty()) continue;
    const MdtBase::Property* p = PropertyUtil::GetPropertyByName(first, c->GetName(), 0);
    if (!p) p = PropertyUtil::GetPropertyByName(second, c->GetName(), 0);
    if (!p || !Eq(p->GetValueStr(), c->GetValueStr())) return false;
  }
  return true;
}

bool SwPropertyUtil::IsBlockIncluded(const Block* block, const DrvInst*, const DrvInst* out) {
  if (!block || !out) return false;
  bool ok = true;
  const Dep* dep = BlockCondition(block, ok);
  if (!dep) return true;
  if (!ok) return false;
  const MdtBase::Property* p = out->GetPropertyByName(DrvInst::PARAMETERS, dep->GetName());
  long long have = 0, want = 0;
  // A controlling value that is no integer cannot equal the condition.
  return p && IntegerOf(p->GetMdtValuePtr(), have) && IntegerOf(dep->GetMdtValuePtr(), want) &&
         have == want;
}

bool SwPropertyUtil::IsBlockIncluded(const Block* block, const DrvInst* inst, const Mdd* mdd) {
  if (!block) return false;
  bool ok = true;
  const Dep* dep = BlockCondition(block, ok);
  if (!dep) return true;
  if (!ok) return false;
  const String want = dep->GetValueStr();
  if (const MdtBase::Property* p =
          inst ? inst->GetPropertyByName(DrvInst::PARAMETERS, dep->GetName()) : nullptr)
    return Eq(p->GetValueStr(), want);
  const MdtBase::Property* d = mdd ? mdd->GetPropertyByName(Mdd::PARAMETERS, dep->GetName()) : nullptr;
  return d && d->GetMdtValuePtr() && d->GetMdtValuePtr()->IsValid() && Eq(d->GetValueStr(), want);
}

int SwPropertyUtil::MergeBlock(const Block* block, const DrvInst* inst, DrvInst* out) {
  if (!block || !inst || !out) return 0;
  int count = CreateMergedPropertyList(block->GetPropSeqRef(Block::OPTIONS),
                                       inst->GetPropSeqRef(DrvInst::OPTIONS),
                                       out->GetPropSeqRef(DrvInst::OPTIONS), "OPTION", true);
  count += CreateMergedPropertyList(block->GetPropSeqRef(Block::PARAMETERS),
                                    inst->GetPropSeqRef(DrvInst::PARAMETERS),
                                    out->GetPropSeqRef(DrvInst::PARAMETERS), "PARAMETER", true);
  count += CreateMergedInterfaceList(block->GetPropSeqRef(Block::INTERFACES),
                                     inst->GetPropSeqRef(DrvInst::INTERFACES),
                                     out->GetPropSeqRef(DrvInst::INTERFACES), "INTERFACE");
  count += CreateMergedArrayInstList(block->GetPropSeqRef(Block::ARRAYS),
                                     inst->GetPropSeqRef(DrvInst::ARRAYS),
                                     out->GetPropSeqRef(DrvInst::ARRAYS), out, "ARRAYINST");
  return count;
}

int SwPropertyUtil::MergeBlockList(const PropSeq& blocks, const DrvInst* inst, DrvInst* out,
                                   const String&) {
  int count = 0;
  for (const MdtBase::Property* b : blocks) {
    if (!BaseNode::IsBaseNodeType(b, "TavSoftware_Block")) continue;
    const Block* block = static_cast<const Block*>(b);
    if (IsBlockIncluded(block, inst, out)) count += MergeBlock(block, inst, out);
  }
  return count;
}

bool SwPropertyUtil::IsCategoryIncluded(Category* category, const PropSeq&, const LibInst* inst,
                                        const LibInst* out, int& reason) {
  if (!category || !inst || !out) return false;
  const MdtBase::Property* q = category->GetPropertyByName(Category::PARAMETERS, category->GetName());
  if (q) {
    const MdtBase::Property* s = inst->GetPropertyByName(LibInst::PARAMETERS, category->GetName());
    const String mssValue = s ? s->GetValueStr() : String();
    if (Eq(mssValue, "false") || (mssValue.empty() && Eq(q->GetValueStr(), "false"))) {
      reason = 1;
      return false;
    }
    const MdtBase::PsfComp* dep = q->GetPsfCompByName("dep");
    if (dep && !EvalDepCond(dep, inst->GetPropSeqRef(LibInst::PARAMETERS),
                            out->GetPropSeqRef(LibInst::PARAMETERS))) {
      reason = 5;
      return false;
    }
  }
  category->SetIsIncluded(true);
  return true;
}

int SwPropertyUtil::MergeCategory(const Category* category, const LibInst* inst, LibInst* out,
                                  bool included) {
  if (!category || !inst || !out) return 0;
  int count = CreateMergedPropertyList(category->GetPropSeqRef(Category::OPTIONS),
                                       inst->GetPropSeqRef(LibInst::OPTIONS),
                                       out->GetPropSeqRef(LibInst::OPTIONS), "OPTION", included);
  count += CreateMergedPropertyList(category->GetPropSeqRef(Category::PARAMETERS),
                                    inst->GetPropSeqRef(LibInst::PARAMETERS),
                                    out->GetPropSeqRef(LibInst::PARAMETERS), "PARAMETER",
                                    included);
  // The MSS rows of an ignored category were announced as ignored, so only
  // the definition's defaults go into the component.
  static const PropSeq kNoValues;
  count += CreateMergedArrayInstList(category->GetPropSeqRef(Category::ARRAYS),
                                     included ? inst->GetPropSeqRef(LibInst::ARRAYS) : kNoValues,
                                     out->GetPropSeqRef(LibInst::ARRAYS), out, "ARRAYINST");
  return count;
}

int SwPropertyUtil::MergeCategoryList(const PropSeq& categories, const LibInst* inst,
                                      LibInst* out, const String&) {
  int count = 0;
  int reason = 0;
  for (MdtBase::Property* c : categories) {
    if (!BaseNode::IsBaseNodeType(c, "TavSoftware_Category")) continue;
    Category* category = static_cast<Category*>(c);
    if (IsCategoryIncluded(category, categories, inst, out, reason)) {
      count += MergeCategory(category, inst, out, true);
    } else {
      PrintCategWarnMsg(category, inst, reason);
      count += MergeCategory(category, inst, out, false);
    }
  }
  return count;
}

void SwPropertyUtil::PrintCategWarnMsg(const Category* category, const LibInst* inst, int reason) {
  if (!category || !inst) return;
  const char* k = Eq(BaseNode::GetBaseNode(inst), "TavSoftware_LibInst") ? "library" : "os";
  const char* i = inst->GetName().c_str();
  const char* c = category->GetName().c_str();
  const MdtBase::Property* q = category->GetPropertyByName(Category::PARAMETERS, category->GetName());
  const MdtBase::PsfComp* first = FirstCondition(q ? q->GetPsfCompByName("dep") : nullptr);
  const String dp = first ? first->GetName() : String();

  static const char* const kSetFalse =
      "The following PARAMETERs of %s %s are ignored as their category selection PARAMETER %s "
      "is set to \"false\" in MSS \n";
  static const char* const kCategDefault =
      "The following PARAMETERs of %s %s are ignored as their category selection PARAMETER %s "
      "has a default value \"false\"\n";
  static const char* const kDefault =
      "The following PARAMETERs of %s %s are ignored as PARAMETER %s has a default value "
      "\"false\"\n";
  static const char* const kDependent =
      "The following PARAMETERs of %s %s are ignored as PARAMETER %s's dependent parameter %s "
      "is either not selected (and hence the default value is \"false\") or set to \"false\" in "
      "MSS \n";
  static const char* const kAnyReason =
      "The following PARAMETERs of %s %s are ignored for one or more of the following reasons : "
      "\n1. PARAMETER %s is set to \"false\" in MSS.\n2. PARAMETER %s is set to \"true\" in MSS "
      "but its dependent parameter %s is either not selected (and hence the default value is "
      "\"false\") or set to \"false\" in MSS.\n";
  // column 0: the instance sets the selection parameter; 1: a parameter is
  // the first ignored entry; 2: an array value is.
  auto header = [&](int column) {
    Port_MsgManData msg = Msg();
    switch (reason) {
      case 1:
        msg.issueInfo(column == 0 ? kSetFalse : column == 1 ? kCategDefault : kDefault, k, i, c);
        break;
      case 2:
      case 3:
      case 5:
        msg.issueInfo(kDependent, k, i, c, dp.c_str());
        break;
      case 4:
        msg.issueInfo(column == 0 ? kDefault : column == 1 ? kCategDefault : kDefault, k, i, c);
        break;
      default:
        msg.issueInfo(kAnyReason, k, i, c, c, dp.c_str());
    }
  };

  const bool setsSelection = inst->GetPropertyByName(LibInst::PARAMETERS, category->GetName());
  bool headerDone = false;
  if (setsSelection) {
    header(0);
    headerDone = true;
  }
  auto ignore = [&](const PropSeq& entries, int instKind, int column) {
    for (const MdtBase::Property* e : entries) {
      if (!e) continue;
      const MdtBase::Property* m = inst->GetPropertyByName(instKind, e->GetName());
      if (!m) continue;
      if (!headerDone) {
        header(column);
        headerDone = true;
      }
      Msg().issueWarning("%s line %i - Ignoring PARAMETER %s  ...\n", m->GetFileNameStr().c_str(),
                         m->GetLineNum(), m->GetName().c_str());
    }
  };
  ignore(category->GetPropSeqRef(Category::PARAMETERS), LibInst::PARAMETERS, 1);
  ignore(category->GetPropSeqRef(Category::ARRAYS), LibInst::ARRAYS, 2);
}

}  // namespace TavSoftware
