// SwRTUtil: building the runtime model from an MSS, and the MSS entry points
// around it (read, write, initialise, empty, bind, set owners).
#include "SwRTUtil.h"

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Driver.h"
#include "DrvInstUtil.h"
#include "Library.h"
#include "Mdd.h"
#include "Mld.h"
#include "LibInstUtil.h"
#include "Mss.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "Param.h"
#include "ParseMss.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "Processor.h"
#include "SwRTClass.h"
#include "SwRepos.h"
#include "SwReposMan.h"
#include "WriteMss.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using namespace rt;
using MdtBase::BaseNode;

namespace {

// What differs between the four kinds of component while they are built.
struct BuildKind {
  int mssSeq;
  const char* tag;          // type tag of the source instances
  const char* noName;       // null: a nameless instance is skipped silently
  const char* versionParam;
  int reposKind;
  const char* extension;
  const char* notFound;     // file, line, definition file, name, version
  const char* dirLines[2];  // repository directory (with separator), core directory
  bool rawDirForLines;      // the line has its own "/" after the directory
  const char* createFailed;
  const char* entryName;
  const char* closing[5];   // information line, then four status lines
};

constexpr const char* kMddClosing[5] = {
    "Check the following for possible causes of not finding MDD:\n",
    "  - If DRIVER_VER is specified in MSS, it must follow literal form X.YY.Z\n",
    "  - There is no driver with given name\n", "  - Driver exists but not that version\n",
    "  - Driver and version (directory) exist but no MDD is available\n"};

const BuildKind kDrivers = {
    Mss::DRIVERS, "TavSoftware_DrvInst", nullptr, "DRIVER_VER", SwRepos::DRIVER, "_v2_1_0.mdd",
    "%s line %i - Cannot find MDD file %s for the driver %s %s\n",
    {"  - %sdrivers/%s/data\n", "  - %spcores/%s/data\n"}, false,
    "%s line %i - Cannot create derived driver object\n", "DRVINST",
    {kMddClosing[0], kMddClosing[1], kMddClosing[2], kMddClosing[3], kMddClosing[4]}};
const BuildKind kProcessors = {
    Mss::PROCESSORS, "TavSoftware_ProcInst", "%s line %i - Name of Driver not specified in MSS file\n",
    "DRIVER_VER", SwRepos::DRIVER, "_v2_1_0.mdd",
    "%s line %i - Cannot find MDD file %s for the driver %s %s\n",
    {"  - %sdrivers/%s/data\n", "  - %spcores/%s/data\n"}, false,
    "%s line %i - Cannot create derived driver object\n", "PROCINST",
    {kMddClosing[0], kMddClosing[1], kMddClosing[2], kMddClosing[3], kMddClosing[4]}};
const BuildKind kOses = {
    Mss::OSES, "TavSoftware_OsInst", "%s line %i - Name of OS not specified in MSS file\n", "OS_VER",
    SwRepos::OS, "_v2_1_0.mld", "%s line %i - Cannot find MLD file %s for the os %s %s\n",
    {"  - %sbsp/%s/data\n", nullptr}, false, "%s line %i - Cannot create derived os object\n",
    "OSINST",
    {"Check the following for possible causes of not finding MLD:\n",
     "  - If OS_VER is specified in MSS, it must follow literal form X.YY.Z\n",
     "  - There is no OS with given name\n", "  - OS exists but not that version\n",
     "  - OS and version (directory) exist but no MLD is available\n"}};
const BuildKind kLibraries = {
    Mss::LIBRARIES, "TavSoftware_LibInst", "%s line %i - Name of Library not specified in MSS file\n",
    "LIBRARY_VER", SwRepos::LIBRARY, "_v2_1_0.mld",
    "%s line %i - Cannot find MLD file %s for the library %s %s\n",
    {"  - %s/sw_services/%s/data\n", nullptr}, true,
    "%s line %i - Cannot create derived library object\n", "LIBINST",
    {"Check the following for possible causes of not finding MLD:\n",
     "  - If LIBRARY_VER is specified in MSS, it must follow literal form X.YY.Z\n",
     "  - There is no library with given name\n", "  - Library exists but not that version\n",
     "  - Library and version (directory) exist but no MLD is available\n"}};

// Makes, merges and links the component of one bound instance.
MdtBase::PsfComp* MakeComponent(const BuildKind& k, const MdtBase::PsfComp* src,
                                MdtBase::BaseNode* def, int& count) {
  if (&k == &kDrivers) {
    auto d = std::make_unique<Driver>();
    count += DrvInstUtil::MergeMddDrvObj(static_cast<const DrvInst*>(src),
                                         static_cast<const Mdd*>(def), d.get());
    return d.release();
  }
  if (&k == &kProcessors) {
    auto p = std::make_unique<Processor>();
    count += ProcInstUtil::MergeMddProcObj(static_cast<const ProcInst*>(src),
                                           static_cast<const Mdd*>(def), p.get());
    return p.release();
  }
  if (&k == &kOses) {
    auto o = std::make_unique<OsInst>();
    count += OsInstUtil::MergeMldOsObj(static_cast<const OsInst*>(src),
                                       static_cast<const Mld*>(def), o.get());
    return o.release();
  }
  auto l = std::make_unique<Library>();
  count += LibInstUtil::MergeMldLibObj(static_cast<const LibInst*>(src),
                                       static_cast<const Mld*>(def), l.get());
  return l.release();
}

void Link(MdtBase::PsfComp* comp, MdtBase::BaseNode* def, MdtBase::BaseNode* core) {
  if (DrvInst* d = AsDrvInst(comp)) {
    d->SetBaseNodePtr(DrvInst::CORE, core);
    d->SetBaseNodePtr(DrvInst::DEFINITION, def);
  } else if (LibInst* l = AsLibInst(comp)) {
    l->SetBaseNodePtr(LibInst::CORE, core);
    l->SetBaseNodePtr(LibInst::DEFINITION, def);
  }
}

MdtBase::NameValue* PointerEntry(const char* name, const MdtBase::BaseNode* target) {
  auto* nv = new MdtBase::NameValue(String(name));
  nv->SetMdtValuePtr(new MdtBase::BaseNodePtrVal(const_cast<MdtBase::BaseNode*>(target)));
  return nv;
}

// The definitions found so far, by core name and version as asked: a
// system names the same few cores thousands of times.
using FoundDefinitions = std::unordered_map<std::string, MdtBase::BaseNode*>;

// The definition `src` is bound to; null when it has none (reported, and
// `missing` set) or its file could not be read (its error code counted).
MdtBase::BaseNode* Resolve(const BuildKind& k, const MdtBase::PsfComp* src,
                           std::vector<SwRepos*>& repos, FoundDefinitions& found, int& count,
                           bool& missing) {
  Port_MsgManData msg = Msg();
  const String& name = src->GetName();
  const char* file = src->GetFileNameStr().c_str();
  if (name.empty()) {
    if (k.noName) {
      msg.issueError(k.noName, file, src->GetLineNum());
      ++count;
    }
    return nullptr;
  }
  const String version = InstParamValue(src, k.versionParam);
  std::string key = name;
  key.append(1, '\0').append(version);
  MdtBase::BaseNode*& known = found[key];
  if (!known) known = SwRepos::GetCoreByName(repos, k.reposKind, name, version, 0);
  MdtBase::BaseNode* def = known;
  if (!def) {
    msg.issueError(k.notFound, file, src->GetLineNum(), (name + k.extension).c_str(),
                   name.c_str(), version.c_str());
    msg.issueInfo("Directories Searched :\n");
    const String core = CoreDirName(name, version);
    for (SwRepos* r : repos) {
      if (!r) continue;
      const String dir = k.rawDirForLines ? r->GetReposDir() : DirWithSlash(r->GetReposDir());
      for (const char* line : k.dirLines)
        if (line) msg.issueStatus(line, dir.c_str(), core.c_str());
    }
    ++count;
    missing = true;
    return nullptr;
  }
  if (int code = static_cast<MdtBase::PsfFile*>(def)->GetErrorCode()) {
    count += code;
    return nullptr;
  }
  return def;
}

// Links the component made of `src` and `def` to both and to the model.
void Complete(const BuildKind& k, MdtBase::PsfComp* comp, const MdtBase::PsfComp* src,
              MdtBase::BaseNode* def, SwRTClass* model) {
  comp->SetLocInFile(src->GetLocInFile());
  // Messages about the component name the MSS line it came from.
  comp->SetFileNameShared(src->GetSharedFileName());
  comp->SetLineNum(src->GetLineNum());
  comp->SetOwner(model);
  MdtBase::BaseNode* core = def->GetOwner();
  comp->AddNV(PointerEntry(k.entryName, src));
  comp->AddNV(PointerEntry("SWCORE", core));
  Link(comp, def, core);
}

// Builds the components of kind `k`.
int BuildKindOf(const BuildKind& k, const Mss* mss, SwRTClass* model,
                std::vector<SwRepos*>& repos) {
  int count = 0;
  bool missing = false;
  FoundDefinitions found;
  for (const MdtBase::PsfComp* src : mss->GetPsfCompSeqRef(k.mssSeq)) {
    if (!BaseNode::IsBaseNodeType(src, k.tag)) continue;
    MdtBase::BaseNode* def = Resolve(k, src, repos, found, count, missing);
    if (!def) continue;
    MdtBase::PsfComp* comp = MakeComponent(k, src, def, count);
    Complete(k, comp, src, def, model);
    model->AddNameValue(comp);
  }
  if (missing) {
    Port_MsgManData msg = Msg();
    msg.issueInfo("%s", k.closing[0]);
    for (int i = 1; i < 5; ++i) msg.issueStatus("%s", k.closing[i]);
    msg.issueStatus("\n");
  }
  return count;
}

// Sets the owners below every component.
int AssignOwners(Mss* mss) {
  if (!mss) return 1;
  int count = 0;
  for (MdtBase::PsfComp* p : mss->GetPsfCompSeqRef(Mss::PARAMETERS)) {
    if (!p) continue;
    p->SetOwner(mss);
    if (BaseNode::IsBaseNodeType(p, "MdtBas_Property"))
      count += MdtBase::PropertyUtil::AssignOwner(static_cast<MdtBase::Property*>(p), nullptr);
  }
  for (int seq : {Mss::DRIVERS, Mss::LIBRARIES, Mss::OSES, Mss::PROCESSORS}) {
    for (MdtBase::PsfComp* c : mss->GetPsfCompSeqRef(seq)) {
      if (!c) continue;
      c->SetOwner(mss);
      if (seq == Mss::PROCESSORS && BaseNode::IsBaseNodeType(c, "TavSoftware_ProcInst"))
        count += ProcInstUtil::AssignOwner(static_cast<ProcInst*>(c));
      else if (seq == Mss::DRIVERS && AsDrvInst(c))
        count += DrvInstUtil::AssignOwner(AsDrvInst(c));
      else if (AsLibInst(c))
        count += LibInstUtil::AssignOwner(AsLibInst(c));
    }
  }
  return count;
}

}  // namespace

