// ProcInstUtil: binding processor instances, checking them against another
// processor, merging them with their definition, list services.
#include "DrvInstUtil.h"
#include "Mdd.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "SwPropertyUtil.h"
#include "runtime/InstResolve.h"

namespace TavSoftware {

using namespace rt;

int ProcInstUtil::AssignSwCore(ProcInst* inst, std::vector<SwRepos*>& repos) {
  return rt::AssignSwCore(inst, repos, kDriverVariant);
}

int ProcInstUtil::AssignSwCore(std::vector<ProcInst*>& insts, std::vector<SwRepos*>& repos) {
  int sum = 0;
  for (ProcInst* inst : insts) sum += AssignSwCore(inst, repos);
  return sum;
}

int ProcInstUtil::AssignSwCore(std::vector<MdtBase::PsfComp*>& insts,
                               std::vector<SwRepos*>& repos) {
  return AssignSwCoreList(insts, repos, kDriverVariant, "TavSoftware_ProcInst");
}

int ProcInstUtil::CheckProperty(const ProcInst* inst, const ProcInst* ref) {
  if (!inst || !ref) return 0;
  std::vector<const PropSeq*> params{&ref->GetPropSeqRef(ProcInst::PARAMETERS)};
  return CheckUndeclared(inst, params, nullptr, kExemptProcRef, ref->GetName(),
                         kDriverVariant.undeclared);
}

int ProcInstUtil::MergeMddProcObj(const ProcInst* inst, const Mdd* mdd, ProcInst* out) {
  if (!inst || !mdd || !out) return -1;
  out->SetName(inst->GetName());
  int count = SwPropertyUtil::CreateMergedPropertyList(
      mdd->GetPropSeqRef(Mdd::OPTIONS), inst->GetPropSeqRef(ProcInst::OPTIONS),
      out->GetPropSeqRef(ProcInst::OPTIONS), "OPTION", true);
  count += SwPropertyUtil::CreateMergedPropertyList(
      mdd->GetPropSeqRef(Mdd::PARAMETERS), inst->GetPropSeqRef(ProcInst::PARAMETERS),
      out->GetPropSeqRef(ProcInst::PARAMETERS), "PARAMETER", true);
  count += SwPropertyUtil::CreateMergedArrayInstList(mdd->GetPropSeqRef(Mdd::ARRAYS),
                                                     inst->GetPropSeqRef(ProcInst::ARRAYS),
                                                     out->GetPropSeqRef(ProcInst::ARRAYS), out,
                                                     "ARRAYINST");
  for (int nodeType : {0, 1, 2}) StampNodeTypes(out->GetPropSeqRef(nodeType), nodeType);
  count += DrvInstUtil::CheckProperty(inst, mdd);
  return count;
}

ProcInst* ProcInstUtil::GetProcInstByName(const std::vector<ProcInst*>& insts,
                                          const String& name) {
  for (ProcInst* p : insts)
    if (p && Eq(p->GetName(), name)) return p;
  return nullptr;
}

ProcInst* ProcInstUtil::GetProcInstByHwInstName(const std::vector<ProcInst*>& insts,
                                                const String& hwName) {
  for (ProcInst* p : insts)
    if (p && Eq(InstParamValue(p, "HW_INSTANCE"), hwName)) return p;
  return nullptr;
}

ProcInst* ProcInstUtil::GetProcInstByHwInstName(const std::vector<MdtBase::PsfComp*>& insts,
                                                const String& hwName) {
  return static_cast<ProcInst*>(
      FindByParam(insts, "TavSoftware_ProcInst", "HW_INSTANCE", hwName));
}

int ProcInstUtil::AssignOwner(ProcInst* inst) { return rt::AssignOwner(inst, true); }

}  // namespace TavSoftware
