// tavsw show: per processor, the hardware instances it addresses and the
// driver of each, marking those without one and those whose driver does not
// name their type among the peripherals it supports.
#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "HwDbFile.h"
#include "InfoCommands.h"
#include "InfoHw.h"
#include "Mdd.h"
#include "Mss.h"
#include "ParseMss.h"
#include "SwRTUtil.h"
#include "Tavsw.h"

namespace tavsw {
namespace {

using Json = nlohmann::ordered_json;
using TavSoftware::DrvInst;
using TavSoftware::Mss;

// What serves one hardware instance, and what is wrong with it.
struct Served {
  std::string instance, type, version, hwClass;
  std::string driver, driverVersion;  // empty: none
  bool fromMss = false;               // else the repositories' default
  std::string problem;                // "", "no driver", "unsupported", "not found"
};

// True when the driver `mdd` names `type`/`version` among its supported
// peripherals, or names none (a generic driver serves anything).
bool Supports(const TavSoftware::Mdd& mdd, const std::string& type, const std::string& version) {
  const MdtBase::Property* list =
      mdd.GetPropertyByName(TavSoftware::Mdd::OPTIONS, "supported_peripherals");
  if (!list || !list->GetMdtValuePtr() || list->GetValueStr().empty()) return true;
  // The library's own match, through the one public call that applies it.
  std::vector<TavSoftware::SwCore*> fits;
  TavSoftware::SwCore probe;
  TavSoftware::SwRTUtil::CheckAndAddCoreToList(type, version, fits, &probe,
                                               list->GetMdtValuePtr());
  return !fits.empty();
}

class ShowCommand : public Command {
 public:
  const char* Name() const override { return "show"; }
  const char* Help() const override {
    return "Show per processor every hardware instance it addresses and its driver, marking "
           "the instances without a driver and those whose driver does not support their type "
           "(without an MSS: the driver the repositories would give)";
  }
  void Declare(CLI::App& app) override {
    app.add_option("system", mss_, "The system's MSS file (may be left out when --hw is given)");
    app.add_option("--hw", hw_,
                   "The hardware description (JSON); without it, the file the MSS names in "
                   "HW_SPEC_FILE");
    app.add_option("--proc", proc_, "Show only this processor instance");
    repos_.Declare(app);
    app.add_flag("--json", json_, "Write one JSON document to stdout, nothing else");
  }
  int Run(Context& ctx) override {
    if (mss_.empty() && hw_.empty()) {
      ctx.diag.Tool(MsgSeverity::kError, "an MSS file or --hw is needed");
      return kTavswUsage;
    }
    if (!mss_.empty())
      if (const int status = DefaultHw(ctx, mss_, hw_, true); status != kTavswOk) return status;
    int hwErrors = 0;
    auto hw = TavHwDb::HwDbFile::Read(hw_, hwErrors);
    if (!hw) return kTavswErrors;
    std::vector<std::string> procs = hw->GetProcessorInstNames();
    if (!proc_.empty()) {
      if (std::find(procs.begin(), procs.end(), proc_) == procs.end()) {
        ctx.diag.Tool(MsgSeverity::kError, "no processor instance '" + proc_ + "' in the hardware",
                      hw_);
        NoteClosest(ctx, proc_, procs);
        return kTavswErrors;
      }
      procs = {proc_};
    }
    auto man = repos_.Make(ctx);
    if (!man) return kTavswErrors;
    const int errorsBefore = ctx.diag.Errors();
    std::unique_ptr<Mss> mss;
    if (!mss_.empty()) {
      mss = std::make_unique<Mss>();
      TavSoftware::ParseMss::Parse(mss_, mss.get());
    }
    std::vector<TavSoftware::SwRepos*>& repos = man->GetSwReposSeqRef();

    Json doc = Json::object();
    doc["format"] = 1;
    doc["hw"] = hw_;
    doc["mss"] = mss_.empty() ? Json(nullptr) : Json(mss_);
    Json procList = Json::array();
    int total = 0, without = 0, unsupported = 0, missing = 0;
    for (const std::string& p : procs) {
      std::string procDriver, procDriverVersion;
      if (mss) {
        const DrvInst* pi = TavSoftware::DrvInstUtil::GetDrvInstByHwInstName(
            mss->GetPsfCompSeqRef(Mss::PROCESSORS), p);
        if (pi) {
          procDriver = pi->GetName();
          procDriverVersion = pi->GetPropertyValueStr(DrvInst::PARAMETERS, "DRIVER_VER");
        }
      }
      std::vector<Served> rows;
      for (const std::string& inst : hw->GetAddressableInstNames(p)) {
        Served s;
        s.instance = inst;
        s.type = hw->GetIpType(inst);
        s.version = hw->GetIpVersion(inst);
        s.hwClass = hw->GetIpClass(inst);
        if (mss) {
          const DrvInst* di = TavSoftware::DrvInstUtil::GetDrvInstByHwInstName(
              mss->GetPsfCompSeqRef(Mss::DRIVERS), inst);
          if (di && !di->GetName().empty()) {
            s.driver = di->GetName();
            s.driverVersion = di->GetPropertyValueStr(DrvInst::PARAMETERS, "DRIVER_VER");
            s.fromMss = true;
            const TavSoftware::Mdd* mdd = QuietMdd(di, repos);
            if (!mdd)
              s.problem = "not found";
            else if (!Supports(*mdd, s.type, s.version))
              s.problem = "unsupported";
          }
        } else if (TavSoftware::SwCore* core =
                       TavSoftware::SwRTUtil::GetDrvForPeriph(s.type, s.version, repos)) {
          s.driver = core->GetName();
          s.driverVersion = core->GetVersion();
        }
        if (s.driver.empty()) s.problem = "no driver";
        ++total;
        without += s.problem == "no driver";
        unsupported += s.problem == "unsupported";
        missing += s.problem == "not found";
        rows.push_back(std::move(s));
      }
      if (json_) {
        Json list = Json::array();
        for (const Served& s : rows) {
          Json e = Json::object();
          e["instance"] = s.instance;
          e["type"] = s.type;
          e["version"] = s.version;
          e["class"] = s.hwClass;
          if (s.driver.empty()) {
            e["driver"] = nullptr;
          } else {
            e["driver"] = {{"name", s.driver},
                           {"version", s.driverVersion},
                           {"source", s.fromMss ? "mss" : "default"}};
          }
          e["problem"] = s.problem.empty() ? Json(nullptr) : Json(s.problem);
          list.push_back(std::move(e));
        }
        Json entry = Json::object();
        entry["instance"] = p;
        entry["type"] = hw->GetIpType(p);
        entry["version"] = hw->GetIpVersion(p);
        entry["driver"] = procDriver.empty()
                              ? Json(nullptr)
                              : Json{{"name", procDriver}, {"version", procDriverVersion}};
        entry["peripherals"] = std::move(list);
        procList.push_back(std::move(entry));
        continue;
      }
      ctx.out << "processor " << p << " (" << hw->GetIpType(p) << " " << hw->GetIpVersion(p)
              << ")";
      if (mss)
        ctx.out << ": driver "
                << (procDriver.empty() ? std::string("none")
                                       : procDriver + Versioned(procDriverVersion));
      ctx.out << "\n";
      size_t width = 0;
      for (const Served& s : rows) width = std::max(width, s.instance.size());
      for (const Served& s : rows) {
        ctx.out << "  " << s.instance << std::string(width - s.instance.size() + 2, ' ') << s.type
                << " " << s.version << ": ";
        if (s.driver.empty()) {
          ctx.out << "NO DRIVER\n";
          continue;
        }
        ctx.out << s.driver << Versioned(s.driverVersion) << (s.fromMss ? "" : " (default)");
        if (s.problem == "unsupported")
          ctx.out << "  DOES NOT SUPPORT " << s.type << " " << s.version;
        else if (s.problem == "not found")
          ctx.out << "  NOT IN THE REPOSITORIES";
        ctx.out << "\n";
      }
    }
    const int errors = ctx.diag.Errors() - errorsBefore;
    if (json_) {
      doc["processors"] = std::move(procList);
      doc["instances"] = total;
      doc["without_driver"] = without;
      doc["unsupported"] = unsupported;
      doc["not_found"] = missing;
      doc["errors"] = errors;
      ctx.out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    } else {
      ctx.out << total << " instance(s): " << without << " without a driver, " << unsupported
              << " with a driver that does not support them";
      if (mss) ctx.out << ", " << missing << " with a driver not in the repositories";
      ctx.out << "\n";
    }
    ctx.LeaveForExit(std::move(mss));
    ctx.LeaveForExit(std::move(man));
    ctx.LeaveForExit(hw);
    // Nothing to show is a lookup that found nothing.
    return errors || procs.empty() ? kTavswErrors : kTavswOk;
  }

 private:
  static std::string Versioned(const std::string& v) { return v.empty() ? "" : " " + v; }
  // The definition of a driver instance; the lookup's own not-found report
  // is held back: show marks it in its listing.
  static const TavSoftware::Mdd* QuietMdd(const DrvInst* inst,
                                         std::vector<TavSoftware::SwRepos*>& repos) {
    struct Quiet : MsgSink {
      MsgSink* previous = Port_MsgManData::SetSink(this);
      void Report(const MsgRecord&) override {}
      ~Quiet() override { Port_MsgManData::SetSink(previous); }
    } quiet;
    return TavSoftware::DrvInstUtil::GetMddForDrvInst(inst, repos);
  }

  std::string mss_, hw_, proc_;
  RepoOptions repos_;
  bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeShowCommand() { return std::make_unique<ShowCommand>(); }

}  // namespace tavsw
