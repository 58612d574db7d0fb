// Operations on library instances (and, where OsInstUtil has no operation of
// its own, OS instances): binding, checking, merging with the definition,
// list services and printing.
#ifndef TAVSOFTWARE_LIBINSTUTIL_H
#define TAVSOFTWARE_LIBINSTUTIL_H

#include <boost/shared_ptr.hpp>
#include <vector>

#include "HwDb.h"
#include "SwTypes.h"

namespace TavSoftware {

class LibInst;
class Mld;
class Mss;
class SwRepos;
class SwReposMan;

class TAVSW_API LibInstUtil {
 public:
  LibInstUtil() = delete;

  // Finds the MLD of the instance's name and "LIBRARY_VER" (any version
  // when it has none) among the library cores of `repos`, asked in vector
  // order, and links the instance to it. 0 bound cleanly; the definition's
  // error code when it was read with errors (bound all the same); 1 no name
  // (error); 2 not found (error, then the directories searched); -1 null.
  static int AssignSwCore(LibInst* inst, std::vector<SwRepos*>& repos);
  static int AssignSwCore(std::vector<LibInst*>& insts, std::vector<SwRepos*>& repos);
  // Entries that are not library instances (by type tag) are skipped.
  static int AssignSwCore(std::vector<MdtBase::PsfComp*>& insts, std::vector<SwRepos*>& repos);
  // The MLD AssignSwCore would bind, without binding or the not-found
  // report; null when there is no name (reported) or no definition.
  static Mld* GetMldForLibInst(const LibInst* inst, std::vector<SwRepos*>& repos);

  // 1 when the instance has no name or no definition exists in the
  // manager's repositories (the latter reported); otherwise
  // CheckProperty(inst, mld).
  static int CheckLibInst(const LibInst* inst, SwReposMan* man);
  // The parameters and array values of `inst` that `mld` declares neither at
  // top level nor in a category, each reported; identity parameters exempt.
  static int CheckProperty(const LibInst* inst, const Mld* mld);
  // The same against another library instance.
  static int CheckProperty(const LibInst* inst, const LibInst* ref);

  // Name, options, parameters, interfaces, categories (included ones with
  // the MSS values, ignored ones with the defaults) and arrays of `out` from
  // the instance and its definition, then CheckProperty(inst, mld). The sum
  // of the steps' error counts; -1 for a null argument.
  static int MergeMldLibObj(const LibInst* inst, const Mld* mld, LibInst* out);

  // Sets the name, then "LIBRARY_NAME", "LIBRARY_VER" and "PROC_INSTANCE"
  // (each a new string value, added when missing). Nothing for null.
  static void SetLibInstInfo(LibInst* inst, const String& procInstance, const String& name,
                             const String& version);
  // The first instance of that name (ignoring case); null when none.
  static LibInst* GetLibInstByName(const std::vector<LibInst*>& insts, const String& name);
  // The first instance whose "PROC_INSTANCE" equals `procName` (ignoring
  // case); null when none.
  static LibInst* GetLibInstByHwInstName(const std::vector<LibInst*>& insts,
                                         const String& procName);
  // The same over components; entries that are not library (or OS)
  // instances are skipped.
  static LibInst* GetLibInstByHwInstName(const std::vector<MdtBase::PsfComp*>& insts,
                                         const String& procName);
  // Makes the instance the owner of its parameters, interfaces, array values
  // and options, and sets the owners below each. 0; -1 for null.
  static int AssignOwner(LibInst* inst);
  // Copies the parameters of `src` onto `dst` (bound to its definition),
  // choosing a value for each "*". Nothing when `dst` has no definition.
  static void AssignRequiredParams(Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                   SwReposMan* man, LibInst* src, LibInst* dst);

  // True when the most derived type tag of `p` is exactly the tag the
  // library-instance sequence `nodeType` holds: 0 "TavSoftware_Option",
  // 1 "TavSoftware_Param", 2 "TavSoftware_ArrayInst", 3
  // "TavSoftware_Interface". False for null, an untagged node or any other
  // NodeType.
  static bool VerifyPropType(int nodeType, const MdtBase::Property* p);
  // Writes the instance as an MSS block: its comment lines ("# "), "BEGIN "
  // followed by `kind` upper-cased ("os" gives "BEGIN OS"), its parameters,
  // array values, options and interfaces, "END". An empty `kind` is taken
  // from the instance: "OS" for an OsInst, else "LIBRARY". Nothing for a
  // null instance or writer.
  static void PrintLibInst(const LibInst* libInst, const String& kind,
                           MdtBase::UtStreamWriter* writer);
  // Writes a file-system block: "BEGIN FILESYS", " PARAMETER FILESYS_NAME =
  // <name>" when the instance has a name, its "proc_instance" parameter when
  // it has one, "END". No comment. Nothing for a null instance or writer.
  static void PrintFileSys(const LibInst* libInst, MdtBase::UtStreamWriter* writer);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_LIBINSTUTIL_H
