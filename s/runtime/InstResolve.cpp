#include "runtime/InstResolve.h"

#include <string>
#include <unordered_set>

#include "ArrayInstUtil.h"
#include "Block.h"
#include "Category.h"
#include "DrvInst.h"
#include "InterfaceUtil.h"
#include "Interface.h"
#include "ArrayInst.h"
#include "LibInst.h"
#include "Mdd.h"
#include "Mld.h"
#include "Param.h"
#include "SwRepos.h"

namespace TavSoftware::rt {

const Variant kDriverVariant = {
    SwRepos::DRIVER,
    "DRIVER_VER",
    "%s line %i - Driver Name is not specified in MSS file\n",
    "Cannot find MDD for the driver %s %s\n",
    "%s line %i - Cannot find MDD for the driver %s %s\n",
    {"  - %sdrivers/%s/data\n", "  - %spcores/%s/data\n"},
    "%s line %i - %s is not a configurable parameter for driver %s\n"};
const Variant kLibraryVariant = {
    SwRepos::LIBRARY,
    "LIBRARY_VER",
    "%s line %i - Library Name is not specified in MSS file\n",
    "Cannot find MLD for the library %s %s\n",
    "%s line %i - Cannot find MLD for the library %s %s\n",
    {"  - %ssw_services/%s/data\n", nullptr},
    "%s line %i - %s is not a configurable parameter for library %s\n"};
const Variant kOsVariant = {
    SwRepos::OS,
    "OS_VER",
    "%s line %i - Os Name is not specified in MSS file\n",
    "Cannot find MLD for the os %s %s\n",
    "%s line %i - Cannot find MLD for the os %s %s\n",
    {"  - %sbsp/%s/data\n", nullptr},
    "%s line %i - %s is not a configurable parameter for os %s\n"};

const Names kExemptDriverDef = {"DRIVER_NAME", "DRIVER_VER",  "HW_INSTANCE", "SUB_HW_INSTANCE",
                                "SUB_HW_INSTANCE_LIST", "LIBRARY", "LIBRARY_VER"};
const Names kExemptProcRef = {"DRIVER_VER",      "DRIVER_NAME",      "HW_INSTANCE",
                              "SUB_HW_INSTANCE", "DEBUG_PERIPHERAL", "LIBRARY_VER"};
const Names kExemptLibDef = {"DRIVER_VER",    "DRIVER_NAME",  "HW_INSTANCE", "SUB_HW_INSTANCE",
                             "PROC_INSTANCE", "LIBRARY_NAME", "LIBRARY_VER"};
const Names kExemptLibRef = {"DRIVER_VER",    "HW_INSTANCE",  "SUB_HW_INSTANCE",
                             "PROC_INSTANCE", "LIBRARY_NAME", "LIBRARY_VER"};
const Names kExemptOs = {"OS_VER", "OS_NAME", "PROC_INSTANCE"};

MdtBase::BaseNode* FindDefinition(const MdtBase::PsfComp* inst, std::vector<SwRepos*>& repos,
                                  const Variant& v, bool& noName) {
  noName = false;
  if (!inst) return nullptr;
  if (inst->GetName().empty()) {
    Msg().issueError(v.noName, inst->GetFileNameStr().c_str(), inst->GetLineNum());
    noName = true;
    return nullptr;
  }
  return SwRepos::GetCoreByName(repos, v.reposKind, inst->GetName(),
                                InstParamValue(inst, v.versionParam), 0);
}

void ReportDirectories(std::vector<SwRepos*>& repos, const Variant& v, const String& name,
                       const String& version) {
  Port_MsgManData msg = Msg();
  msg.issueInfo("Directories Searched :\n");
  const String core = CoreDirName(name, version);
  for (SwRepos* r : repos) {
    if (!r) continue;
    const String dir = DirWithSlash(r->GetReposDir());
    for (const char* line : v.dirLines)
      if (line) msg.issueStatus(line, dir.c_str(), core.c_str());
  }
}

namespace {
void Link(MdtBase::PsfComp* inst, MdtBase::BaseNode* def, MdtBase::BaseNode* core) {
  if (DrvInst* d = AsDrvInst(inst)) {
    d->SetBaseNodePtr(DrvInst::DEFINITION, def);
    d->SetBaseNodePtr(DrvInst::CORE, core);
  } else if (LibInst* l = AsLibInst(inst)) {
    l->SetBaseNodePtr(LibInst::DEFINITION, def);
    l->SetBaseNodePtr(LibInst::CORE, core);
  }
}
}  // namespace

int AssignSwCore(MdtBase::PsfComp* inst, std::vector<SwRepos*>& repos, const Variant& v) {
  if (!inst) return -1;
  bool noName = false;
  MdtBase::BaseNode* def = FindDefinition(inst, repos, v, noName);
  if (noName) return 1;
  if (!def) {
    const String version = InstParamValue(inst, v.versionParam);
    Msg().issueError(v.notFoundBind, inst->GetName().c_str(), version.c_str());
    ReportDirectories(repos, v, inst->GetName(), version);
    return 2;
  }
  Link(inst, def, def->GetOwner());
  return static_cast<MdtBase::PsfFile*>(def)->GetErrorCode();
}

int AssignSwCoreList(std::vector<MdtBase::PsfComp*>& insts, std::vector<SwRepos*>& repos,
                     const Variant& v, const char* tag) {
  int sum = 0;
  for (MdtBase::PsfComp* c : insts)
    if (MdtBase::BaseNode::IsBaseNodeType(c, tag)) sum += AssignSwCore(c, repos, v);
  return sum;
}

namespace {
// The declared names of some lists. Most components declare a few entries,
// searched in place; for many, a set of their lower-case names keeps the
// check of an instance linear.
class DeclaredNames {
 public:
  explicit DeclaredNames(const std::vector<const PropSeq*>& lists) : lists_(lists) {
    size_t total = 0;
    for (const PropSeq* seq : lists) total += seq->size();
    if (total <= kScanned) return;
    for (const PropSeq* seq : lists)
      for (const MdtBase::Property* p : *seq)
        if (p) names_.insert(String(p->GetName()).MakeLower());
  }
  bool Has(const String& name) const {
    if (names_.empty()) {
      for (const PropSeq* seq : lists_)
        if (MdtBase::PropertyUtil::GetPropertyByName(*seq, name, 0)) return true;
      return false;
    }
    return names_.count(String(name).MakeLower()) != 0;
  }

