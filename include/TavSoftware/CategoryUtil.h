// Operations on the categories of a library or OS definition. A category
// carries, among its parameters, one with the category's own name; its
// sub-property "dep" may list (parameter = required value) conditions.
#ifndef TAVSOFTWARE_CATEGORYUTIL_H
#define TAVSOFTWARE_CATEGORYUTIL_H

#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

class Category;
class LibInst;
class Mld;

class TAVSW_API CategoryUtil {
 public:
  CategoryUtil() = delete;

  // Makes `category` the owner of its properties, options, parameters and
  // arrays (in that order) and sets the owners below each of them. 0; -1 for
  // null.
  static int AssignOwner(Category* category);
  // In each category in turn: its parameters, arrays, properties, options;
  // the first entry named `name` (ignoring case); null when none. Null
  // entries are skipped. Not owned by the caller.
  static MdtBase::Property* GetPropertyByName(const std::vector<Category*>& categories,
                                              const String& name);

  // Whether `category` applies to the library instance. False when the
  // category has no own parameter; true when that parameter has no "dep"
  // condition. Otherwise the first condition names a parameter (copied to
  // `paramName`) and a required value: true when the instance's value of it
  // (or, when the instance has none, the value in the owning Mld) equals the
  // required value ignoring case; false when it differs; true when the
  // category has no owning Mld or the Mld has no such parameter.
  // `libInst` may be null (it then has no values).
  static bool IsCategoryDepOnParam(const Category* category, const LibInst* libInst,
                                   String& paramName);
  // Appends to `out` every category of the owning Mld whose conditions name
  // `category`, once per such condition. 1 (nothing appended) when the
  // category has no own parameter or is null; otherwise 2. The entries
  // remain owned by the Mld.
  static int GetDepCategorySeq(const Category* category, std::vector<MdtBase::Property*>& out);
  // Appends to `out` the name of every category of `mld` whose first
  // condition names `paramName` (ignoring case). Nothing for a null `mld`.
  static void GetCategoryListDepOnParam(const String& paramName, const Mld* mld,
                                        std::vector<String>& out);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_CATEGORYUTIL_H
