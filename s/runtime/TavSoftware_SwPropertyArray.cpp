// SwPropertyUtil: merging array values (definition rows, MSS rows, sizes and
// default initialisers) and interfaces.
#include "Array.h"
#include "ArrayInst.h"
#include "DrvInst.h"
#include "Element.h"
#include "Interface.h"
#include "LibInst.h"
#include "Property.h"
#include "SwPropertyUtil.h"
#include "runtime/MergeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;
using MdtBase::PropertyUtil;

namespace {

// Rows a size may ask for. A definition is outside input: a size of a
// billion must not take the process down.
constexpr long long kMaxRows = 65536;

const Array* AsArray(const MdtBase::Property* p) {
  return BaseNode::IsBaseNodeType(p, "TavSoftware_Array") ? static_cast<const Array*>(p) : nullptr;
}
const ArrayInst* AsArrayInst(const MdtBase::Property* p) {
  return BaseNode::IsBaseNodeType(p, "TavSoftware_ArrayInst") ? static_cast<const ArrayInst*>(p)
                                                              : nullptr;
}
const Interface* AsInterface(const MdtBase::Property* p) {
  return BaseNode::IsBaseNodeType(p, "TavSoftware_Interface") ? static_cast<const Interface*>(p)
                                                              : nullptr;
}

// Copies every attribute of `from` (sequence 1) into `to`'s sequence 1.
template <class From>
int CopyAttributes(const From* from, ArrayInst* to) {
  int count = 0;
  for (const MdtBase::Property* a : from->GetPropSeqRef(1))
    if (a) to->AddProperty(ArrayInst::PROPERTIES, CopyOf(a, count));
  return count;
}

// A row of plain copies of the columns; with `row`, each field that has a
// value takes the initialiser's text as value and as its "default".
Element* ColumnRow(const PropSeq& columns, const MdtBase::BaseNode* row, int& count) {
  auto* element = new Element();
  int j = 0;
  for (const MdtBase::Property* c : columns) {
    if (!c) continue;
    MdtBase::Property* x = CopyOf(c, count);
    if (row && x->GetMdtValuePtr()) {
      const String text = SwPropertyUtil::GetParamValForIndex(row, j);
      x->GetMdtValuePtr()->SetValue(text);
      SetDefaultChild(x, text);
    }
    element->AddProperty(Element::PARAMETERS, x);
    ++j;
  }
  return element;
}

const MdtBase::MdtValue* ValueOf(const MdtBase::Property* p) {
  return p ? p->GetMdtValuePtr() : nullptr;
}

// Leaves the row count within kMaxRows, reporting a size beyond it.
long long BoundedRows(long long rows, const String& arrayName, int& count) {
  if (rows <= kMaxRows) return rows;
  Msg().issueError("Size %lld of array %s exceeds the limit of %lld elements\n", rows,
                   arrayName.c_str(), kMaxRows);
  ++count;
  return kMaxRows;
}

const PropSeq& OwnerParams(MdtBase::PsfComp* owner) { return InstSeq(owner, 1); }

}  // namespace

MdtBase::BaseNode* SwPropertyUtil::GetDefaultValueForIndex(const MdtBase::MdtValue* value, int i) {
  const auto* list = dynamic_cast<const MdtBase::ListBaseNodePtrVal*>(value);
  if (!list || i < 0 || static_cast<size_t>(i) >= list->GetList().size()) return nullptr;
  return list->GetList()[static_cast<size_t>(i)];
}

String SwPropertyUtil::GetParamValForIndex(const MdtBase::BaseNode* row, int j) {
  const String tag = BaseNode::GetBaseNode(row);
  if (tag == "MdtBas_ListStrVal") {
    const auto& words = static_cast<const MdtBase::ListStrVal*>(row)->GetList();
    return j >= 0 && static_cast<size_t>(j) < words.size() ? words[static_cast<size_t>(j)]
                                                           : String();
  }
  if (tag == "MdtBas_StrVal") return static_cast<const MdtBase::StrVal*>(row)->GetValueStr();
  return String();
}

