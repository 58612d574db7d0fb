// Operations on OS instances. Owner assignment, the type test and printing
// are LibInstUtil's.
#ifndef TAVSOFTWARE_OSINSTUTIL_H
#define TAVSOFTWARE_OSINSTUTIL_H

#include <boost/shared_ptr.hpp>
#include <vector>

#include "HwDb.h"
#include "SwTypes.h"

namespace TavSoftware {

class Mld;
class Mss;
class OsInst;
class SwRepos;
class SwReposMan;

class TAVSW_API OsInstUtil {
 public:
  OsInstUtil() = delete;

  // As LibInstUtil::AssignSwCore over the OS cores, with "OS_VER" as the
  // version and the OS messages.
  static int AssignSwCore(OsInst* inst, std::vector<SwRepos*>& repos);
  static int AssignSwCore(std::vector<OsInst*>& insts, std::vector<SwRepos*>& repos);
  // Entries that are not OS instances (by type tag) are skipped.
  static int AssignSwCore(std::vector<MdtBase::PsfComp*>& insts, std::vector<SwRepos*>& repos);
  static Mld* GetMldForOsInst(const OsInst* inst, std::vector<SwRepos*>& repos);

  static int CheckOsInst(const OsInst* inst, SwReposMan* man);
  // Undeclared parameters and array values; "OS_NAME", "OS_VER" and
  // "PROC_INSTANCE" exempt.
  static int CheckProperty(const OsInst* inst, const Mld* mld);
  static int CheckProperty(const OsInst* inst, const OsInst* ref);

  // As LibInstUtil::MergeMldLibObj, ending with the OS check.
  static int MergeMldOsObj(const OsInst* inst, const Mld* mld, OsInst* out);

  // Sets the name, then "OS_NAME", "OS_VER" and "PROC_INSTANCE".
  static void SetOsInstInfo(OsInst* inst, const String& procInstance, const String& name,
                            const String& version);
  static OsInst* GetOsInstByName(const std::vector<OsInst*>& insts, const String& name);
  // By "PROC_INSTANCE" (ignoring case).
  static OsInst* GetOsInstByHwInstName(const std::vector<OsInst*>& insts, const String& procName);
  // Entries that are not OS instances are skipped.
  static OsInst* GetOsInstByHwInstName(const std::vector<MdtBase::PsfComp*>& insts,
                                       const String& procName);
  static void AssignRequiredParams(Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                   SwReposMan* man, OsInst* src, OsInst* dst);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_OSINSTUTIL_H
