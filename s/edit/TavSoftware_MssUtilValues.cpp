// MssUtil: the values a parameter definition allows in an MSS.
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"
#include "MssUtil.h"
#include "SwReposMan.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

namespace {

const std::vector<String>& Words(const MdtBase::PsfComp* comp) {
  static const std::vector<String> kNone;
  const auto* list = comp ? dynamic_cast<const MdtBase::ListStrVal*>(comp->GetMdtValuePtr()) : nullptr;
  return list ? list->GetList() : kNone;
}

// The instances of one sequence whose definition offers `iface` (all of
// them when `iface` is empty).
template <class Lookup>
void InstancesOffering(const Mss* mss, int seq, const char* tag, const String& iface,
                       std::vector<String>& out, Lookup definitionOf) {
  for (const MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq)) {
    // Processor instances and OSs stand in other sequences, but a stray one
    // is not what was asked for.
    if (!BaseNode::IsBaseNodeType(c, tag) || BaseNode::IsBaseNodeType(c, "TavSoftware_ProcInst") ||
        BaseNode::IsBaseNodeType(c, "TavSoftware_OsInst"))
      continue;
    if (!iface.empty()) {
      const PropSeq* interfaces = definitionOf(c);
      if (!interfaces || !MdtBase::PropertyUtil::GetPropertyByName(*interfaces, iface, 0)) continue;
    }
    out.push_back(c->GetName());
  }
}

}  // namespace

void MssUtil::GetListofValuesForParam(const Mss* mss, const MdtBase::Property* definition,
                                      SwReposMan* man, std::vector<String>& out) {
  if (!definition) return;
  const String type = definition->GetPsfCompValueStr("type");
  if (Eq(type, "enum")) {
    const MdtBase::PsfComp* values = definition->GetPsfCompByName("values");
    if (const auto* list =
            values ? dynamic_cast<const MdtBase::ListPsfCompVal*>(values->GetMdtValuePtr()) : nullptr)
      for (const MdtBase::PsfComp* v : list->GetList())
        if (v) out.push_back(v->GetValueStr());
  } else if (Eq(type, "int") || Eq(type, "string")) {
    for (const String& w : Words(definition->GetPsfCompByName("range"))) out.push_back(w);
  } else if (Eq(type, "bool")) {
    out.push_back("true");
    out.push_back("false");
  } else if (mss && (Eq(type, "library") || Eq(type, "driver"))) {
    // The interface names a list of words; its first is the one required.
    const std::vector<String>& required = Words(definition->GetPsfCompByName("requires_interface"));
    String iface = required.empty() ? definition->GetPsfCompValueStr("requires_interface") : required[0];
    iface.Trim();
    if (Eq(type, "library")) {
      InstancesOffering(mss, Mss::LIBRARIES, "TavSoftware_LibInst", iface, out,
                        [man](const MdtBase::PsfComp* c) -> const PropSeq* {
                          const auto* inst = static_cast<const LibInst*>(c);
                          const Mld* mld = man ? LibInstUtil::GetMldForLibInst(inst, man->GetSwReposSeqRef())
                                               : dynamic_cast<const Mld*>(inst->GetBaseNodePtr(LibInst::DEFINITION));
                          return mld ? &mld->GetPropSeqRef(Mld::INTERFACES) : nullptr;
                        });
    } else {
      InstancesOffering(mss, Mss::DRIVERS, "TavSoftware_DrvInst", iface, out,
                        [man](const MdtBase::PsfComp* c) -> const PropSeq* {
                          const auto* inst = static_cast<const DrvInst*>(c);
                          const Mdd* mdd = man ? DrvInstUtil::GetMddForDrvInst(inst, man->GetSwReposSeqRef())
                                               : dynamic_cast<const Mdd*>(inst->GetBaseNodePtr(DrvInst::DEFINITION));
                          return mdd ? &mdd->GetPropSeqRef(Mdd::INTERFACES) : nullptr;
                        });
    }
  }
}

}  // namespace TavSoftware