int SwPropertyUtil::CreateMergedArrayInstList(const PropSeq& defs, const PropSeq& inst,
                                              PropSeq& out, MdtBase::PsfComp* owner,
                                              const String&) {
  int count = 0;
  for (const MdtBase::Property* d : defs) {
    const Array* a = AsArray(d);
    if (!a) continue;
    auto* n = new ArrayInst();
    const ArrayInst* m = AsArrayInst(PropertyUtil::GetPropertyByName(inst, a->GetName(), 0));
    if (m) {
      count += MergeArrayInst(a, m, n);
      out.push_back(n);
      continue;
    }
    int keep = 1;
    count += CopyBaseArrayDefaults(a, n, owner, keep);
    if (keep)
      out.push_back(n);
    else
      delete n;
  }
  return count;
}

int SwPropertyUtil::CreateMergedArrayInstList(const PropSeq& src, PropSeq& dst,
                                              MdtBase::PsfComp*, const String&) {
  int count = 0;
  for (const MdtBase::Property* p : src) {
    const ArrayInst* a = AsArrayInst(p);
    if (!a) continue;
    auto* n = new ArrayInst();
    count += CopyArrayInst(a, n);
    dst.push_back(n);
  }
  return count;
}

int SwPropertyUtil::MergeArrayInst(const Array* def, const ArrayInst* mssArray, ArrayInst* out) {
  if (!def || !mssArray || !out) return 0;
  out->SetName(mssArray->GetName());
  out->SetLocInFile(mssArray->GetLocInFile());
  out->SetFileNameShared(mssArray->GetSharedFileName());
  out->SetLineNum(mssArray->GetLineNum());
  int count = CopyAttributes(def, out);

  const PropSeq& columns = def->GetPropSeqRef(Array::PARAMETERS);
  const PropSeq& rows = mssArray->GetPropSeqRef(ArrayInst::ELEMENTS);
  for (const MdtBase::Property* e : rows) {
    const PropSeq empty;
    const PropSeq& fields = BaseNode::IsBaseNodeType(e, "TavSoftware_Element")
                                ? static_cast<const Element*>(e)->GetPropSeqRef(Element::PARAMETERS)
                                : empty;
    if (fields.size() > columns.size()) {
      Msg().issueError(
          "Parameters Mismatch for Array %s \n.Base Array definition has %d parameters in a "
          "element.MSS Array element has %d parameters. Ignoring this array element...\n",
          def->GetName().c_str(), static_cast<int>(columns.size()), static_cast<int>(fields.size()));
      ++count;
      continue;
    }
    auto* element = new Element();
    for (size_t j = 0; j < columns.size(); ++j) {
      MdtBase::Property* x = NewLike(columns[j]);
      // Fields pair with columns by position: MSS rows carry no names.
      if (j < fields.size()) {
        count += MergeFromInstance(columns[j], fields[j], x);
        // A cell the MSS wrote is reported where the MSS wrote it; the
        // reader gives cells no place of their own, so the array's line.
        if (fields[j]->GetFileNameStr().empty()) {
          x->SetFileNameShared(mssArray->GetSharedFileName());
          x->SetLineNum(mssArray->GetLineNum());
        }
      } else
        count += PropertyUtil::CopyPropertyBase(columns[j], x);
      element->AddProperty(Element::PARAMETERS, x);
    }
    out->AddProperty(ArrayInst::ELEMENTS, element);
  }

  MdtBase::Property* size = out->GetPropertyByName(ArrayInst::PROPERTIES, "size");
  const MdtBase::Property* defaults = out->GetPropertyByName(ArrayInst::PROPERTIES, "default");
  if (defaults) UpdateArrayDefaults(out, defaults);

  const long long r = static_cast<long long>(rows.size());
  long long s = 0;
  if (!size) {
    auto* p = new TavSoftware::Property(String("size"));
    p->SetMdtValuePtr(new MdtBase::IntVal(r));
    out->AddProperty(ArrayInst::PROPERTIES, p);
  } else if (IntegerOf(size->GetMdtValuePtr(), s)) {
    if (s < 0) s = 0;  // a negative size holds no rows; never a loop over a wrapped count
    if (r > s) {
      size->SetMdtValuePtr(new MdtBase::IntVal(r));
    } else if (r < s) {
      s = BoundedRows(s, def->GetName(), count);
      for (long long i = r; i < s; ++i)
        out->AddProperty(ArrayInst::ELEMENTS,
                         ColumnRow(columns,
                                   GetDefaultValueForIndex(ValueOf(defaults), static_cast<int>(i)),
                                   count));
    }
  } else {
    size->SetMdtValuePtr(new MdtBase::IntVal(r));
  }
  return count;
}

