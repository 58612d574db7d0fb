// The options of the commands that build a runtime model (build, tcl,
// explain), and the build itself.
#ifndef TAVSOFTWARE_TOOLS_INFOMODEL_H
#define TAVSOFTWARE_TOOLS_INFOMODEL_H

#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>

#include "Command.h"
#include "HwDbFile.h"
#include "InfoCommands.h"
#include "InfoHw.h"
#include "Mss.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "Tavsw.h"

namespace tavsw {

using TavSoftware::SwRTClass;

// The options of the commands that build a model.
struct ModelOptions {
  std::string mss, hw, proc;
  RepoOptions repos;
  // The manager of the last model built (the model owns it); null before.
  TavSoftware::SwReposMan* manager = nullptr;

  void Declare(CLI::App& app) {
    app.add_option("--hw", hw,
                   "The hardware description (JSON); without it, the file the MSS names in "
                   "HW_SPEC_FILE");
    app.add_option("--proc", proc, "Organise only this processor instance");
    repos.Declare(app);
  }
  // The hardware database; null (reported) when the file cannot be used.
  boost::shared_ptr<TavHwDb::HwDbFile> ReadHw() const {
    int errors = 0;
    return TavHwDb::HwDbFile::Read(hw, errors);
  }
  // Reads the hardware and the repositories and builds the model of `mss`.
  // Null with `status` set when an input cannot be used; otherwise `errors`
  // holds the build's error count.
  std::unique_ptr<SwRTClass> Build(Context& ctx, boost::shared_ptr<TavHwDb::HwDbFile>& hwDb,
                                   int& errors, int& status) {
    status = DefaultHw(ctx, mss, hw, true);
    if (status != kTavswOk) {
      errors = 1;
      return nullptr;
    }
    hwDb = ReadHw();
    // A hardware description that cannot be read is an input with errors,
    // like an MSS that cannot be read.
    status = kTavswErrors;
    if (!hwDb) return nullptr;
    if (!Port::File::isfile(mss)) {
      // The build would go on with an empty system and show the defaults it
      // chose for the hardware: for a file that is not there, show nothing.
      Port_MsgManData::Issue(MsgSeverity::kError,
                             "Cannot open file \"" + mss + "\" for reading\n");
      errors = 1;
      return std::make_unique<SwRTClass>();
    }
    if (!proc.empty() && !Port::EqualsNoCase(hwDb->GetIpClass(proc), "PROCESSOR")) {
      ctx.diag.Tool(MsgSeverity::kError, "no processor instance '" + proc + "' in the hardware", hw);
      NoteClosest(ctx, proc, hwDb->GetProcessorInstNames());
      return nullptr;
    }
    auto man = repos.Make(ctx);
    if (!man) return nullptr;
    // What reading the MSS says comes after the repository checks, and not
    // at all when an input cannot be used.
    auto source = std::make_unique<TavSoftware::Mss>();
    const int parsed = TavSoftware::SwRTUtil::Parse(mss.c_str(), source.get());
    std::unique_ptr<SwRTClass> model(TavSoftware::SwRTUtil::CreateSwRTObject(
        hwDb, source.get(), *man, errors, proc.empty() ? nullptr : proc.c_str()));
    // The model points into the MSS it was built from, and its components
    // into the manager's cores.
    model->AdoptSourceMss(source.release());
    manager = man.get();
    model->Adopt(man.release());
    errors += parsed;
    status = errors ? kTavswErrors : kTavswOk;
    return model;
  }
};

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_INFOMODEL_H
