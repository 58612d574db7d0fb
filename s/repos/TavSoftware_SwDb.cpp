// SwDb: queries over the repositories answered as plain text.
#include "Array.h"
#include "Category.h"
#include "Mld.h"
#include "SwCore.h"
#include "SwDb.h"
#include "SwRTUtil.h"
#include "SwRepos.h"
#include "SwReposMan.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;

struct SwDbImp {
  SwReposMan* man = nullptr;
};

namespace {

const Mld* LibraryMld(SwReposMan* man, const String& name, const String& version) {
  if (!man) return nullptr;
  return dynamic_cast<const Mld*>(SwRepos::GetCoreByName(man->GetSwReposSeqRef(), SwRepos::LIBRARY,
                                                         name, version, 0));
}

const Mld* MldOf(SwCore* core) { return dynamic_cast<const Mld*>(core->GetPsfFileObj(SwCore::MLD)); }

String Desc(const std::vector<SwCore*>& cores, const String& name, const String& version) {
  for (SwCore* core : cores)
    if (Eq(core->GetName(), name) && (version.empty() || Eq(core->GetVersion(), version))) {
      const Mld* mld = MldOf(core);
      return mld ? mld->GetPropertyValueStr(Mld::OPTIONS, "DESC") : String();
    }
  return String();
}

String NameVerDescList(const std::vector<SwCore*>& cores) {
  String out;
  for (SwCore* core : cores) {
    const Mld* mld = MldOf(core);
    out += core->GetName() + ":" + core->GetVersion() + ":" +
           (mld ? mld->GetPropertyValueStr(Mld::OPTIONS, "DESC") : String()) + ":";
  }
  return out;
}

std::vector<String> NameVerList(const std::vector<SwCore*>& cores) {
  std::vector<String> out;
  for (SwCore* core : cores) out.push_back(core->GetName() + "_v" + core->GetVersion());
  return out;
}

}  // namespace

boost::shared_ptr<SwDb> SwDb::CreateSwDb(SwReposMan* man) {
  return boost::shared_ptr<SwDb>(new SwDb(man));
}

SwDb::SwDb(SwReposMan* man) : imp_(std::make_unique<SwDbImp>()) { imp_->man = man; }

SwDb::SwDb(const SwDb& other) : imp_(std::make_unique<SwDbImp>(*other.imp_)) {}

SwDb& SwDb::operator=(const SwDb& other) {
  *imp_ = *other.imp_;
  return *this;
}

SwDb::~SwDb() = default;

String SwDb::GetSwCoreDir(const String& name, const String& version) const {
  SwCore* core = imp_->man ? imp_->man->GetCoreByName(name, version) : nullptr;
  return core ? core->GetCoreDir().GetAbsolutePath().GetFullName() : String();
}

String SwDb::GetSwCoreAppCompilerFlags(const String& name, const String& version) const {
  const Mld* mld = LibraryMld(imp_->man, name, version);
  return mld ? mld->GetPropertyValueStr(Mld::OPTIONS, "APP_COMPILER_FLAGS") : String();
}

String SwDb::GetSwCoreAppLinkerFlags(const String& name, const String& version) const {
  const Mld* mld = LibraryMld(imp_->man, name, version);
  return mld ? mld->GetPropertyValueStr(Mld::OPTIONS, "APP_LINKER_FLAGS") : String();
}

String SwDb::GetSwCoreArraySpec(const String& name, const String& version,
                                const String& arrayName) const {
  const Mld* mld = LibraryMld(imp_->man, name, version);
  if (!mld) return String();
  // The array name is compared with case: it is a key the caller got from
  // the definition itself.
  const MdtBase::Property* array = nullptr;
  for (const MdtBase::Property* a : mld->GetPropSeqRef(Mld::ARRAYS))
    if (a && a->GetName() == arrayName) {
      array = a;
      break;
    }
  for (size_t i = 0; !array && i < mld->GetPropSeqRef(Mld::CATEGORIES).size(); ++i) {
    const auto* cat = dynamic_cast<const Category*>(mld->GetPropSeqRef(Mld::CATEGORIES)[i]);
    if (!cat) continue;
    for (const MdtBase::Property* a : cat->GetPropSeqRef(Category::ARRAYS))
      if (a && a->GetName() == arrayName) {
        array = a;
        break;
      }
  }
  const auto* def = dynamic_cast<const Array*>(array);
  if (!def) return String();
  String out;
  for (const MdtBase::Property* column : def->GetPropSeqRef(Array::PARAMETERS)) {
    if (!column) continue;
    String entry;
    entry.doFormat("%s,%s,%s:", column->GetName().c_str(),
                   column->GetPsfCompValueStr("TYPE").c_str(),
                   column->GetPsfCompValueStr("DESC").c_str());
    out += entry;
  }
  return out;
}

String SwDb::GetOsDesc(const String& name, const String& version) const {
  if (!imp_->man) return String();
  std::vector<SwCore*> cores;
  SwRTUtil::GetOsList(cores, *imp_->man, true);
  return Desc(cores, name, version);
}

String SwDb::GetLibDesc(const String& name, const String& version) const {
  if (!imp_->man) return String();
  std::vector<SwCore*> cores;
  SwRTUtil::GetLibList(cores, *imp_->man, true);
  return Desc(cores, name, version);
}

String SwDb::GetSupportedOSsForProc(const String& procType, const String& procVersion) const {
  if (!imp_->man) return String();
  std::vector<SwCore*> cores;
  SwRTUtil::GetOsListForProc(procType, procVersion, cores, *imp_->man, nullptr, false);
  return NameVerDescList(cores);
}

String SwDb::GetThirdPartyOSsForProc(const String& procType, const String& procVersion) const {
  if (!imp_->man) return String();
  std::vector<SwCore*> cores;
  SwRTUtil::GetBspListForProc(procType, procVersion, cores, *imp_->man, nullptr, false);
  return NameVerDescList(cores);
}

std::vector<String> SwDb::GetAvailableComponentVersions(const String& name, int kind) const {
  if (!imp_->man) return {};
  return SwRTUtil::GetVersionsForSwCore(name, *imp_->man, kind);
}

std::vector<String> SwDb::GetSwLibrariesForOS(const String& osName,
                                              const String& osVersion) const {
  if (!imp_->man) return {};
  std::vector<SwCore*> cores;
  SwRTUtil::GetAllLibInRepos(*imp_->man, cores, nullptr, osName, osVersion, false);
  return NameVerList(cores);
}

std::vector<String> SwDb::GetDriversForHwComponent(const String& ipType,
                                                   const String& ipVersion) const {
  if (!imp_->man) return {};
  std::vector<SwCore*> cores;
  SwRTUtil::GetDrvListForPeriph(ipType, ipVersion, cores, imp_->man->GetSwReposSeqRef(), 1,
                                nullptr, 0);
  return NameVerList(cores);
}

}  // namespace TavSoftware