int SwPropertyUtil::CopyBaseArrayDefaults(const Array* def, ArrayInst* out,
                                          MdtBase::PsfComp* owner, int& keep) {
  if (!def || !out) return 0;
  const MdtBase::Property* size = def->GetPropertyByName(Array::PROPERTIES, "size");
  const MdtBase::Property* defaults = def->GetPropertyByName(Array::PROPERTIES, "default");
  if (!size) {
    keep = 0;
    return 0;
  }
  long long s = 0;
  if (IntegerOf(size->GetMdtValuePtr(), s)) {
    if (s == 0) {
      keep = 0;
      return 0;
    }
  } else {
    String name = size->GetValueStr();
    name.Trim();
    if (name.empty()) {
      Msg().issueWarning(
          "No Default param name or size specified for size of array %s. Default size of array "
          "%s set to 1 \n",
          def->GetName().c_str(), def->GetName().c_str());
      s = 1;
    } else {
      const MdtBase::Property* p = PropertyUtil::GetPropertyByName(OwnerParams(owner), name, 0);
      if (!p || !IntegerOf(p->GetMdtValuePtr(), s)) s = 0;
      if (s == 0) {
        keep = 0;
        return 0;
      }
    }
  }
  out->SetName(def->GetName());
  out->SetFileNameShared(def->GetSharedFileName());
  out->SetLineNum(def->GetLineNum());
  int count = CopyAttributes(def, out);
  s = BoundedRows(s, def->GetName(), count);
  const PropSeq& columns = def->GetPropSeqRef(Array::PARAMETERS);
  for (long long i = 0; i < s; ++i)
    out->AddProperty(ArrayInst::ELEMENTS,
                     ColumnRow(columns, GetDefaultValueForIndex(ValueOf(defaults), static_cast<int>(i)),
                               count));
  return count;
}

int SwPropertyUtil::CopyBaseArray(const Array* def, ArrayInst* out, MdtBase::PsfComp* owner) {
  if (!def || !out) return 0;
  out->SetName(def->GetName());
  int count = CopyAttributes(def, out);
  MdtBase::Property* size = out->GetPropertyByName(ArrayInst::PROPERTIES, "size");
  long long s = 1;
  if (!size) {
    auto* p = new TavSoftware::Property(String("size"));
    p->SetMdtValuePtr(new MdtBase::IntVal(1LL));
    out->AddProperty(ArrayInst::PROPERTIES, p);
  } else if (!IntegerOf(size->GetMdtValuePtr(), s)) {
    String name = size->GetValueStr();
    name.Trim();
    const MdtBase::Property* p =
        name.empty() ? nullptr : PropertyUtil::GetPropertyByName(OwnerParams(owner), name, 0);
    if (name.empty()) {
      Msg().issueWarning(
          "No Default param name specified for size of array %s. Default size of array %s set "
          "to 1 \n",
          def->GetName().c_str(), def->GetName().c_str());
      s = 1;
    } else if (!p) {
      Msg().issueWarning(
          "Parameter %s (specified in size of array %s) is not found. Default size of array %s "
          "set to 1 \n",
          name.c_str(), def->GetName().c_str(), def->GetName().c_str());
      s = 1;
    } else if (!IntegerOf(p->GetMdtValuePtr(), s)) {
      s = 0;
    }
  }
  s = BoundedRows(s, def->GetName(), count);
  for (long long i = 0; i < s; ++i)
    out->AddProperty(ArrayInst::ELEMENTS,
                     ColumnRow(def->GetPropSeqRef(Array::PARAMETERS), nullptr, count));
  return count;
}

