#include "Mdd.h"
#include "Mld.h"
#include "ParseMdd.h"
#include "ParseMld.h"
#include "SwCore.h"
#include "repos/CoreRenames.h"

namespace TavSoftware {

namespace {

Port_MsgManData Msg(int line) { return Port_MsgManData::createObject("VEK", __FILE__, line, ""); }

// Index 0 is the MLD and 1 the MDD, as the NodeType values say.
bool IsFileKind(int kind) { return kind == SwCore::MLD || kind == SwCore::MDD; }

}  // namespace

struct SwCoreImp {
  String name;
  String version;
  Port::FileName coreDir;
  String psfVersion = "_v2_1_0";
  int psfKind = -1;
  std::unique_ptr<MdtBase::PsfFile> obj[2];
  bool missing[2] = {false, false};
  // Reader errors over the core's life; kept for debugging, no caller sees it.
  int parseErrors = 0;

  // The definition file of `kind`, with `base` as its base name.
  String FilePath(int kind, const String& base) const {
    Port::FileName f(coreDir);
    f.PushPathEnd(base);
    f.SetExtension(kind == SwCore::MDD ? ".mdd" : ".mld");
    return f.GetFullName();
  }

  // Reads `path` into `file`, the right reader for `kind`; the error count.
  static int Read(int kind, const String& path, MdtBase::PsfFile* file) {
    String drive = MdtBase::BaseUtils::GetDriveName(path, false);
    if (kind == SwCore::MDD) return ParseMdd::Parse(drive, static_cast<Mdd*>(file));
    return ParseMld::Parse(drive, static_cast<Mld*>(file));
  }

  // The readers leave no error code in the file when they stop early (a
  // fatal syntax error, no END, a file that cannot be opened), yet what they
  // read is half a definition: the core records the count, so that every
  // caller asking the file for its error code skips it.
  static int ReadCounted(int kind, const String& path, MdtBase::PsfFile* file) {
    int rc = Read(kind, path, file);
    if (rc > 0 && file->GetErrorCode() == 0) file->SetErrorCode(rc);
    return rc;
  }

  static std::unique_ptr<MdtBase::PsfFile> Make(int kind) {
    if (kind == SwCore::MDD) return std::make_unique<Mdd>();
    return std::make_unique<Mld>();
  }

  static void ReportErrors(int kind, const String& path) {
    if (kind == SwCore::MDD)
      Msg(__LINE__).issueError("Errors while parsing MDD file %s\n", path.c_str());
    else
      Msg(__LINE__).issueError("Errors while parsing MLD file %s\n", path.c_str());
  }

