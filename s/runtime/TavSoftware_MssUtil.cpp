// MssUtil lookups: the instances of an MSS by hardware instance, by name and
// version, and by processor.
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "Mss.h"
#include "MssUtil.h"
#include "OsInst.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;

namespace {

// The first entry of `seq` with the type tag `tag` named `name` whose
// parameter `verParam` is `version` (any version when it is empty).
MdtBase::PsfComp* ByNameVer(const PsfCompSeq& seq, const char* tag, const String& name,
                            const char* verParam, const String& version) {
  for (MdtBase::PsfComp* c : seq)
    if (MdtBase::BaseNode::IsBaseNodeType(c, tag) && Eq(c->GetName(), name) &&
        (version.empty() || Eq(InstParamValue(c, verParam), version)))
      return c;
  return nullptr;
}

}  // namespace

DrvInst* MssUtil::GetDrvInstByHwInstName(const Mss* mss, const String& hwInstName) {
  if (!mss || hwInstName.empty()) return nullptr;
  if (DrvInst* d = DrvInstUtil::GetDrvInstByHwInstName(mss->GetPsfCompSeqRef(Mss::DRIVERS),
                                                       hwInstName))
    return d;
  return ProcInstUtil::GetProcInstByHwInstName(mss->GetPsfCompSeqRef(Mss::PROCESSORS), hwInstName);
}

DrvInst* MssUtil::GetDrvInstByNameVer(const Mss* mss, const String& name, const String& version) {
  if (!mss) return nullptr;
  MdtBase::PsfComp* c = ByNameVer(mss->GetPsfCompSeqRef(Mss::DRIVERS), "TavSoftware_DrvInst",
                                  name, "DRIVER_VER", version);
  if (!c)
    c = ByNameVer(mss->GetPsfCompSeqRef(Mss::PROCESSORS), "TavSoftware_ProcInst", name,
                  "DRIVER_VER", version);
  return static_cast<DrvInst*>(c);
}

OsInst* MssUtil::GetOsInstByNameVer(const Mss* mss, const String& name, const String& version) {
  if (!mss) return nullptr;
  return static_cast<OsInst*>(ByNameVer(mss->GetPsfCompSeqRef(Mss::OSES), "TavSoftware_OsInst",
                                        name, "OS_VER", version));
}

LibInst* MssUtil::GetLibInstByNameVer(const Mss* mss, const String& name, const String& version) {
  if (!mss) return nullptr;
  return static_cast<LibInst*>(ByNameVer(mss->GetPsfCompSeqRef(Mss::LIBRARIES),
                                         "TavSoftware_LibInst", name, "LIBRARY_VER", version));
}

int MssUtil::GetLibInstSeqByHwInstName(const Mss* mss, const String& procName,
                                       std::vector<LibInst*>& out) {
  if (!mss) return 0;
  int n = 0;
  for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(Mss::LIBRARIES)) {
    LibInst* l = AsLibInst(c);
    if (l && Eq(InstParamValue(l, "PROC_INSTANCE"), procName)) {
      out.push_back(l);
      ++n;
    }
  }
  return n;
}

}  // namespace TavSoftware
