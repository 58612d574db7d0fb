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
  bool first = true;
  for (const auto* row : arrayInst->GetPropSeqRef(ArrayInst::ELEMENTS)) {
    const auto* element = dynamic_cast<const Element*>(row);
    if (!element) continue;
    size_t count = element->GetPropSeqRef(Element::PARAMETERS).size();
    if (count == 0) continue;
    if (!first) line += ',';
    first = false;
    if (count > 1) {
      line += '(';
      AppendElementValues(*element, line);
      line += ')';
    } else {
      AppendElementValues(*element, line);
    }
  }
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