  // True when the definition declares itself obsolete.
  static bool IsObsolete(int kind, MdtBase::PsfFile* file) {
    String state;
    if (kind == SwCore::MDD) {
      state = static_cast<Mdd*>(file)->GetPropertyValueStr(Mdd::OPTIONS, "DRIVER_STATE");
    } else {
      Mld* mld = static_cast<Mld*>(file);
      state = mld->GetPropertyValueStr(Mld::OPTIONS, "LIBRARY_STATE");
      if (state.empty()) state = mld->GetPropertyValueStr(Mld::OPTIONS, "OS_STATE");
    }
    return state.EqualsNoCase("OBSOLETE");
  }
};

SwCore::SwCore() : imp_(std::make_unique<SwCoreImp>()) {
  BaseNode::AddBaseNode(this, "TavSoftware_SwCore");
}

SwCore::SwCore(const String& name, const String& version) : SwCore() {
  imp_->name = name;
  imp_->version = version;
}

SwCore::~SwCore() = default;

const String& SwCore::GetName() const { return imp_->name; }
void SwCore::SetName(const String& name) {
  imp_->name = name;
  ++detail::g_coreRenames;
}
const String& SwCore::GetVersion() const { return imp_->version; }
void SwCore::SetVersion(const String& version) { imp_->version = version; }
String SwCore::GetNameVersion() const { return imp_->name + "_v" + imp_->version; }

bool SwCore::SetNameVersion(const String& text) {
  String name, version;
  if (!MdtBase::BaseUtils::SeperateDirAndVer(text, name, version)) return false;
  imp_->name = name;
  imp_->version = version;
  ++detail::g_coreRenames;
  return true;
}

Port::FileName SwCore::GetCoreDir() const { return imp_->coreDir; }
void SwCore::SetCoreDir(const std::string& dir) { imp_->coreDir = Port::FileName(dir); }
void SwCore::SetCoreDir(const char* dir) { imp_->coreDir = Port::FileName(dir ? dir : ""); }
void SwCore::SetCoreDir(const Port::FileName& dir) { imp_->coreDir = dir; }
String SwCore::GetPsfVersion() const { return imp_->psfVersion; }
void SwCore::SetPsfVersion(const String& version) { imp_->psfVersion = version; }
String SwCore::GetPsfVerFilenameStr() { return "2_1_0"; }
int SwCore::GetPsfKind() const { return imp_->psfKind; }
void SwCore::SetPsfKind(int kind) { imp_->psfKind = kind; }

int SwCore::SetPsfFileObj(int kind, MdtBase::PsfComp* obj) {
  if (!IsFileKind(kind)) return -1;
  const char* tag = kind == MDD ? "TavSoftware_Mdd" : "TavSoftware_Mld";
  if (obj && !BaseNode::IsBaseNodeType(obj, tag)) return -1;
  if (obj == imp_->obj[kind].get()) return 0;
  imp_->obj[kind].reset(static_cast<MdtBase::PsfFile*>(obj));
  if (obj) {
    obj->SetOwner(this);
    imp_->missing[kind] = false;
  }
  return 0;
}

MdtBase::PsfComp* SwCore::GetPsfFileObj(int kind) {
  if (!IsFileKind(kind)) return nullptr;
  if (imp_->missing[kind]) return nullptr;
  if (MdtBase::PsfFile* loaded = imp_->obj[kind].get()) {
    loaded->SetOwner(this);
    return loaded;
  }
  String path = imp_->FilePath(kind, imp_->name + imp_->psfVersion);
  if (!Port::File::isfile(path)) {
    imp_->missing[kind] = true;
    return nullptr;
  }
  std::unique_ptr<MdtBase::PsfFile> file = SwCoreImp::Make(kind);
  int rc = SwCoreImp::ReadCounted(kind, path, file.get());
  // A definition with errors stays in use: later lookups get it without a
  // second report.
  if (rc > 0) SwCoreImp::ReportErrors(kind, path);
  imp_->parseErrors += rc;
  file->SetOwner(this);
  imp_->obj[kind] = std::move(file);
  return imp_->obj[kind].get();
}

bool SwCore::IsPsfFileObjLoaded(int kind) const {
  return IsFileKind(kind) && imp_->obj[kind] != nullptr;
}

bool SwCore::IsPsfFileMissing(int kind) const { return IsFileKind(kind) && imp_->missing[kind]; }

int SwCore::ReloadPsfFileObj(int kind) {
  if (kind == BOTH) return ReloadPsfFileObj(MDD) + ReloadPsfFileObj(MLD);
  if (!IsFileKind(kind)) return -1;
  String path = imp_->FilePath(kind, imp_->name + "_v" + GetPsfVerFilenameStr());
  std::unique_ptr<MdtBase::PsfFile>& slot = imp_->obj[kind];
  int64_t stamp = 0;
  bool haveStamp = Port::File::getdatetime(path, stamp);
  if (slot) {
    // The file is gone: the object is kept, since components may still
    // point into it; the caller decides what to do with the core.
    if (!haveStamp) return 1;
    // Only a file written after the object was read needs reading again.
    if (stamp <= slot->GetDateTime()) return 0;
  } else if (!Port::File::isfile(path)) {
    imp_->missing[kind] = true;
    return 0;
  }
  if (slot) {
    if (kind == MDD)
      static_cast<Mdd*>(slot.get())->Clear();
    else
      static_cast<Mld*>(slot.get())->Clear();
  } else {
    slot = SwCoreImp::Make(kind);
  }
  imp_->missing[kind] = false;
  int rc = SwCoreImp::ReadCounted(kind, path, slot.get());
  imp_->parseErrors += rc;
  if (SwCoreImp::IsObsolete(kind, slot.get())) {
    slot.reset();
    imp_->missing[kind] = true;
    return 0;
  }
  if (rc > 0) SwCoreImp::ReportErrors(kind, path);
  slot->SetOwner(this);
  return rc;
}

int SwCore::Destroy(int kind) {
  if (kind == BOTH) return Destroy(MDD) + Destroy(MLD);
  if (!IsFileKind(kind) || !imp_->obj[kind]) return 0;
  imp_->obj[kind].reset();
  return 1;
}

}  // namespace TavSoftware
