// Entry points to read and arrange library and OS definition files.
#ifndef TAVSOFTWARE_MLDUTIL_H
#define TAVSOFTWARE_MLDUTIL_H

#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

class Mld;

class TAVSW_API MldUtil {
 public:
  MldUtil() = delete;

  // Reads the MLD file `path` into a new Mld, owned by the caller; `status`
  // receives the number of errors. The object is returned even with errors.
  static Mld* Parse(const String& path, int& status);
  // Reads the MLD file `path` into `mld`; the number of errors.
  static int Parse(const String& path, Mld* mld);

  // Makes `mld` the owner of every entry (options and parameters, then
  // interfaces, array definitions, last categories) and sets the owners
  // below each entry. 0; -1 for null.
  static int AssignOwner(Mld* mld);
  // True when the entry's most derived type tag is exactly the one the
  // sequence holds; false for null and for unlisted NodeType values (0, 1).
  static bool VerifyPropType(int nodeType, const MdtBase::Property* p);

  // Definition lookups outside the repositories are not offered: null.
  static Mld* GetMldByName(const String& name);
  static Mld* GetMldByName(const String& name, const String& version);
  // Reading every definition of a directory is not offered: reads nothing,
  // leaves `list` unchanged and returns 1.
  static int ParseMldsInDir(const String& dir, std::vector<Mld*>& list, int flag,
                            const String& pattern);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_MLDUTIL_H
