// AssignRequiredParams of the instance utilities: the parameters of a
// template instance copied onto a new one, a value chosen for each "*".
#include "Array.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Mdd.h"
#include "Mld.h"
#include "MssUtil.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "SwRTUtil.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

namespace {

// `find` looks an entry of the definition up by name; `set` stores a value
// in the destination's sequence (1 parameters, 2 array values).
template <class Find, class Set>
void Assign(Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw, SwReposMan* man,
            const PropSeq& params, std::initializer_list<const char*> skipped, Find find, Set set) {
  for (const MdtBase::Property* p : params) {
    if (!p) continue;
    bool skip = false;
    // Compared with case, as the identity parameters are always written so.
    for (const char* s : skipped) skip = skip || p->GetName() == s;
    if (skip) continue;
    const String v = p->GetValueStr();
    const MdtBase::Property* e = find(p->GetName());
    if (!e) continue;
    if (Eq(BaseNode::GetBaseNode(e), "TavSoftware_Param")) {
      String value = v;
      if (v == "*") {
        std::vector<String> candidates;
        if (Eq(e->GetPsfCompValueStr("TYPE"), "peripheral_instance"))
          SwRTUtil::GetCoreListForDrvParam(hw, mss, e, man, candidates);
        else
          MssUtil::GetListofValuesForParam(mss, e, man, candidates);
        value = candidates.empty() ? String() : candidates.front();
      }
      if (!value.empty()) set(1, p->GetName(), value);
    } else if (Eq(BaseNode::GetBaseNode(e), "TavSoftware_Array")) {
      String value = v;
      if (v == "*") {
        value.clear();
        const PropSeq& columns = static_cast<const Array*>(e)->GetPropSeqRef(Array::PARAMETERS);
        if (columns.size() == 1 && columns[0] &&
            Eq(columns[0]->GetPsfCompValueStr("TYPE"), "peripheral_instance")) {
          std::vector<String> candidates;
          SwRTUtil::GetCoreListForDrvParam(hw, mss, columns[0], man, candidates);
          if (!candidates.empty()) {
            value = "(";
            for (size_t i = 0; i < candidates.size(); ++i)
              value += (i ? ",(" : "(") + candidates[i] + ")";
            value += ")";
          }
        }
      }
      set(2, p->GetName(), value);
    }
  }
}

template <class Inst>
void AssignMld(Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw, SwReposMan* man, Inst* src,
               Inst* dst, std::initializer_list<const char*> skipped) {
  if (!src || !dst) return;
  auto* mld = dynamic_cast<Mld*>(dst->GetBaseNodePtr(LibInst::DEFINITION));
  if (!mld) return;
  Assign(mss, hw, man, src->GetPropSeqRef(LibInst::PARAMETERS), skipped,
         [mld](const String& name) { return static_cast<const Mld*>(mld)->GetPropertyByName(name); },
         [dst](int seq, const String& name, const String& value) {
           dst->CreateAddPropertySetValue(seq, name, value);
         });
}

}  // namespace

void DrvInstUtil::AssignRequiredParams(Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                       SwReposMan* man, DrvInst* src, DrvInst* dst) {
  if (!src || !dst) return;
  auto* mdd = dynamic_cast<Mdd*>(dst->GetBaseNodePtr(DrvInst::DEFINITION));
  if (!mdd) return;
  Assign(mss, hw, man, src->GetPropSeqRef(DrvInst::PARAMETERS),
         {"DRIVER_NAME", "DRIVER_VER", "PROC_INSTANCE"},
         [mdd](const String& name) { return static_cast<const Mdd*>(mdd)->GetPropertyByName(name); },
         [dst](int seq, const String& name, const String& value) {
           dst->CreateAddPropertySetValue(seq, name, value);
         });
}

void LibInstUtil::AssignRequiredParams(Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                       SwReposMan* man, LibInst* src, LibInst* dst) {
  AssignMld(mss, hw, man, src, dst, {"LIBRARY_NAME", "LIBRARY_VER", "PROC_INSTANCE"});
}

void OsInstUtil::AssignRequiredParams(Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                      SwReposMan* man, OsInst* src, OsInst* dst) {
  AssignMld(mss, hw, man, src, dst, {"OS_NAME", "OS_VER", "PROC_INSTANCE"});
}

}  // namespace TavSoftware
