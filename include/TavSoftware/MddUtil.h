// Entry points to read, write and arrange driver definition files.
#ifndef TAVSOFTWARE_MDDUTIL_H
#define TAVSOFTWARE_MDDUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class Mdd;

class TAVSW_API MddUtil {
 public:
  MddUtil() = delete;

  // Reads the MDD file `path` into a new Mdd, owned by the caller; `status`
  // receives the number of errors. The object is returned even with errors.
  static Mdd* Parse(const String& path, int& status);
  // Reads the MDD file `path` into `mdd`; the number of errors.
  static int Parse(const String& path, Mdd* mdd);
  // Writes `mdd` to `path`; 0 on success.
  static int Write(const String& path, Mdd* mdd);

  // Makes `mdd` the owner of every entry (options and parameters, then
  // interfaces, array definitions, last blocks) and sets the owners below
  // each entry. 0; -1 for null.
  static int AssignOwner(Mdd* mdd);
  // True when the entry's most derived type tag is exactly the one the
  // sequence holds; false for null and for unlisted NodeType values (0, 1).
  static bool VerifyPropType(int nodeType, const MdtBase::Property* p);

  // Definition lookups outside the repositories are not offered: null.
  static Mdd* GetMddByName(const String& name);
  static Mdd* GetMddByName(const String& name, const String& version);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_MDDUTIL_H
