#include <cstring>

#include "LibInst.h"
#include "LibInstUtil.h"
#include "SwPropertyUtil.h"

namespace TavSoftware {

bool LibInstUtil::VerifyPropType(int nodeType, const MdtBase::Property* p) {
  const char* expected = nullptr;
  switch (nodeType) {
    case LibInst::OPTIONS:
      expected = "TavSoftware_Option";
      break;
    case LibInst::PARAMETERS:
      expected = "TavSoftware_Param";
      break;
    case LibInst::ARRAYS:
      expected = "TavSoftware_ArrayInst";
      break;
    case LibInst::INTERFACES:
      expected = "TavSoftware_Interface";
      break;
    default:
      return false;
  }
  const char* tag = MdtBase::BaseNode::GetBaseNode(p);
  return tag && *tag && std::strcmp(tag, expected) == 0;
}

void LibInstUtil::PrintLibInst(const LibInst* libInst, const String& kind,
                               MdtBase::UtStreamWriter* writer) {
  if (!libInst || !writer) return;
  String header = "BEGIN ";
  if (!kind.empty()) {
    String upper = kind;
    header += upper.MakeUpper();
  } else {
    header += MdtBase::BaseNode::IsBaseNodeType(libInst, "TavSoftware_OsInst") ? "OS" : "LIBRARY";
  }
  MdtBase::PsfCompUtil::PrintComment(libInst, writer, "# ");
  writer->writeline(header);
  MdtBase::PropertyUtil::PrintPropertyList(libInst->GetPropSeqRef(LibInst::PARAMETERS), "PARAMETER",
                                           writer, 1);
  SwPropertyUtil::PrintArrayInstList(libInst->GetPropSeqRef(LibInst::ARRAYS), "ARRAYINST", writer);
  MdtBase::PropertyUtil::PrintPropertyList(libInst->GetPropSeqRef(LibInst::OPTIONS), "OPTION",
                                           writer, 1);
  SwPropertyUtil::PrintInterfaceList(libInst->GetPropSeqRef(LibInst::INTERFACES), "", writer);
  writer->writeline("END");
}

void LibInstUtil::PrintFileSys(const LibInst* libInst, MdtBase::UtStreamWriter* writer) {
  if (!libInst || !writer) return;
  writer->writeline("BEGIN FILESYS");
  if (!libInst->GetName().empty())
    writer->writeline(String(" PARAMETER FILESYS_NAME = ") + libInst->GetName());
  if (const MdtBase::Property* p = libInst->GetPropertyByName(LibInst::PARAMETERS, "proc_instance"))
    MdtBase::PropertyUtil::PrintProperty(p, "PARAMETER", writer, 1);
  writer->writeline("END");
}

}  // namespace TavSoftware
