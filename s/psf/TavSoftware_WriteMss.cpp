#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "ArrayInst.h"
#include "MdtParse.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Mss.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "SwPropertyUtil.h"
#include "WriteMss.h"
#include "psf/WriteStamps.h"

namespace TavSoftware {

namespace {

using MdtBase::UtStreamWriter;

using detail::WriteStamps;

void WriteLibInsts(const PsfCompSeq& seq, const char* kind, UtStreamWriter* writer) {
  writer->writeline("");
  for (const auto* comp : seq) {
    writer->writeline("");
    LibInstUtil::PrintLibInst(dynamic_cast<const LibInst*>(comp), kind, writer);
  }
}

void WriteBody(Mss* mss, bool stamp, UtStreamWriter* writer, WriteStamps& stamps) {
  MdtBase::PsfCompUtil::PrintComment(mss, writer, "# ");
  writer->writeline("");
  for (auto* p : mss->GetPsfCompSeqRef(Mss::PARAMETERS)) {
    // The reader keeps top-level parameters other than VERSION and
    // HW_SPEC_FILE without a value; "PARAMETER X = " would make the written
    // file unreadable, so such a parameter is not written.
    if (!p->GetMdtValuePtr()) continue;
    MdtBase::PropertyUtil::PrintProperty(p, "PARAMETER", writer, 1);
    if (stamp) stamps.Stamp(p, writer);
  }
  for (const auto* a : mss->GetPsfCompSeqRef(Mss::ARRAYS))
    SwPropertyUtil::PrintArrayInst(dynamic_cast<const ArrayInst*>(a), "ARRAYINST", writer);

  WriteLibInsts(mss->GetPsfCompSeqRef(Mss::OSES), "OS", writer);

  writer->writeline("");
  for (const auto* comp : mss->GetPsfCompSeqRef(Mss::PROCESSORS)) {
    writer->writeline("");
    ProcInstUtil::PrintProcInst(dynamic_cast<const ProcInst*>(comp), writer);
  }

  writer->writeline("");
  for (const auto* comp : mss->GetPsfCompSeqRef(Mss::DRIVERS)) {
    writer->writeline("");
    DrvInstUtil::PrintDrvInst(dynamic_cast<const DrvInst*>(comp), writer);
  }

  WriteLibInsts(mss->GetPsfCompSeqRef(Mss::LIBRARIES), "LIBRARY", writer);

  writer->writeline("");
  MdtBase::Comment::Print(mss->GetEndMdtComment(), writer, "# ");
}

int DoWrite(const char* fileName, Mss* mss, int stampFileInfo) {
  if (!fileName || !*fileName) return 1;
  if (!mss) return -1;
  MdtBase::BaseWriter::InitData(nullptr);
  MdtBase::BaseWriter::s_filename() = fileName;

  std::unique_ptr<UtStreamWriter> writer(UtStreamWriter::ConstructUtStreamWriter(fileName));
  WriteStamps stamps;
  // The text goes to a file beside the target and replaces it only once it
  // is complete, so a failure leaves the old file as it was.
  if (writer) {
    WriteBody(mss, stampFileInfo != 0, writer.get(), stamps);
    if (writer->Commit()) return 0;
  }
  // The nodes must not claim lines of a file that was never written.
  stamps.Undo();
  writer.reset();
  Port_MsgManData::Issue(MsgSeverity::kStatus,
                         String("MSS file \"") + fileName + "\" could not be opened for writing\n",
                         fileName, 0);
  return 2;
}

}  // namespace

std::string WriteMss::ToText(const Mss& mss) {
  std::ostringstream text;
  UtStreamWriter writer(text);
  WriteStamps stamps;
  // Without stamping nothing of the Mss is changed.
  WriteBody(const_cast<Mss*>(&mss), false, &writer, stamps);
  writer.Commit();
  return text.str();
}

int WriteMss::Write(const String& fileName, Mss* mss, int stampFileInfo) {
  return DoWrite(fileName.c_str(), mss, stampFileInfo);
}

int WriteMss::Write(const char* fileName, Mss* mss, int stampFileInfo) {
  return DoWrite(fileName, mss, stampFileInfo);
}

int WriteMss::Write(const String& fileName, const Mss* mss) {
  // Without stamping the Mss is only read.
  return DoWrite(fileName.c_str(), const_cast<Mss*>(mss), 0);
}

int WriteMss::Write(const char* fileName, const Mss* mss) {
  return DoWrite(fileName, const_cast<Mss*>(mss), 0);
}

}  // namespace TavSoftware
