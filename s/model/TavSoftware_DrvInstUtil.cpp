#include <cstring>

#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "SwPropertyUtil.h"

namespace TavSoftware {

bool DrvInstUtil::VerifyPropType(int nodeType, const MdtBase::Property* p) {
  const char* expected = nullptr;
  switch (nodeType) {
    case DrvInst::OPTIONS:
      expected = "TavSoftware_Option";
      break;
    case DrvInst::PARAMETERS:
      expected = "TavSoftware_Param";
      break;
    case DrvInst::ARRAYS:
      expected = "TavSoftware_ArrayInst";
      break;
    case DrvInst::INTERFACES:
      expected = "TavSoftware_Interface";
      break;
    default:
      return false;
  }
  const char* tag = MdtBase::BaseNode::GetBaseNode(p);
  return tag && *tag && std::strcmp(tag, expected) == 0;
}

void DrvInstUtil::PrintDrvInst(const DrvInst* drvInst, MdtBase::UtStreamWriter* writer) {
  if (!drvInst || !writer) return;
  MdtBase::PsfCompUtil::PrintComment(drvInst, writer, "# ");
  writer->writeline("BEGIN DRIVER");
  // The name needs no line of its own: it travels in DRIVER_NAME.
  MdtBase::PropertyUtil::PrintPropertyList(drvInst->GetPropSeqRef(DrvInst::PARAMETERS), "PARAMETER",
                                           writer, 1);
  SwPropertyUtil::PrintArrayInstList(drvInst->GetPropSeqRef(DrvInst::ARRAYS), "ARRAYINST", writer);
  MdtBase::PropertyUtil::PrintPropertyList(drvInst->GetPropSeqRef(DrvInst::OPTIONS), "OPTION",
                                           writer, 1);
  SwPropertyUtil::PrintInterfaceList(drvInst->GetPropSeqRef(DrvInst::INTERFACES), "", writer);
  writer->writeline("END");
}

}  // namespace TavSoftware
