// DrvInstUtil: folding further instances of a driver into one runtime
// driver, interrupt handlers, and the allowed values of level-dependent
// parameters.
#include "ArrayInst.h"
#include "ArrayInstUtil.h"
#include "Block.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "Element.h"
#include "Mdd.h"
#include "SwPropertyUtil.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

namespace {

constexpr const char* kIntHandler = "interrupt_handler";

const PropSeq& Fields(const MdtBase::Property* element) {
  static const PropSeq kNone;
  return BaseNode::IsBaseNodeType(element, "TavSoftware_Element")
             ? static_cast<const Element*>(element)->GetPropSeqRef(Element::PARAMETERS)
             : kNone;
}

ArrayInst* IntHandlerArray(DrvInst* inst) {
  MdtBase::Property* p = inst ? inst->GetPropertyByName(DrvInst::ARRAYS, kIntHandler) : nullptr;
  return BaseNode::IsBaseNodeType(p, "TavSoftware_ArrayInst") ? static_cast<ArrayInst*>(p) : nullptr;
}

// 1 (reported) when `q` holds another value than `p`; identity and retired
// parameters are never compared.
int CompareValues(const MdtBase::Property* p, const MdtBase::Property* q) {
  // Most values agree: that is asked first.
  if (!q || Eq(p->GetValueStr(), q->GetValueStr()) ||
      InNames(p->GetPsfCompValueStr("state"), {"deprecated", "obsolete"}) ||
      InNames(p->GetName(), {"HW_INSTANCE", "SUB_HW_INSTANCE", "SUB_HW_INSTANCE_LIST",
                             "DRIVER_NAME", "DRIVER_VER"}))
    return 0;
  Msg().issueError(
      "\n%s line %i - Parameter %s has different values for different instantiation. \nCannot "
      "support multiple values of %s for a driver\n",
      p->GetFileNameStr().c_str(), p->GetLineNum(), p->GetName().c_str(), p->GetName().c_str());
  return 1;
}

}  // namespace

int DrvInstUtil::MergeDrvInsts(DrvInst* driver, DrvInst* inst) {
  if (!driver || !inst) return -1;
  int count = MergeDrvInstProp(driver->GetPropSeqRef(DrvInst::PARAMETERS),
                               inst->GetPropSeqRef(DrvInst::PARAMETERS));
  for (MdtBase::Property* x : driver->GetPropSeqRef(DrvInst::ARRAYS)) {
    if (!x) continue;
    // An array the other instance lacks has nothing to be compared with.
    MdtBase::Property* y = inst->GetPropertyByName(DrvInst::ARRAYS, x->GetName());
    if (y) count += MergeDrvInstArray(x, y);
  }
  return count;
}

int DrvInstUtil::MergeDrvInstProp(const PropSeq& a, const PropSeq& b) {
  int count = 0;
  for (const MdtBase::Property* p : a)
    if (p) count += CompareValues(p, MdtBase::PropertyUtil::GetPropertyByName(b, p->GetName(), 0));
  return count;
}

int DrvInstUtil::MergeDrvInstArray(MdtBase::Property* x, MdtBase::Property* y) {
  if (!BaseNode::IsBaseNodeType(x, "TavSoftware_ArrayInst")) return 1;
  if (!BaseNode::IsBaseNodeType(y, "TavSoftware_ArrayInst")) return 0;
  auto* xa = static_cast<ArrayInst*>(x);
  auto* ya = static_cast<ArrayInst*>(y);
  PropSeq& xs = xa->GetPropSeqRef(ArrayInst::ELEMENTS);
  const PropSeq& ys = ya->GetPropSeqRef(ArrayInst::ELEMENTS);
  if (Eq(x->GetName(), kIntHandler)) {
    const size_t before = xs.size();
    int count = SwPropertyUtil::CopyElements(ys, xs);
    for (size_t i = before; i < xs.size(); ++i) xs[i]->SetOwner(xa);
    return count;
  }
  if (xs.size() != ys.size()) {
    Msg().issueError(
        "%s line %i - Parameter %s has different configuration values for different "
        "instantiation. \nCannot support multiple values of %s for a driver\n",
        x->GetFileNameStr().c_str(), x->GetLineNum(), x->GetName().c_str(), x->GetName().c_str());
    return 1;
  }
  // Rows carry no names in the MSS, so they pair by position.
  int count = 0;
  for (size_t i = 0; i < xs.size(); ++i) count += MergeDrvInstElement(xs[i], ys[i]);
  return count;
}

