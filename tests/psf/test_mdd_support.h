// Helpers shared by the definition-reader tests: reading a text through a
// reader and listing the messages it issued in a compact, exact form.
#ifndef TAVSOFTWARE_TESTS_PSF_MDD_SUPPORT_H
#define TAVSOFTWARE_TESTS_PSF_MDD_SUPPORT_H

#include <string>
#include <vector>

#include "MdtBase.h"
#include "TestSupport.h"

namespace tavtest {

// Each message as "E<line>: <text>" or "W<line>: <text>", after checking that
// its text starts with "<file> line <line> - " for the file and line it carries.
inline std::vector<std::string> ReaderMsgs(const MsgCapture& msgs) {
  std::vector<std::string> out;
  for (const MsgRecord& m : msgs.Messages()) {
    std::string prefix = m.file + " line " + std::to_string(m.line) + " - ";
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

template <class V>
const V* ValueAs(const MdtBase::NameValue* nv) {
  return nv ? dynamic_cast<const V*>(nv->GetMdtValuePtr()) : nullptr;
}

// Names of the sub-components of a property, in order.
inline std::vector<std::string> CompNames(const MdtBase::Property* p) {
  std::vector<std::string> out;
  for (const MdtBase::PsfComp* c : p->GetPsfCompSeqRef()) out.push_back(c->GetName());
  return out;
}

inline std::vector<std::string> Names(const MdtBase::PropSeq& seq) {
  std::vector<std::string> out;
  for (const MdtBase::Property* p : seq) out.push_back(p->GetName());
  return out;
}

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_PSF_MDD_SUPPORT_H