SwRTClass* SwRTUtil::CreateSwRTObject(const boost::shared_ptr<TavHwDb::HwDb>& hw, const Mss* mss,
                                      SwReposMan& reposMan, int& errors, const char* procName) {
  auto* model = new SwRTClass();
  errors = 0;
  if (!mss) return model;
  std::vector<SwRepos*>& repos = reposMan.GetSwReposSeqRef();
  model->SetHwDbPtr(hw);
  model->SetFileName(mss->GetFileNameStr());
  int count = 0;
  for (const MdtBase::PsfComp* p : mss->GetPsfCompSeqRef(Mss::PARAMETERS)) {
    if (!BaseNode::IsBaseNodeType(p, "MdtBas_Property")) continue;
    auto* copy = new Param();
    count += MdtBase::PropertyUtil::CopyPropertyBase(static_cast<const MdtBase::Property*>(p), copy);
    model->AddPsfComp(Mss::PARAMETERS, copy);
  }
  for (const BuildKind* k : {&kDrivers, &kProcessors, &kOses, &kLibraries})
    count += BuildKindOf(*k, mss, model, repos);

  count += AssignOwners(model);
  if (count == 0) count += CheckSwRTClass(model, repos);
  if (count == 0) count += UpdateSwData(model, repos, procName);
  errors = count;
  return model;
}