void SwPropertyUtil::UpdateArrayDefaults(ArrayInst* array, const MdtBase::Property* defaultProperty) {
  if (!array || !defaultProperty) return;
  const PropSeq& rows = array->GetPropSeqRef(ArrayInst::ELEMENTS);
  for (size_t i = 0; i < rows.size(); ++i) {
    const MdtBase::BaseNode* row =
        GetDefaultValueForIndex(defaultProperty->GetMdtValuePtr(), static_cast<int>(i));
    if (!row || !BaseNode::IsBaseNodeType(rows[i], "TavSoftware_Element")) continue;
    int j = 0;
    for (MdtBase::Property* field : static_cast<Element*>(rows[i])->GetPropSeqRef(Element::PARAMETERS))
      if (field) SetDefaultChild(field, GetParamValForIndex(row, j++));
  }
}

int SwPropertyUtil::CopyArrayInst(const ArrayInst* src, ArrayInst* dst) {
  if (!src || !dst) return 0;
  dst->SetName(src->GetName());
  dst->SetFileNameShared(src->GetSharedFileName());
  dst->SetLineNum(src->GetLineNum());
  dst->SetLocInFile(src->GetLocInFile());
  int count = CopyAttributes(src, dst);
  PropSeq& elements = dst->GetPropSeqRef(ArrayInst::ELEMENTS);
  const size_t before = elements.size();
  count += CopyElements(src->GetPropSeqRef(ArrayInst::ELEMENTS), elements);
  for (size_t i = before; i < elements.size(); ++i) elements[i]->SetOwner(dst);
  return count;
}

int SwPropertyUtil::CopyElements(const PropSeq& src, PropSeq& dst) {
  int count = 0;
  for (const MdtBase::Property* e : src) {
    if (!BaseNode::IsBaseNodeType(e, "TavSoftware_Element")) continue;
    auto* copy = new Element();
    copy->SetName(e->GetName());
    copy->SetFileNameShared(e->GetSharedFileName());
    copy->SetLineNum(e->GetLineNum());
    for (const MdtBase::Property* f : static_cast<const Element*>(e)->GetPropSeqRef(Element::PARAMETERS))
      if (f) {
        MdtBase::Property* x = CopyOf(f, count);
        x->SetOwner(copy);
        copy->AddProperty(Element::PARAMETERS, x);
      }
    copy->SetNodeType(ArrayInst::ELEMENTS);
    dst.push_back(copy);
  }
  return count;
}

int SwPropertyUtil::CreateMergedInterfaceList(const PropSeq& defs, const PropSeq& inst,
                                              PropSeq& out, const String&) {
  int count = 0;
  for (const MdtBase::Property* d : defs) {
    const Interface* def = AsInterface(d);
    if (!def) continue;
    auto* n = new Interface();
    const Interface* m = AsInterface(PropertyUtil::GetPropertyByName(inst, def->GetName(), 0));
    count += m ? MergeInterface(def, m, n) : CopyBaseInterface(def, n);
    out.push_back(n);
  }
  return count;
}

int SwPropertyUtil::CreateMergedInterfaceList(const PropSeq& src, PropSeq& dst, const String&) {
  int count = 0;
  for (const MdtBase::Property* p : src) {
    const Interface* i = AsInterface(p);
    if (!i) continue;
    auto* n = new Interface();
    count += CopyBaseInterface(i, n);
    dst.push_back(n);
  }
  return count;
}

int SwPropertyUtil::MergeInterface(const Interface* def, const Interface* mssInterface,
                                   Interface* out) {
  if (!def || !out) return 0;
  int count = CopyBaseInterface(def, out);
  // Only the location comes from the MSS: its PROPERTY and FUNCTION lines
  // cannot change what the definition offers.
  if (mssInterface) {
    out->SetLocInFile(mssInterface->GetLocInFile());
    out->SetFileNameShared(mssInterface->GetSharedFileName());
    out->SetLineNum(mssInterface->GetLineNum());
  }
  return count;
}

int SwPropertyUtil::CopyBaseInterface(const Interface* src, Interface* dst) {
  if (!src || !dst) return 0;
  dst->SetName(src->GetName());
  dst->SetFileNameShared(src->GetSharedFileName());
  dst->SetLineNum(src->GetLineNum());
  int count = 0;
  for (int kind : {Interface::PROPERTIES, Interface::FUNCTIONS})
    for (const MdtBase::Property* p : src->GetPropSeqRef(kind))
      if (p) dst->AddProperty(kind, CopyOf(p, count));
  return count;
}

}  // namespace TavSoftware
