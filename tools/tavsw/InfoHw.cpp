#include "InfoHw.h"

#include <memory>

#include "Mss.h"
#include "ParseMss.h"
#include "Tavsw.h"

namespace tavsw {

NamedHw HwNamedBy(const std::string& mss) {
  NamedHw named;
  if (!Port::File::isfile(mss)) return named;
  // The reader's own rules decide what HW_SPEC_FILE says (a value cut at a
  // comma, a statement inside a component that is none): a second reading
  // of the file, its messages held back for the command's own reading.
  struct Quiet : MsgSink {
    MsgSink* previous = Port_MsgManData::SetSink(this);
    void Report(const MsgRecord&) override {}
    ~Quiet() override { Port_MsgManData::SetSink(previous); }
  } quiet;
  auto read = std::make_unique<TavSoftware::Mss>();
  TavSoftware::ParseMss::Parse(mss, read.get());
  named.mssRead = true;
  const MdtBase::PsfComp* spec = read->GetPsfCompByName(TavSoftware::Mss::PARAMETERS, "HW_SPEC_FILE");
  if (!spec) return named;
  const std::string value = spec->GetValueStr();
  if (value.empty()) return named;
  named.line = spec->GetLineNum();
  const size_t slash = mss.rfind('/');
  named.path = value.front() == '/' || slash == std::string::npos
                   ? value
                   : mss.substr(0, slash + 1) + value;
  return named;
}

int DefaultHw(Context& ctx, const std::string& mss, std::string& hw, bool required) {
  if (!hw.empty()) return kTavswOk;
  const NamedHw named = HwNamedBy(mss);
  if (named.path.empty()) {
    if (!required) return kTavswOk;
    if (!named.mssRead) {
      // As the build says of an MSS it cannot open.
      Port_MsgManData::Issue(MsgSeverity::kError, "Cannot open file \"" + mss + "\" for reading\n");
      return kTavswErrors;
    }
    ctx.diag.Tool(MsgSeverity::kError, "--hw is required (the MSS names no HW_SPEC_FILE)", mss);
    return kTavswUsage;
  }
  if (!Port::File::isfile(named.path)) {
    // Said as the reader says what is wrong in a file, so that a command's
    // JSON document carries it too.
    Port_MsgManData::Issue(MsgSeverity::kError,
                           mss + " line " + std::to_string(named.line) +
                               " - HW_SPEC_FILE names the hardware description '" + named.path +
                               "', which is not there (--hw names another)\n",
                           mss, named.line);
    return kTavswErrors;
  }
  ctx.diag.Tool(MsgSeverity::kInfo,
                "the hardware description is " + named.path + ", as HW_SPEC_FILE names it", mss,
                named.line);
  hw = named.path;
  return kTavswOk;
}

}  // namespace tavsw
