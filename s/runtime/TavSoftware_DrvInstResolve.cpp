// DrvInstUtil: binding driver instances, checking them against their
// definition, merging them into runtime components, list services.
#include "ArrayInst.h"
#include "Block.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "Mdd.h"
#include "SwPropertyUtil.h"
#include "runtime/InstResolve.h"

namespace TavSoftware {

using namespace rt;

int DrvInstUtil::AssignSwCore(DrvInst* inst, std::vector<SwRepos*>& repos) {
  return rt::AssignSwCore(inst, repos, kDriverVariant);
}

int DrvInstUtil::AssignSwCore(std::vector<DrvInst*>& insts, std::vector<SwRepos*>& repos) {
  int sum = 0;
  for (DrvInst* inst : insts) sum += AssignSwCore(inst, repos);
  return sum;
}

int DrvInstUtil::AssignSwCore(std::vector<MdtBase::PsfComp*>& insts,
                              std::vector<SwRepos*>& repos) {
  return AssignSwCoreList(insts, repos, kDriverVariant, "TavSoftware_DrvInst");
}

Mdd* DrvInstUtil::GetMddForDrvInst(const DrvInst* inst, std::vector<SwRepos*>& repos) {
  bool noName = false;
  MdtBase::BaseNode* def = FindDefinition(inst, repos, kDriverVariant, noName);
  return MdtBase::BaseNode::IsBaseNodeType(def, "TavSoftware_Mdd") ? static_cast<Mdd*>(def)
                                                                     : nullptr;
}

int DrvInstUtil::CheckDrvInst(const DrvInst* inst, SwReposMan* man) {
  return CheckInst(inst, man, kDriverVariant, [inst](MdtBase::BaseNode* def) {
    return CheckProperty(inst, static_cast<const Mdd*>(def));
  });
}

int DrvInstUtil::CheckProperty(const DrvInst* inst, const Mdd* mdd) {
  if (!inst || !mdd) return 0;
  std::vector<const PropSeq*> params, arrays;
  DeclaredLists(mdd, params, arrays);
  return CheckUndeclared(inst, params, &arrays, kExemptDriverDef, mdd->GetName(),
                         kDriverVariant.undeclared);
}

int DrvInstUtil::CheckProperty(const DrvInst* inst, const DrvInst* ref) {
  if (!inst || !ref) return 0;
  std::vector<const PropSeq*> params{&ref->GetPropSeqRef(DrvInst::PARAMETERS)};
  std::vector<const PropSeq*> arrays{&ref->GetPropSeqRef(DrvInst::ARRAYS)};
  return CheckUndeclared(inst, params, &arrays, kExemptDriverDef, ref->GetName(),
                         kDriverVariant.undeclared);
}

bool DrvInstUtil::IsDrvPropertyValid(const DrvInst* inst, const Mdd* mdd, int kind,
                                     const String& name) {
  if (!mdd) return false;
  if (mdd->GetPropertyByName(kind, name)) return true;
  int blockKind = -1;
  switch (kind) {
    case Mdd::OPTIONS: blockKind = Block::OPTIONS; break;
    case Mdd::PARAMETERS: blockKind = Block::PARAMETERS; break;
    case Mdd::INTERFACES: blockKind = Block::INTERFACES; break;
    case Mdd::ARRAYS: blockKind = Block::ARRAYS; break;
    default: return false;
  }
  for (const MdtBase::Property* b : mdd->GetPropSeqRef(Mdd::BLOCKS)) {
    if (!MdtBase::BaseNode::IsBaseNodeType(b, "TavSoftware_Block")) continue;
    const Block* block = static_cast<const Block*>(b);
    if (SwPropertyUtil::IsBlockIncluded(block, inst, mdd) &&
        block->GetPropertyByName(blockKind, name))
      return true;
  }
  return false;
}

int DrvInstUtil::MergeMddDrvObj(const DrvInst* inst, const Mdd* mdd, DrvInst* out) {
  if (!inst || !mdd || !out) return -1;
  out->SetName(inst->GetName());
  int count = SwPropertyUtil::CreateMergedPropertyList(
      mdd->GetPropSeqRef(Mdd::OPTIONS), inst->GetPropSeqRef(DrvInst::OPTIONS),
      out->GetPropSeqRef(DrvInst::OPTIONS), "OPTION", true);
  count += SwPropertyUtil::CreateMergedPropertyList(
      mdd->GetPropSeqRef(Mdd::PARAMETERS), inst->GetPropSeqRef(DrvInst::PARAMETERS),
      out->GetPropSeqRef(DrvInst::PARAMETERS), "PARAMETER", true);
  count += SwPropertyUtil::CreateMergedInterfaceList(mdd->GetPropSeqRef(Mdd::INTERFACES),
                                                     inst->GetPropSeqRef(DrvInst::INTERFACES),
                                                     out->GetPropSeqRef(DrvInst::INTERFACES),
                                                     "INTERFACE");
  count += SwPropertyUtil::MergeBlockList(mdd->GetPropSeqRef(Mdd::BLOCKS), inst, out, "BLOCK");
  count += SwPropertyUtil::CreateMergedArrayInstList(mdd->GetPropSeqRef(Mdd::ARRAYS),
                                                     inst->GetPropSeqRef(DrvInst::ARRAYS),
                                                     out->GetPropSeqRef(DrvInst::ARRAYS), out,
                                                     "ARRAYINST");
  for (int nodeType : {0, 1, 2, 3}) StampNodeTypes(out->GetPropSeqRef(nodeType), nodeType);
  count += CheckProperty(inst, mdd);
  return count;
}

int DrvInstUtil::CopyDrvInst(DrvInst* dst, const DrvInst* src) {
  if (!dst || !src) return -1;
  CopyCompBase(src, dst);
  int count = SwPropertyUtil::CreateMergedPropertyList(src->GetPropSeqRef(DrvInst::OPTIONS),
                                                       dst->GetPropSeqRef(DrvInst::OPTIONS),
                                                       "OPTION");
  count += SwPropertyUtil::CreateMergedPropertyList(src->GetPropSeqRef(DrvInst::PARAMETERS),
                                                    dst->GetPropSeqRef(DrvInst::PARAMETERS),
                                                    "PARAMETER");
  count += SwPropertyUtil::CreateMergedInterfaceList(src->GetPropSeqRef(DrvInst::INTERFACES),
                                                     dst->GetPropSeqRef(DrvInst::INTERFACES),
                                                     "INTERFACE");
  count += SwPropertyUtil::CreateMergedArrayInstList(
      src->GetPropSeqRef(DrvInst::ARRAYS), dst->GetPropSeqRef(DrvInst::ARRAYS), dst, "ARRAYINST");
  for (int nodeType : {0, 1, 2, 3}) StampNodeTypes(dst->GetPropSeqRef(nodeType), nodeType);
  return count;
}

void DrvInstUtil::SetDrvInstInfo(DrvInst* inst, const String& hwInstance, const String& name,
                                 const String& version) {
  SetIdentity(inst, name, "DRIVER_NAME", name, "DRIVER_VER", version, "HW_INSTANCE", hwInstance);
}

void DrvInstUtil::SetDriverInfo(DrvInst* inst, const String& hwInstance, const String& name,
                                const String& version) {
  SetDrvInstInfo(inst, hwInstance, name, version);
}

DrvInst* DrvInstUtil::GetDrvInstByName(const std::vector<DrvInst*>& insts, const String& name) {
  for (DrvInst* d : insts)
    if (d && Eq(d->GetName(), name)) return d;
  return nullptr;
}

DrvInst* DrvInstUtil::GetDrvInstByHwInstName(const std::vector<DrvInst*>& insts,
                                             const String& hwName) {
  for (DrvInst* d : insts)
    if (d && Eq(InstParamValue(d, "HW_INSTANCE"), hwName)) return d;
  return nullptr;
}

DrvInst* DrvInstUtil::GetDrvInstByHwInstName(const std::vector<MdtBase::PsfComp*>& insts,
                                             const String& hwName) {
  return static_cast<DrvInst*>(FindByParam(insts, "TavSoftware_DrvInst", "HW_INSTANCE", hwName));
}

int DrvInstUtil::AssignOwner(DrvInst* inst) { return rt::AssignOwner(inst, false); }

}  // namespace TavSoftware
