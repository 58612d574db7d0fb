#include <memory>
#include <vector>

#include "Mdd.h"
#include "MdtParse.h"
#include "MddUtil.h"
#include "WriteMdd.h"
#include "psf/WriteStamps.h"

namespace TavSoftware {

namespace {

using MdtBase::UtStreamWriter;

using detail::WriteStamps;

void WriteSection(const char* title, UtStreamWriter* writer) {
  writer->writeline("");
  writer->writeline(title);
  writer->writeline("");
}

void WriteProperties(Mdd* mdd, int nodeType, const char* keyword, bool stamp,
                     UtStreamWriter* writer, WriteStamps& stamps) {
  for (auto* p : mdd->GetPropSeqRef(nodeType)) {
    MdtBase::PropertyUtil::PrintProperty(p, keyword, writer, 1);
    if (stamp) stamps.Stamp(p, writer);
  }
}

// The listing shows blocks, interfaces and arrays only by count, one empty
// line each; their contents are not written.
void WritePlaceholders(const Mdd* mdd, int nodeType, UtStreamWriter* writer) {
  for (size_t i = 0; i < mdd->GetPropSeqRef(nodeType).size(); ++i) writer->writeline("");
}

void WriteBody(Mdd* mdd, bool stamp, UtStreamWriter* writer, WriteStamps& stamps) {
  WriteSection("# Parameters", writer);
  WriteProperties(mdd, Mdd::PARAMETERS, "PARAMETER", stamp, writer, stamps);
  WriteSection("# Options", writer);
  WriteProperties(mdd, Mdd::OPTIONS, "OPTION", stamp, writer, stamps);
  WriteSection("# Blocks", writer);
  WritePlaceholders(mdd, Mdd::BLOCKS, writer);
  WriteSection("# Interfaces ", writer);
  WritePlaceholders(mdd, Mdd::INTERFACES, writer);
  WriteSection("# Arrays ", writer);
  WritePlaceholders(mdd, Mdd::ARRAYS, writer);
}

int DoWrite(const char* fileName, Mdd* mdd, int stampFileInfo) {
  if (!fileName || !*fileName) return 1;
  if (!mdd) return -1;
  MdtBase::BaseWriter::InitData(nullptr);
  MdtBase::BaseWriter::s_filename() = fileName;

  std::unique_ptr<UtStreamWriter> writer(UtStreamWriter::ConstructUtStreamWriter(fileName));
  WriteStamps stamps;
  // The text goes to a file beside the target and replaces it only once it
  // is complete, so a failure leaves the old file as it was.
  if (writer) {
    WriteBody(mdd, stampFileInfo != 0, writer.get(), stamps);
    if (writer->Commit()) return 0;
  }
  stamps.Undo();
  writer.reset();
  Port_MsgManData::Issue(MsgSeverity::kStatus,
                         String("MDD file \"") + fileName + "\" could not be opened for writing\n",
                         fileName, 0);
  return 2;
}

}  // namespace

int WriteMdd::Write(const String& fileName, Mdd* mdd, int stampFileInfo) {
  return DoWrite(fileName.c_str(), mdd, stampFileInfo);
}

int WriteMdd::Write(const char* fileName, Mdd* mdd, int stampFileInfo) {
  return DoWrite(fileName, mdd, stampFileInfo);
}

int WriteMdd::Write(const String& fileName, const Mdd* mdd) {
  // Without stamping the Mdd is only read.
  return DoWrite(fileName.c_str(), const_cast<Mdd*>(mdd), 0);
}

int WriteMdd::Write(const char* fileName, const Mdd* mdd) {
  return DoWrite(fileName, const_cast<Mdd*>(mdd), 0);
}

int MddUtil::Write(const String& path, Mdd* mdd) { return WriteMdd::Write(path, mdd, 1); }

}  // namespace TavSoftware
