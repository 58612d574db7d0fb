// The engine behind the four instance utilities: binding an instance to its
// definition, the not-found report, and the undeclared-entry check. The
// driver, processor, library and OS variants differ only in the tables of a
// Variant.
#ifndef TAVSOFTWARE_RUNTIME_INSTRESOLVE_H
#define TAVSOFTWARE_RUNTIME_INSTRESOLVE_H

#include <initializer_list>
#include <vector>

#include "runtime/RuntimeCommon.h"

namespace TavSoftware {
class Mdd;
class Mld;
class SwReposMan;
}  // namespace TavSoftware

namespace TavSoftware::rt {

struct Variant {
  int reposKind;             // SwRepos::NodeType asked for
  const char* versionParam;  // "DRIVER_VER", "LIBRARY_VER", "OS_VER"
  const char* noName;        // file, line
  const char* notFoundBind;  // name, version
  const char* notFoundCheck; // file, line, name, version
  const char* dirLines[2];   // repository dir, core dir name; null when unused
  const char* undeclared;    // file, line, entry name, definition name
};

extern const Variant kDriverVariant;
extern const Variant kLibraryVariant;
extern const Variant kOsVariant;

// The definition for the instance's name and version; null when the
// instance has no name (`noName` set, the error reported) or none exists.
MdtBase::BaseNode* FindDefinition(const MdtBase::PsfComp* inst, std::vector<SwRepos*>& repos,
                                  const Variant& v, bool& noName);
// Binding with its results (0, the file's error code, 1, 2; -1 for null).
int AssignSwCore(MdtBase::PsfComp* inst, std::vector<SwRepos*>& repos, const Variant& v);
// The sum over the entries whose type tag is `tag`.
int AssignSwCoreList(std::vector<MdtBase::PsfComp*>& insts, std::vector<SwRepos*>& repos,
                     const Variant& v, const char* tag);
// "Directories Searched :" and the variant's lines for every repository.
void ReportDirectories(std::vector<SwRepos*>& repos, const Variant& v, const String& name,
                       const String& version);
// The check operation: 1 without a name or definition, else `check(def)`.
template <class Check>
int CheckInst(const MdtBase::PsfComp* inst, SwReposMan* man, const Variant& v, Check check);

using Names = std::initializer_list<const char*>;
// Exempt parameter names of the checks.
extern const Names kExemptDriverDef;  // driver and processor vs MDD, driver vs driver
extern const Names kExemptProcRef;    // processor vs processor
extern const Names kExemptLibDef;     // library vs MLD
extern const Names kExemptLibRef;     // library vs library
extern const Names kExemptOs;         // OS vs MLD and vs OS

// Reports every parameter of `inst` not found in `params` (exempt names
// aside) and, with `arrays`, every array value not found in them. The count.
int CheckUndeclared(const MdtBase::PsfComp* inst, const std::vector<const PropSeq*>& params,
                    const std::vector<const PropSeq*>* arrays, Names exempt, const String& refName,
                    const char* format);
// The declared parameter and array lists of a definition: its own, then
// every block's (Mdd) or category's (Mld).
void DeclaredLists(const Mdd* mdd, std::vector<const PropSeq*>& params,
                   std::vector<const PropSeq*>& arrays);
void DeclaredLists(const Mld* mld, std::vector<const PropSeq*>& params,
                   std::vector<const PropSeq*>& arrays);

// Sets the name, then the three identity parameters, each to a new string
// value, adding the parameter when missing.
void SetIdentity(MdtBase::PsfComp* inst, const String& name, const char* nameParam,
                 const String& nameValue, const char* verParam, const String& version,
                 const char* placeParam, const String& place);
// The first entry whose parameter `param` equals `value` (ignoring case;
// absent counts as empty), among entries with the type tag `tag`.
MdtBase::PsfComp* FindByParam(const std::vector<MdtBase::PsfComp*>& insts, const char* tag,
                              const char* param, const String& value);
// The first entry of that name with the type tag `tag`.
MdtBase::PsfComp* FindByName(const std::vector<MdtBase::PsfComp*>& insts, const char* tag,
                             const String& name);
// Owner assignment of the instance sequences: parameters, interfaces, array
// values, options (only parameters with `paramsOnly`).
int AssignOwner(MdtBase::PsfComp* inst, bool paramsOnly);

// The merge shared by libraries and OSs (they differ in the final check):
// name, options, parameters, interfaces, categories, arrays.
int MergeMld(const LibInst* inst, const Mld* mld, LibInst* out);

// Views a vector of derived pointers as component pointers.
template <class T>
std::vector<MdtBase::PsfComp*> AsComps(const std::vector<T*>& v) {
  return std::vector<MdtBase::PsfComp*>(v.begin(), v.end());
}

}  // namespace TavSoftware::rt

#include "SwReposMan.h"

namespace TavSoftware::rt {
template <class Check>
int CheckInst(const MdtBase::PsfComp* inst, SwReposMan* man, const Variant& v, Check check) {
  if (!inst || !man) return 1;
  bool noName = false;
  MdtBase::BaseNode* def = FindDefinition(inst, man->GetSwReposSeqRef(), v, noName);
  if (noName) return 1;
  if (!def) {
    String version = InstParamValue(inst, v.versionParam);
    Msg().issueError(v.notFoundCheck, inst->GetFileNameStr().c_str(), inst->GetLineNum(),
                     inst->GetName().c_str(), version.c_str());
    ReportDirectories(man->GetSwReposSeqRef(), v, inst->GetName(), version);
    return 1;
  }
  return check(def);
}
}  // namespace TavSoftware::rt

#endif  // TAVSOFTWARE_RUNTIME_INSTRESOLVE_H
