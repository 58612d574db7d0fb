#include <cstring>

#include "ProcInst.h"
#include "ProcInstUtil.h"

namespace TavSoftware {

bool ProcInstUtil::VerifyPropType(int nodeType, const MdtBase::Property* p) {
  const char* expected = nullptr;
  switch (nodeType) {
    case ProcInst::OPTIONS:
      expected = "TavSoftware_Option";
      break;
    case ProcInst::PARAMETERS:
      expected = "TavSoftware_Param";
      break;
    case ProcInst::ARRAYS:
      expected = "TavSoftware_ArrayInst";
      break;
    default:
      return false;
  }
  const char* tag = MdtBase::BaseNode::GetBaseNode(p);
  return tag && *tag && std::strcmp(tag, expected) == 0;
}

void ProcInstUtil::PrintProcInst(const ProcInst* procInst, MdtBase::UtStreamWriter* writer) {
  if (!procInst || !writer) return;
  MdtBase::PsfCompUtil::PrintComment(procInst, writer, "# ");
  writer->writeline("BEGIN PROCESSOR");
  MdtBase::PropertyUtil::PrintPropertyList(procInst->GetPropSeqRef(ProcInst::PARAMETERS),
                                           "PARAMETER", writer, 1);
  MdtBase::PropertyUtil::PrintPropertyList(procInst->GetPropSeqRef(ProcInst::OPTIONS), "OPTION",
                                           writer, 1);
  writer->writeline("END");
}

}  // namespace TavSoftware