 private:
  static constexpr size_t kScanned = 16;
  const std::vector<const PropSeq*>& lists_;
  std::unordered_set<std::string> names_;
};

void Report(const char* format, const MdtBase::Property* p, const String& refName) {
  Msg().issueError(format, p->GetFileNameStr().c_str(), p->GetLineNum(), p->GetName().c_str(),
                   refName.c_str());
}
}  // namespace

int CheckUndeclared(const MdtBase::PsfComp* inst, const std::vector<const PropSeq*>& params,
                    const std::vector<const PropSeq*>* arrays, Names exempt, const String& refName,
                    const char* format) {
  int count = 0;
  const DeclaredNames paramNames(params);
  for (const MdtBase::Property* p : InstSeq(inst, 1)) {
    if (!p || paramNames.Has(p->GetName()) || InNames(p->GetName(), exempt)) continue;
    Report(format, p, refName);
    ++count;
  }
  if (!arrays) return count;
  const DeclaredNames arrayNames(*arrays);
  for (const MdtBase::Property* a : InstSeq(inst, 2)) {
    if (!a || arrayNames.Has(a->GetName())) continue;
    Report(format, a, refName);
    ++count;
  }
  return count;
}

void DeclaredLists(const Mdd* mdd, std::vector<const PropSeq*>& params,
                   std::vector<const PropSeq*>& arrays) {
  params.push_back(&mdd->GetPropSeqRef(Mdd::PARAMETERS));
  arrays.push_back(&mdd->GetPropSeqRef(Mdd::ARRAYS));
  for (const MdtBase::Property* b : mdd->GetPropSeqRef(Mdd::BLOCKS)) {
    if (!MdtBase::BaseNode::IsBaseNodeType(b, "TavSoftware_Block")) continue;
    params.push_back(&static_cast<const Block*>(b)->GetPropSeqRef(Block::PARAMETERS));
    arrays.push_back(&static_cast<const Block*>(b)->GetPropSeqRef(Block::ARRAYS));
  }
}

void DeclaredLists(const Mld* mld, std::vector<const PropSeq*>& params,
                   std::vector<const PropSeq*>& arrays) {
  params.push_back(&mld->GetPropSeqRef(Mld::PARAMETERS));
  arrays.push_back(&mld->GetPropSeqRef(Mld::ARRAYS));
  for (const MdtBase::Property* c : mld->GetPropSeqRef(Mld::CATEGORIES)) {
    if (!MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_Category")) continue;
    params.push_back(&static_cast<const Category*>(c)->GetPropSeqRef(Category::PARAMETERS));
    arrays.push_back(&static_cast<const Category*>(c)->GetPropSeqRef(Category::ARRAYS));
  }
}

void SetIdentity(MdtBase::PsfComp* inst, const String& name, const char* nameParam,
                 const String& nameValue, const char* verParam, const String& version,
                 const char* placeParam, const String& place) {
  if (!inst) return;
  inst->SetName(name);
  PropSeq* params = InstSeqMutable(inst, 1);
  if (!params) return;
  const std::pair<const char*, const String*> entries[] = {
      {nameParam, &nameValue}, {verParam, &version}, {placeParam, &place}};
  for (const auto& [param, value] : entries) {
    MdtBase::Property* p = MdtBase::PropertyUtil::GetPropertyByName(*params, param, 0);
    if (!p) {
      p = new Param(String(param));
      p->SetOwner(inst);
      int added = -1;
      if (DrvInst* d = AsDrvInst(inst))
        added = d->AddProperty(1, p);
      else if (LibInst* l = AsLibInst(inst))
        added = l->AddProperty(1, p);
      if (added < 0) {
        delete p;
        continue;
      }
    }
    p->SetMdtValuePtr(new MdtBase::StrVal(*value));
  }
}

MdtBase::PsfComp* FindByParam(const std::vector<MdtBase::PsfComp*>& insts, const char* tag,
                              const char* param, const String& value) {
  for (MdtBase::PsfComp* c : insts)
    if (MdtBase::BaseNode::IsBaseNodeType(c, tag) && Eq(InstParamValue(c, param), value)) return c;
  return nullptr;
}

MdtBase::PsfComp* FindByName(const std::vector<MdtBase::PsfComp*>& insts, const char* tag,
                             const String& name) {
  for (MdtBase::PsfComp* c : insts)
    if (MdtBase::BaseNode::IsBaseNodeType(c, tag) && Eq(c->GetName(), name)) return c;
  return nullptr;
}

int AssignOwner(MdtBase::PsfComp* inst, bool paramsOnly) {
  if (!inst) return -1;
  for (int nodeType : {1, 3, 2, 0}) {
    if (paramsOnly && nodeType != 1) break;
    PropSeq* seq = InstSeqMutable(inst, nodeType);
    if (!seq) return -1;
    for (MdtBase::Property* p : *seq) {
      if (!p) continue;
      p->SetOwner(inst);
      if (nodeType == 3 && MdtBase::BaseNode::IsBaseNodeType(p, "TavSoftware_Interface"))
        InterfaceUtil::AssignOwner(static_cast<Interface*>(p));
      else if (nodeType == 2 && MdtBase::BaseNode::IsBaseNodeType(p, "TavSoftware_ArrayInst"))
        ArrayInstUtil::AssignOwner(static_cast<ArrayInst*>(p));
      else
        MdtBase::PropertyUtil::AssignOwner(p, nullptr);
    }
  }
  return 0;
}

}  // namespace TavSoftware::rt
