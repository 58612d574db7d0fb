// SwRTUtil lookups: one component found in a list of components or in an
// MSS, by name, by processor or by the hardware instance it serves.
#include "Driver.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "Mss.h"
#include "OsInst.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "SwRTUtil.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

namespace {

bool IsOs(const BaseNode* n) { return BaseNode::IsBaseNodeType(n, "TavSoftware_OsInst"); }
bool IsDriverObj(const BaseNode* n) { return BaseNode::IsBaseNodeType(n, "TavSoftware_Driver"); }

// The first entry that `accept` (a type test) takes and `match` selects.
template <class T, class Seq, class Accept, class Match>
T* First(const Seq& list, Accept accept, Match match) {
  for (auto* n : list)
    if (accept(n) && match(static_cast<T*>(n))) return static_cast<T*>(n);
  return nullptr;
}

bool Serves(const Driver* d, const String& instName) {
  for (const String& i : d->GetInstSeqRef())
    if (Eq(i, instName)) return true;
  return false;
}

}  // namespace

OsInst* SwRTUtil::GetOsByName(const NVSeq& list, const String& name) {
  return First<OsInst>(list, IsOs, [&](OsInst* o) { return Eq(o->GetName(), name); });
}

OsInst* SwRTUtil::GetOsByProcInstName(const NVSeq& list, const String& procName) {
  return First<OsInst>(list, IsOs, [&](OsInst* o) {
    return Eq(InstParamValue(o, "PROC_INSTANCE"), procName);
  });
}

OsInst* SwRTUtil::GetOsByProcInstName(const PsfCompSeq& list, const String& procName) {
  return First<OsInst>(list, IsOs, [&](OsInst* o) {
    return Eq(InstParamValue(o, "PROC_INSTANCE"), procName);
  });
}

OsInst* SwRTUtil::GetOsByProcInstName(const Mss* mss, const String& procName) {
  return mss ? GetOsByProcInstName(mss->GetPsfCompSeqRef(Mss::OSES), procName) : nullptr;
}

LibInst* SwRTUtil::GetLibraryByProcInstName(const NVSeq& list, const String& procName,
                                            const String& libName) {
  return First<LibInst>(list, IsLibraryComp, [&](LibInst* l) {
    return Eq(l->GetName(), libName) && Eq(InstParamValue(l, "PROC_INSTANCE"), procName);
  });
}

LibInst* SwRTUtil::GetLibraryByProcInstName(const PsfCompSeq& list, const String& procName,
                                            const String& libName) {
  return First<LibInst>(list, IsLibraryComp, [&](LibInst* l) {
    return Eq(l->GetName(), libName) && Eq(InstParamValue(l, "PROC_INSTANCE"), procName);
  });
}

LibInst* SwRTUtil::GetLibraryByProcInstName(const Mss* mss, const String& procName,
                                            const String& libName) {
  return mss ? GetLibraryByProcInstName(mss->GetPsfCompSeqRef(Mss::LIBRARIES), procName, libName)
             : nullptr;
}

DrvInst* SwRTUtil::GetDriverByName(const NVSeq& list, const String& name) {
  return First<DrvInst>(list, IsDriverComp, [&](DrvInst* d) { return Eq(d->GetName(), name); });
}

Driver* SwRTUtil::GetDriverByName(const std::vector<Driver*>& list, const String& name) {
  return First<Driver>(list, IsDriverObj, [&](Driver* d) { return Eq(d->GetName(), name); });
}

LibInst* SwRTUtil::GetLibraryByName(const NVSeq& list, const String& name) {
  return First<LibInst>(list, IsLibraryComp, [&](LibInst* l) { return Eq(l->GetName(), name); });
}

Driver* SwRTUtil::GetDriverByInstName(const NVSeq& list, const String& instName) {
  return First<Driver>(list, IsDriverObj, [&](Driver* d) { return Serves(d, instName); });
}

Driver* SwRTUtil::GetDriverByInstName(const std::vector<Driver*>& list, const String& instName) {
  return First<Driver>(list, IsDriverObj, [&](Driver* d) { return Serves(d, instName); });
}

DrvInst* SwRTUtil::GetDriverByInstName(const PsfCompSeq& list, const String& instName) {
  // An instance without "HW_INSTANCE" must not pass for the one serving "".
  if (instName.empty()) return nullptr;
  return DrvInstUtil::GetDrvInstByHwInstName(list, instName);
}

DrvInst* SwRTUtil::GetPsfCompByHwInstName(const Mss* mss, const String& hwInstName) {
  if (!mss || hwInstName.empty()) return nullptr;
  if (DrvInst* d = DrvInstUtil::GetDrvInstByHwInstName(mss->GetPsfCompSeqRef(Mss::DRIVERS),
                                                       hwInstName))
    return d;
  return ProcInstUtil::GetProcInstByHwInstName(mss->GetPsfCompSeqRef(Mss::PROCESSORS), hwInstName);
}

}  // namespace TavSoftware
