// LibInstUtil: binding library instances, checking them against their
// definition, merging them into runtime components, list services.
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Mld.h"
#include "SwPropertyUtil.h"
#include "runtime/InstResolve.h"

namespace TavSoftware {

using namespace rt;

int LibInstUtil::AssignSwCore(LibInst* inst, std::vector<SwRepos*>& repos) {
  return rt::AssignSwCore(inst, repos, kLibraryVariant);
}

int LibInstUtil::AssignSwCore(std::vector<LibInst*>& insts, std::vector<SwRepos*>& repos) {
  int sum = 0;
  for (LibInst* inst : insts) sum += AssignSwCore(inst, repos);
  return sum;
}

int LibInstUtil::AssignSwCore(std::vector<MdtBase::PsfComp*>& insts,
                              std::vector<SwRepos*>& repos) {
  return AssignSwCoreList(insts, repos, kLibraryVariant, "TavSoftware_LibInst");
}

Mld* LibInstUtil::GetMldForLibInst(const LibInst* inst, std::vector<SwRepos*>& repos) {
  bool noName = false;
  MdtBase::BaseNode* def = FindDefinition(inst, repos, kLibraryVariant, noName);
  return MdtBase::BaseNode::IsBaseNodeType(def, "TavSoftware_Mld") ? static_cast<Mld*>(def)
                                                                     : nullptr;
}

int LibInstUtil::CheckLibInst(const LibInst* inst, SwReposMan* man) {
  return CheckInst(inst, man, kLibraryVariant, [inst](MdtBase::BaseNode* def) {
    return CheckProperty(inst, static_cast<const Mld*>(def));
  });
}

int LibInstUtil::CheckProperty(const LibInst* inst, const Mld* mld) {
  if (!inst || !mld) return 0;
  std::vector<const PropSeq*> params, arrays;
  DeclaredLists(mld, params, arrays);
  return CheckUndeclared(inst, params, &arrays, kExemptLibDef, mld->GetName(),
                         kLibraryVariant.undeclared);
}

int LibInstUtil::CheckProperty(const LibInst* inst, const LibInst* ref) {
  if (!inst || !ref) return 0;
  std::vector<const PropSeq*> params{&ref->GetPropSeqRef(LibInst::PARAMETERS)};
  std::vector<const PropSeq*> arrays{&ref->GetPropSeqRef(LibInst::ARRAYS)};
  return CheckUndeclared(inst, params, &arrays, kExemptLibRef, ref->GetName(),
                         kLibraryVariant.undeclared);
}

namespace rt {
int MergeMld(const LibInst* inst, const Mld* mld, LibInst* out) {
  out->SetName(inst->GetName());
  int count = SwPropertyUtil::CreateMergedPropertyList(
      mld->GetPropSeqRef(Mld::OPTIONS), inst->GetPropSeqRef(LibInst::OPTIONS),
      out->GetPropSeqRef(LibInst::OPTIONS), "OPTION", true);
  count += SwPropertyUtil::CreateMergedPropertyList(
      mld->GetPropSeqRef(Mld::PARAMETERS), inst->GetPropSeqRef(LibInst::PARAMETERS),
      out->GetPropSeqRef(LibInst::PARAMETERS), "PARAMETER", true);
  count += SwPropertyUtil::CreateMergedInterfaceList(mld->GetPropSeqRef(Mld::INTERFACES),
                                                     inst->GetPropSeqRef(LibInst::INTERFACES),
                                                     out->GetPropSeqRef(LibInst::INTERFACES),
                                                     "INTERFACE");
  count += SwPropertyUtil::MergeCategoryList(mld->GetPropSeqRef(Mld::CATEGORIES), inst, out,
                                             "CATEGORY");
  count += SwPropertyUtil::CreateMergedArrayInstList(mld->GetPropSeqRef(Mld::ARRAYS),
                                                     inst->GetPropSeqRef(LibInst::ARRAYS),
                                                     out->GetPropSeqRef(LibInst::ARRAYS), out,
                                                     "ARRAYINST");
  for (int nodeType : {0, 1, 2, 3}) StampNodeTypes(out->GetPropSeqRef(nodeType), nodeType);
  return count;
}
}  // namespace rt

int LibInstUtil::MergeMldLibObj(const LibInst* inst, const Mld* mld, LibInst* out) {
  if (!inst || !mld || !out) return -1;
  return MergeMld(inst, mld, out) + CheckProperty(inst, mld);
}

void LibInstUtil::SetLibInstInfo(LibInst* inst, const String& procInstance, const String& name,
                                 const String& version) {
  SetIdentity(inst, name, "LIBRARY_NAME", name, "LIBRARY_VER", version, "PROC_INSTANCE",
              procInstance);
}

LibInst* LibInstUtil::GetLibInstByName(const std::vector<LibInst*>& insts, const String& name) {
  for (LibInst* l : insts)
    if (l && Eq(l->GetName(), name)) return l;
  return nullptr;
}

LibInst* LibInstUtil::GetLibInstByHwInstName(const std::vector<LibInst*>& insts,
                                             const String& procName) {
  for (LibInst* l : insts)
    if (l && Eq(InstParamValue(l, "PROC_INSTANCE"), procName)) return l;
  return nullptr;
}

LibInst* LibInstUtil::GetLibInstByHwInstName(const std::vector<MdtBase::PsfComp*>& insts,
                                             const String& procName) {
  return static_cast<LibInst*>(
      FindByParam(insts, "TavSoftware_LibInst", "PROC_INSTANCE", procName));
}

int LibInstUtil::AssignOwner(LibInst* inst) { return rt::AssignOwner(inst, false); }

}  // namespace TavSoftware
