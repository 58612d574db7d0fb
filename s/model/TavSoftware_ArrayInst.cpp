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
};

ArrayInst::ArrayInst() : MdtBase::Property(), imp_(std::make_unique<ArrayInstImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_ArrayInst");
}

ArrayInst::~ArrayInst() = default;

PropSeq& ArrayInst::GetPropSeqRef(int nodeType) { return imp_->seqs.Get(nodeType); }

const PropSeq& ArrayInst::GetPropSeqRef(int nodeType) const { return imp_->seqs.Get(nodeType); }

MdtBase::Property* ArrayInst::GetPropertyByName(int nodeType, const String& name) {
  return imp_->seqs.FindByName(nodeType, name);
}

const MdtBase::Property* ArrayInst::GetPropertyByName(int nodeType, const String& name) const {
  return imp_->seqs.FindByName(nodeType, name);
}

int ArrayInst::AddProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Add(nodeType, child);
}

int ArrayInst::DelProperty(int nodeType, MdtBase::Property* child) {
  return imp_->seqs.Del(nodeType, child);
}

int ArrayInst::DelProperty(int nodeType, const String& name) {
  return imp_->seqs.Del(nodeType, name);
}

int ArrayInst::DelPropSeq(int nodeType) { return imp_->seqs.DelSeq(nodeType); }

bool ArrayInst::VerifyPropType(int nodeType, const MdtBase::Property* child) const {
  if (!child || nodeType < 1 || nodeType > kLastNodeType) return false;
  const char* tag = BaseNode::GetBaseNode(child);
  return tag && *tag && std::strcmp(tag, kSeqTags[nodeType]) == 0;
}

// The text is walked with views, never copied piecewise, so a value of many
// megabytes with a hundred thousand items costs one pass.
int ArrayInst::SetValueStr(const String& text) {
  MdtBase::MdtValue* value = GetMdtValuePtr();
  if (!value) return 1;
  imp_->seqs.DelSeq(ELEMENTS);

  std::string_view rest(text);
  if (!rest.empty()) rest.remove_prefix(1);  // the opening parenthesis
  rest = BaseUtils::TrimLeadingView(rest);

  if (!rest.empty() && rest.front() == '(') {
    // Rows: "(a,b),(c,d))"; each ")" closes a row, the "," between rows is
    // left at the front of the next one.
    while (!rest.empty()) {
      std::string_view row = BaseUtils::TrimLeadingView(BaseUtils::GetWordTillChar(rest, ')'));
      if (row.empty()) break;
      if (row.front() == ',') row = BaseUtils::TrimLeadingView(row.substr(1));
      while (!row.empty() && row.front() == '(') row.remove_prefix(1);
      auto* element = new Element();
      while (!row.empty()) {
        element->AddProperty(Element::PARAMETERS, NewCell(BaseUtils::GetWordTillChar(row, ',')));
      }
      AddProperty(ELEMENTS, element);
    }
  } else {
    // One column: "a,b,c)"; every item is a row of its own.
    std::string_view items = BaseUtils::GetWordTillChar(rest, ')');
    while (!items.empty()) {
      std::string_view item = BaseUtils::TrimLeadingView(BaseUtils::GetWordTillChar(items, ','));
      auto* element = new Element();
      element->AddProperty(Element::PARAMETERS, NewCell(item));
      AddProperty(ELEMENTS, element);
    }
  }
  // The rows are derived data; the text as given stays the value, so writing
  // the instance back reproduces it exactly.
  return value->SetValue(text);
}

}  // namespace TavSoftware