SwRTClass* SwRTUtil::CreateSwRTObject(const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                      const char* mssFile, SwReposMan& reposMan, int& errors,
                                      const char* procName) {
  auto mss = std::make_unique<Mss>();
  int parsed = Parse(mssFile ? mssFile : "", mss.get());
  SwRTClass* model = CreateSwRTObject(hw, mss.get(), reposMan, errors, procName);
  // The model points into the MSS it was built from, so it keeps it.
  model->AdoptSourceMss(mss.release());
  errors += parsed;
  return model;
}

int SwRTUtil::Parse(const char* file, Mss* mss) {
  return ParseMss::Parse(file ? file : "", mss) + CheckMss(mss);
}

int SwRTUtil::Parse(const char* file, Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw) {
  return ParseMss::Parse(file ? file : "", mss) + CheckMss(mss, hw);
}

int SwRTUtil::Write(const char* file, Mss* mss) { return WriteMss::Write(file, mss, 1); }

int SwRTUtil::InitMss(Mss* mss) {
  if (Clear(mss)) return 1;
  auto* version = new Param(String("VERSION"));
  version->SetMdtValuePtr(new MdtBase::StrVal(String("2.2.0")));
  mss->AddPsfComp(Mss::PARAMETERS, version);
  return 0;
}

int SwRTUtil::Clear(Mss* mss) {
  if (!mss) return 1;
  for (int seq = Mss::PARAMETERS; seq <= Mss::PROCESSORS; ++seq) mss->DelPsfCompSeq(seq);
  return 0;
}

int SwRTUtil::AssignSwCore(Mss* mss, std::vector<SwRepos*>& repos) {
  if (!mss) return 0;
  return DrvInstUtil::AssignSwCore(mss->GetPsfCompSeqRef(Mss::DRIVERS), repos) +
         LibInstUtil::AssignSwCore(mss->GetPsfCompSeqRef(Mss::LIBRARIES), repos) +
         OsInstUtil::AssignSwCore(mss->GetPsfCompSeqRef(Mss::OSES), repos) +
         ProcInstUtil::AssignSwCore(mss->GetPsfCompSeqRef(Mss::PROCESSORS), repos);
}

int SwRTUtil::AssignSwCore(Mss* mss, SwReposMan* man) {
  if (!man) return -1;
  return AssignSwCore(mss, man->GetSwReposSeqRef());
}

int SwRTUtil::AssignOwner(Mss* mss) { return AssignOwners(mss); }

}  // namespace TavSoftware
