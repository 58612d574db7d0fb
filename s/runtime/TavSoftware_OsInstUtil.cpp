// OsInstUtil: the OS variant of binding, checking, merging and list services.
#include "OsInstUtil.h"

#include "Mld.h"
#include "OsInst.h"
#include "runtime/InstResolve.h"

namespace TavSoftware {

using namespace rt;

int OsInstUtil::AssignSwCore(OsInst* inst, std::vector<SwRepos*>& repos) {
  return rt::AssignSwCore(inst, repos, kOsVariant);
}

int OsInstUtil::AssignSwCore(std::vector<OsInst*>& insts, std::vector<SwRepos*>& repos) {
  int sum = 0;
  for (OsInst* inst : insts) sum += AssignSwCore(inst, repos);
  return sum;
}

int OsInstUtil::AssignSwCore(std::vector<MdtBase::PsfComp*>& insts, std::vector<SwRepos*>& repos) {
  return AssignSwCoreList(insts, repos, kOsVariant, "TavSoftware_OsInst");
}

Mld* OsInstUtil::GetMldForOsInst(const OsInst* inst, std::vector<SwRepos*>& repos) {
  bool noName = false;
  MdtBase::BaseNode* def = FindDefinition(inst, repos, kOsVariant, noName);
  return MdtBase::BaseNode::IsBaseNodeType(def, "TavSoftware_Mld") ? static_cast<Mld*>(def)
                                                                     : nullptr;
}

int OsInstUtil::CheckOsInst(const OsInst* inst, SwReposMan* man) {
  return CheckInst(inst, man, kOsVariant, [inst](MdtBase::BaseNode* def) {
    return CheckProperty(inst, static_cast<const Mld*>(def));
  });
}

int OsInstUtil::CheckProperty(const OsInst* inst, const Mld* mld) {
  if (!inst || !mld) return 0;
  std::vector<const PropSeq*> params, arrays;
  DeclaredLists(mld, params, arrays);
  return CheckUndeclared(inst, params, &arrays, kExemptOs, mld->GetName(), kOsVariant.undeclared);
}

int OsInstUtil::CheckProperty(const OsInst* inst, const OsInst* ref) {
  if (!inst || !ref) return 0;
  std::vector<const PropSeq*> params{&ref->GetPropSeqRef(LibInst::PARAMETERS)};
  std::vector<const PropSeq*> arrays{&ref->GetPropSeqRef(LibInst::ARRAYS)};
  return CheckUndeclared(inst, params, &arrays, kExemptOs, ref->GetName(), kOsVariant.undeclared);
}

int OsInstUtil::MergeMldOsObj(const OsInst* inst, const Mld* mld, OsInst* out) {
  if (!inst || !mld || !out) return -1;
  return MergeMld(inst, mld, out) + CheckProperty(inst, mld);
}

void OsInstUtil::SetOsInstInfo(OsInst* inst, const String& procInstance, const String& name,
                               const String& version) {
  SetIdentity(inst, name, "OS_NAME", name, "OS_VER", version, "PROC_INSTANCE", procInstance);
}

OsInst* OsInstUtil::GetOsInstByName(const std::vector<OsInst*>& insts, const String& name) {
  for (OsInst* o : insts)
    if (o && Eq(o->GetName(), name)) return o;
  return nullptr;
}

OsInst* OsInstUtil::GetOsInstByHwInstName(const std::vector<OsInst*>& insts,
                                          const String& procName) {
  for (OsInst* o : insts)
    if (o && Eq(InstParamValue(o, "PROC_INSTANCE"), procName)) return o;
  return nullptr;
}

OsInst* OsInstUtil::GetOsInstByHwInstName(const std::vector<MdtBase::PsfComp*>& insts,
                                          const String& procName) {
  return static_cast<OsInst*>(FindByParam(insts, "TavSoftware_OsInst", "PROC_INSTANCE", procName));
}

}  // namespace TavSoftware