int DrvInstUtil::MergeDrvInstElement(MdtBase::Property* e, MdtBase::Property* f) {
  if (!e || !f) return 0;
  const PropSeq& ef = Fields(e);
  const PropSeq& ff = Fields(f);
  if (ef.size() != ff.size()) {
    Msg().issueError("\n%s line %i - Array Element has incorrect number of parameters.\n",
                     e->GetFileNameStr().c_str(), e->GetLineNum());
    return 1;
  }
  // Fields stand in column order and carry no names in the MSS: a lookup by
  // name would pair every field with the first one, so they pair by position.
  int count = 0;
  for (size_t i = 0; i < ef.size(); ++i)
    if (ef[i]) count += CompareValues(ef[i], ff[i]);
  return count;
}

String DrvInstUtil::GetIntHandlerValue(DrvInst* inst, const String& port) {
  ArrayInst* array = IntHandlerArray(inst);
  return array ? ArrayInstUtil::GetIntHandlerValue(array, port) : String();
}

void DrvInstUtil::SetIntHandlerValue(DrvInst* inst, const String& port, const String& handler) {
  if (!inst) return;
  if (ArrayInst* array = IntHandlerArray(inst)) {
    ArrayInstUtil::SetIntHandlerValue(array, port, handler);
    return;
  }
  if (handler.empty()) return;
  auto* array = new ArrayInst();
  array->SetName(kIntHandler);
  auto* element = new Element();
  ArrayInstUtil::CreateElementForIntPortIntHandler(element, handler, port);
  array->AddProperty(ArrayInst::ELEMENTS, element);
  ArrayInstUtil::AssignOwner(array);
  if (inst->AddProperty(DrvInst::ARRAYS, array) < 0)
    delete array;
  else
    array->SetOwner(inst);
}

int DrvInstUtil::GetRangeForLevelDepParam(DrvInst* inst, const String& level, const String& name,
                                          std::vector<String>& out) {
  MdtBase::BaseNode* def = inst ? inst->GetBaseNodePtr(DrvInst::DEFINITION) : nullptr;
  if (!BaseNode::IsBaseNodeType(def, "TavSoftware_Mdd")) return 1;
  for (const MdtBase::Property* b : static_cast<Mdd*>(def)->GetPropSeqRef(Mdd::BLOCKS)) {
    if (!BaseNode::IsBaseNodeType(b, "TavSoftware_Block")) continue;
    const Block* block = static_cast<const Block*>(b);
    const MdtBase::Property* dep = nullptr;
    for (const MdtBase::Property* d : block->GetPropSeqRef(Block::DEPS))
      if (d && !dep) dep = d;
    if (!dep || !Eq(dep->GetName(), "level") || !Eq(dep->GetValueStr(), level)) continue;
    const MdtBase::Property* p = block->GetPropertyByName(Block::PARAMETERS, name);
    if (!p) continue;
    const MdtBase::PsfComp* values = p->GetPsfCompByName("values");
    const auto* list =
        values ? dynamic_cast<const MdtBase::ListPsfCompVal*>(values->GetMdtValuePtr()) : nullptr;
    if (Eq(p->GetPsfCompValueStr("type"), "enum") && list) {
      for (const MdtBase::PsfComp* v : list->GetList())
        if (v) out.push_back(v->GetValueStr());
      return 0;
    }
    const MdtBase::PsfComp* range = p->GetPsfCompByName("range");
    if (const auto* words =
            range ? dynamic_cast<const MdtBase::ListStrVal*>(range->GetMdtValuePtr()) : nullptr) {
      out = words->GetList();
      return 0;
    }
  }
  return 1;
}

}  // namespace TavSoftware
