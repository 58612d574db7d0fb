// Helpers shared by the reader and writer tests: a fixture that reads a text
// through a definition reader, messages in a compact exact form, and the rows
// of an array instance.
#ifndef TAVSOFTWARE_TESTS_PSF_MDD_SUPPORT_H
#define TAVSOFTWARE_TESTS_PSF_MDD_SUPPORT_H

#include <iterator>
#include <string>
#include <vector>

#include "ArrayInst.h"
#include "Element.h"
#include "MdtBase.h"
#include "TestSupport.h"

namespace tavtest {

using V = std::vector<std::string>;

// Each message as "E<line>: <text>" or "W<line>: <text>", after checking that
// its text starts with "<file> line <line> - " for the file and line it carries
// ("<file> - " at line 0).
inline V ReaderMsgs(const MsgCapture& msgs) {
  V out;
  for (const MsgRecord& m : msgs.Messages()) {
    std::string prefix = m.file + (m.line > 0 ? " line " + std::to_string(m.line) : "") + " - ";
    std::string text = m.text;
    if (text.compare(0, prefix.size(), prefix) == 0)
      text = text.substr(prefix.size());
    else
      text = "<no file/line prefix> " + text;
    const char* sev = m.severity == MsgSeverity::kError     ? "E"
                      : m.severity == MsgSeverity::kWarning ? "W"
                                                            : "?";
    out.push_back(sev + std::to_string(m.line) + ": " + text);
  }
  return out;
}

inline std::string ValueOf(const MdtBase::NameValue* nv) {
  return nv ? nv->GetValueStr() : "<null>";
}

template <class T>
const T* ValueAs(const MdtBase::NameValue* nv) {
  return nv ? dynamic_cast<const T*>(nv->GetMdtValuePtr()) : nullptr;
}

// Names of the sub-components of a property, in order.
inline V CompNames(const MdtBase::Property* p) {
  V out;
  for (const MdtBase::PsfComp* c : p->GetPsfCompSeqRef()) out.push_back(c->GetName());
  return out;
}

inline V Names(const MdtBase::PropSeq& seq) {
  V out;
  for (const MdtBase::Property* p : seq) out.push_back(p->GetName());
  return out;
}

// A value as "<kind>:<text>"; word lists item by item ("list:a|b").
inline std::string Typed(const MdtBase::NameValue* nv) {
  using namespace MdtBase;
  const MdtValue* v = nv ? nv->GetMdtValuePtr() : nullptr;
  if (!v) return nv ? "none" : "<null>";
  if (auto* l = dynamic_cast<const ListStrVal*>(v)) {
    std::string out = "list:";
    for (size_t i = 0; i < l->GetList().size(); ++i) out += (i ? "|" : "") + l->GetList()[i];
    return out;
  }
  const char* kind = dynamic_cast<const IntVal*>(v)               ? "int"
                     : dynamic_cast<const BoolVal*>(v)            ? "bool"
                     : dynamic_cast<const FileNameVal*>(v)        ? "file"
                     : dynamic_cast<const ListPsfCompVal*>(v)     ? "pairs"
                     : dynamic_cast<const ListBaseNodePtrVal*>(v) ? "nodes"
                     : dynamic_cast<const StrVal*>(v)             ? "str"
                                                                  : "?";
  return kind + (":" + v->GetValueStr());
}

// A property with its components in order: "int:0 {DEFAULT=int:0, TYPE=str:int}".
inline std::string Describe(const MdtBase::Property* p) {
  if (!p) return "<null>";
  std::string out = Typed(p) + " {";
  bool first = true;
  for (const MdtBase::PsfComp* c : p->GetPsfCompSeqRef()) {
    out += (first ? "" : ", ") + c->GetName() + "=" + Typed(c);
    first = false;
  }
  return out + "}";
}

// The rows of an array instance as "(a,b)(c,d)".
inline std::string ArrayRows(const TavSoftware::ArrayInst& array) {
  using TavSoftware::Element;
  std::string out;
  for (const auto* row : array.GetPropSeqRef(TavSoftware::ArrayInst::ELEMENTS)) {
    std::string cells;
    for (const auto* p : dynamic_cast<const Element*>(row)->GetPropSeqRef(Element::PARAMETERS))
      cells += (cells.empty() ? "" : ",") + p->GetValueStr();
    out += "(" + cells + ")";
  }
  return out;
}

// One statement group and the messages it gives.
struct MsgRow {
  const char* body;
  V expected;
};

// A fixture for one definition reader: `Doc` is the document class, `Parse`
// the reader, `open`/`close` the lines of the outer section.
template <class Doc, int (*Parse)(const TavSoftware::String&, Doc*)>
class DefReaderTest : public ScratchTest {
 protected:
  DefReaderTest(const char* file, const char* open, const char* close)
      : file_(file), open_(open), close_(close) {}

  int Read(const std::string& content) {
    path = dir.Write(file_, content);
    return Parse(path, &doc);
  }
  int ReadIn(const std::string& body) { return Read(open_ + body + close_); }
  V Msgs() const { return ReaderMsgs(msgs); }
  MdtBase::PropSeq& Seq(int nt) { return doc.GetPropSeqRef(nt); }

  // Reads each row into a fresh document (inside the outer section when
  // `wrap`); the messages must match and the result is the number of errors,
  // also recorded in the document.
  template <size_t N>
  void CheckRows(const MsgRow (&rows)[N], bool wrap = true) {
    for (const MsgRow& row : rows) {
      SCOPED_TRACE(row.body);
      msgs.Clear();
      Doc fresh;
      std::string text = wrap ? open_ + row.body + close_ : std::string(row.body);
      int rc = Parse(dir.Write("rows_" + file_, text), &fresh);
      EXPECT_EQ(Msgs(), row.expected);
      int errors = 0;
      for (const std::string& m : row.expected) errors += m[0] == 'E';
      EXPECT_EQ(rc, errors);
      EXPECT_EQ(fresh.GetErrorCode(), errors);
    }
  }

  // Lines stitched from keywords and punctuation; the reader must neither
  // crash nor leak on any of them (run under the sanitizers).
  template <size_t N>
  void SurvivesScrambled(const char* const (&pieces)[N], unsigned seed) {
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int file = 0; file < 20; ++file) {
      std::string text = open_;
      for (int line = 0; line < 200; ++line) {
        text += (next() % 3 == 0) ? "PARAM " : (next() % 2 ? "PROPERTY " : "BEGIN ");
        for (unsigned n = 1 + next() % 12; n > 0; --n) text += pieces[next() % N];
        text += "\n";
      }
      Doc scrambled;
      msgs.Clear();
      EXPECT_NE(Parse(dir.Write("s_" + file_, text), &scrambled), -1);
    }
  }

  Doc doc;
  std::string path;

 private:
  std::string file_, open_, close_;
};

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_PSF_MDD_SUPPORT_H
