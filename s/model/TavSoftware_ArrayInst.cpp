#include <cstring>

#include "ArrayInst.h"
#include "Element.h"
#include "Param.h"
#include "model/PropSeqSet.h"

namespace TavSoftware {

namespace {
// The type tag each sequence holds, indexed by NodeType (entry 0 unused).
constexpr const char* kSeqTags[] = {nullptr, "TavSoftware_Property", "TavSoftware_Element"};
constexpr int kLastNodeType = 2;

using MdtBase::BaseUtils;

// One cell of a row: an unnamed parameter; the array definition supplies the
// column names when the model is merged.
Param* NewCell(std::string_view item) {
  auto* cell = new Param();
  cell->SetMdtValuePtr(new MdtBase::StrVal(String(item)));
  return cell;
}
}  // namespace

struct ArrayInstImp {
  detail::PropSeqSet seqs{1, kLastNodeType, false};
  // Text whose rows are not built yet. A row costs a few hundred bytes of
  // nodes, a hundred times the text it comes from; an array value that is
  // read and never looked into row by row (most are only passed on) keeps
  // just its text. The rows are built on the first look at the sequences.
  std::unique_ptr<std::string> pending;

  detail::PropSeqSet& Seqs() {
    if (pending) BuildRows();
    return seqs;
  }
  void BuildRows();
};

// Calls row() at the start of each row of the value text and cell(item) for
// each of its values. The text is walked with views, never copied piecewise,
// so a value of many megabytes with a hundred thousand items costs one pass.
template <class Row, class Cell>
void WalkRows(std::string_view rest, Row&& row, Cell&& cell) {
  if (!rest.empty()) rest.remove_prefix(1);  // the opening parenthesis
  rest = BaseUtils::TrimLeadingView(rest);

  if (!rest.empty() && rest.front() == '(') {
    // Rows: "(a,b),(c,d))"; each ")" closes a row, the "," between rows is
    // left at the front of the next one.
    while (!rest.empty()) {
      std::string_view r = BaseUtils::TrimLeadingView(BaseUtils::GetWordTillChar(rest, ')'));
      if (r.empty()) break;
      if (r.front() == ',') r = BaseUtils::TrimLeadingView(r.substr(1));
      while (!r.empty() && r.front() == '(') r.remove_prefix(1);
      row();
      while (!r.empty()) cell(BaseUtils::GetWordTillChar(r, ','));
    }
  } else {
    // One column: "a,b,c)"; every item is a row of its own.
    std::string_view items = BaseUtils::GetWordTillChar(rest, ')');
    while (!items.empty()) {
      std::string_view item = BaseUtils::TrimLeadingView(BaseUtils::GetWordTillChar(items, ','));
      row();
      cell(item);
    }
  }
}

void ArrayInstImp::BuildRows() {
  const std::unique_ptr<std::string> text = std::move(pending);
  Element* current = nullptr;
  WalkRows(
      *text,
      [&] {
        current = new Element();
        seqs.Add(ArrayInst::ELEMENTS, current);
      },
      [&](std::string_view item) { current->AddProperty(Element::PARAMETERS, NewCell(item)); });
}

ArrayInst::ArrayInst() : MdtBase::Property(), imp_(std::make_unique<ArrayInstImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_ArrayInst");
}

ArrayInst::~ArrayInst() = default;

PropSeq& ArrayInst::GetPropSeqRef(int nodeType) { return imp_->Seqs().Get(nodeType); }

const PropSeq& ArrayInst::GetPropSeqRef(int nodeType) const { return imp_->Seqs().Get(nodeType); }

MdtBase::Property* ArrayInst::GetPropertyByName(int nodeType, const String& name) {
  return imp_->Seqs().FindByName(nodeType, name);
}

const MdtBase::Property* ArrayInst::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->Seqs().FindByName(nodeType, name);
}

int ArrayInst::AddProperty(int nodeType, MdtBase::Property* child) {
  return imp_->Seqs().Add(nodeType, child);
}

int ArrayInst::DelProperty(int nodeType, MdtBase::Property* child) {
  return imp_->Seqs().Del(nodeType, child);
}

int ArrayInst::DelProperty(int nodeType, const String& name) {
  return imp_->Seqs().Del(nodeType, name);
}

size_t ArrayInst::GetRowCount() const {
  if (!imp_->pending) return imp_->seqs.Get(ELEMENTS).size();
  size_t rows = 0;
  WalkRows(
      *imp_->pending, [&rows] { ++rows; }, [](std::string_view) {});
  return rows;
}

int ArrayInst::DelPropSeq(int nodeType) {
  if (nodeType == ELEMENTS) imp_->pending.reset();  // no rows to build only to drop them
  return imp_->Seqs().DelSeq(nodeType);
}

bool ArrayInst::VerifyPropType(int nodeType, const MdtBase::Property* child) const {
  if (!child || nodeType < 1 || nodeType > kLastNodeType) return false;
  const char* tag = BaseNode::GetBaseNode(child);
  return tag && *tag && std::strcmp(tag, kSeqTags[nodeType]) == 0;
}

int ArrayInst::SetValueStr(const String& text) {
  MdtBase::MdtValue* value = GetMdtValuePtr();
  if (!value) return 1;
  imp_->seqs.DelSeq(ELEMENTS);
  // An empty text has no rows to build later.
  imp_->pending = text.empty() ? nullptr : std::make_unique<std::string>(text);
  // The rows are derived data; the text as given stays the value, so writing
  // the instance back reproduces it exactly.
  return value->SetValue(text);
}

}  // namespace TavSoftware
