#include <vector>

#include "ArrayInst.h"
#include "Element.h"
#include "Interface.h"
#include "SwPropertyUtil.h"

namespace TavSoftware {

namespace {

// "a,b" from the values of an element's parameters, in their order.
void AppendElementValues(const Element& element, String& line) {
  bool first = true;
  for (const auto* p : element.GetPropSeqRef(Element::PARAMETERS)) {
    if (!first) line += ',';
    first = false;
    line += p->GetValueStr();
  }
}

// The reader drops one trailing "," of a list, so a last value that is empty
// needs a second one to survive.
void KeepEmptyLast(const Element& element, String& line) {
  const auto& cells = element.GetPropSeqRef(Element::PARAMETERS);
  if (!cells.empty() && cells.back()->GetValueStr().empty()) line += ',';
}

}  // namespace

void SwPropertyUtil::PrintArrayInst(const ArrayInst* arrayInst, const String& /*keyword*/,
                                    MdtBase::UtStreamWriter* writer) {
  if (!arrayInst || !writer || arrayInst->GetName().empty()) return;
  // The comment goes out too, so that the reader gives it back to the same
  // array value.
  MdtBase::PsfCompUtil::PrintComment(arrayInst, writer, "# ");

  // Every array, interrupt_handler included, is written in the value form
  // the reader accepts: one "int_handler = h, int_port = p" line per element
  // is an obsolete form that the reader rejects, so the handlers would be
  // lost on the next read.
  String line = " PARAMETER ";
  line += arrayInst->GetName();
  line += " = (";
  std::vector<const Element*> rows;
  for (const auto* row : arrayInst->GetPropSeqRef(ArrayInst::ELEMENTS))
    if (const auto* element = dynamic_cast<const Element*>(row)) rows.push_back(element);
  // Single values are written as a flat list, (1,2,3). As soon as one row
  // has another number of values, every row keeps its parentheses, empty
  // ones too: a bare value among rows would make the reader take the whole
  // text for a flat list, and a dropped empty row would lose a row.
  bool flat = true;
  for (const auto* element : rows)
    if (element->GetPropSeqRef(Element::PARAMETERS).size() != 1) flat = false;
  // A flat list whose first value begins with "(" would read back as rows.
  if (flat && !rows.empty() &&
      rows.front()->GetPropSeqRef(Element::PARAMETERS).front()->GetValueStr().starts_with("("))
    flat = false;
  // A last row of one value goes bare, as in ((1,2),3): the reader takes
  // what follows the last ")" as one row. Anywhere else a bare value would
  // run into the next row, and an empty one would lose its cell.
  auto bareLast = [&](const Element* element) {
    const auto& cells = element->GetPropSeqRef(Element::PARAMETERS);
    if (flat || element != rows.back() || rows.size() < 2 || cells.size() != 1) return false;
    const String& v = cells.front()->GetValueStr();
    return !v.empty() && !v.starts_with("(") && !v.starts_with(" ");
  };
  bool first = true;
  for (const auto* element : rows) {
    if (!first) line += ',';
    first = false;
    if (flat || bareLast(element)) {
      AppendElementValues(*element, line);
    } else {
      line += '(';
      // The reader strips every "(" that opens a row; a blank keeps a value
      // that itself begins with "(" intact.
      const auto& cells = element->GetPropSeqRef(Element::PARAMETERS);
      if (!cells.empty() && cells.front()->GetValueStr().starts_with("(")) line += ' ';
      AppendElementValues(*element, line);
      KeepEmptyLast(*element, line);
      line += ')';
    }
  }
  if (flat && !rows.empty()) KeepEmptyLast(*rows.back(), line);
  line += ')';
  writer->writeline(line);
}

void SwPropertyUtil::PrintArrayInstList(const PropSeq& seq, const String& keyword,
                                        MdtBase::UtStreamWriter* writer) {
  for (const auto* p : seq) PrintArrayInst(dynamic_cast<const ArrayInst*>(p), keyword, writer);
}

void SwPropertyUtil::PrintInterface(const Interface* iface, const String& /*keyword*/,
                                    MdtBase::UtStreamWriter* writer) {
  // An interface without a name cannot be read back; writing its members
  // alone would attach them to nothing.
  if (!iface || !writer || iface->GetName().empty()) return;
  MdtBase::PsfCompUtil::PrintComment(iface, writer, "# ");
  writer->writeline(String(" INTERFACE ") + iface->GetName());
  for (const auto* p : iface->GetPropSeqRef(Interface::PROPERTIES))
    writer->writeline(String(" PROPERTY ") + p->GetName() + " = " + p->GetValueStr());
  for (const auto* f : iface->GetPropSeqRef(Interface::FUNCTIONS))
    writer->writeline(String(" FUNCTION ") + f->GetName() + " = " + f->GetValueStr());
}

void SwPropertyUtil::PrintInterfaceList(const PropSeq& seq, const String& keyword,
                                        MdtBase::UtStreamWriter* writer) {
  for (const auto* p : seq) PrintInterface(dynamic_cast<const Interface*>(p), keyword, writer);
}

}  // namespace TavSoftware
