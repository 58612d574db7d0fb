// Reads an MSS, writes it, reads the written file again: whenever the first
// read succeeded, the second must too and must see the same components,
// parameters and array values.
#include <string>
#include <vector>

#include "ArrayInst.h"
#include "DrvInst.h"
#include "Element.h"
#include "FuzzCommon.h"
#include "LibInst.h"
#include "Mss.h"
#include "ParseMss.h"
#include "WriteMss.h"

namespace {

using TavSoftware::String;

void AddProps(const TavSoftware::PropSeq& seq, std::vector<std::string>& out) {
  for (const auto* p : seq) {
    if (!MdtBase::BaseNode::IsBaseNodeType(p, "TavSoftware_ArrayInst")) {
      out.push_back("  " + p->GetName() + "=" + p->GetValueStr());
      continue;
    }
    // Array values are compared by their rows: the writer writes the rows
    // back in its own canonical spacing.
    std::string line = "  " + p->GetName() + "[";
    const auto* a = static_cast<const TavSoftware::ArrayInst*>(p);
    for (const auto* row : a->GetPropSeqRef(2)) {
      line += "(";
      for (const auto* cell : static_cast<const TavSoftware::Element*>(row)->GetPropSeqRef(1))
        line += cell->GetValueStr() + ";";
      line += ")";
    }
    out.push_back(line + "]");
  }
}

template <class Comp>
void AddComp(const Comp* c, std::vector<std::string>& out, int kinds) {
  out.push_back(std::string(MdtBase::BaseNode::GetBaseNode(c)) + " " + c->GetName());
  for (int k = 0; k < kinds; ++k) AddProps(c->GetPropSeqRef(k), out);
}

std::vector<std::string> Snapshot(const TavSoftware::Mss& mss) {
  std::vector<std::string> out;
  // Top-level parameters other than VERSION and HW_SPEC_FILE are read
  // without their value and are not written back: they carry nothing.
  for (const auto* p : mss.GetPsfCompSeqRef(1))
    if (p->GetMdtValuePtr()) out.push_back(p->GetName() + "=" + p->GetValueStr());
  for (int kind = 3; kind <= 6; ++kind) {
    for (const auto* c : mss.GetPsfCompSeqRef(kind)) {
      if (MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_LibInst"))
        AddComp(static_cast<const TavSoftware::LibInst*>(c), out, 4);
      else if (MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_ProcInst"))
        AddComp(static_cast<const TavSoftware::DrvInst*>(c), out, 2);
      else if (MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_DrvInst"))
        AddComp(static_cast<const TavSoftware::DrvInst*>(c), out, 4);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  std::string path = tavfuzz::WriteInput(data, size, ".mss");
  TavSoftware::Mss first;
  if (TavSoftware::ParseMss::Parse(path, &first) != 0) return 0;
  std::string out = path + ".out.mss";
  if (TavSoftware::WriteMss::Write(out, &first) != 0) __builtin_trap();
  TavSoftware::Mss second;
  if (TavSoftware::ParseMss::Parse(out, &second) != 0) __builtin_trap();
  std::vector<std::string> a = Snapshot(first), b = Snapshot(second);
  if (a != b) {
    // Shows what changed when a crash input is replayed by hand.
    if (std::getenv("TAVSW_FUZZ_VERBOSE")) {
      for (const auto& line : a) std::fprintf(stderr, "first : %s\n", line.c_str());
      for (const auto& line : b) std::fprintf(stderr, "second: %s\n", line.c_str());
    }
    __builtin_trap();
  }
  return 0;
}
