// Operations on an MSS: finding its instances by hardware instance, by name
// and version, and by processor.
#ifndef TAVSOFTWARE_MSSUTIL_H
#define TAVSOFTWARE_MSSUTIL_H

#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

class DrvInst;
class LibInst;
class Mss;
class OsInst;
class SwReposMan;

// The instances returned are owned by the MSS. Names and versions are
// compared ignoring case; entries of a sequence that are not of the
// sequence's class (by type tag) are skipped.
class TAVSW_API MssUtil {
 public:
  MssUtil() = delete;

  // --- Lookups ---------------------------------------------------------------
  // The driver instance whose "HW_INSTANCE" is `hwInstName`, else the
  // processor instance of it; null for a null MSS, an empty name or no match.
  static DrvInst* GetDrvInstByHwInstName(const Mss* mss, const String& hwInstName);
  // The first driver instance, else the first processor instance, named
  // `name` whose "DRIVER_VER" is `version` (any version when `version` is
  // empty); null for a null MSS or no match.
  static DrvInst* GetDrvInstByNameVer(const Mss* mss, const String& name, const String& version);
  // The same over the OS instances with "OS_VER".
  static OsInst* GetOsInstByNameVer(const Mss* mss, const String& name, const String& version);
  // The same over the library instances with "LIBRARY_VER".
  static LibInst* GetLibInstByNameVer(const Mss* mss, const String& name, const String& version);
  // Appends every library instance whose "PROC_INSTANCE" is `procName`;
  // the number appended (0 for a null MSS).
  static int GetLibInstSeqByHwInstName(const Mss* mss, const String& procName,
                                       std::vector<LibInst*>& out);

  // --- Values ----------------------------------------------------------------
  // Appends the values a parameter definition allows, by its "type": an
  // enum's listed values, the "range" words of an int or string, "true" and
  // "false" for a bool, and for "library" ("driver") the names of the MSS's
  // library (driver) instances whose definition offers the interface named
  // by "requires_interface" (every one when it names none). The definitions
  // are looked up in the manager's repositories, else through the
  // instances' own links. Other types add nothing.
  static void GetListofValuesForParam(const Mss* mss, const MdtBase::Property* definition,
                                      SwReposMan* man, std::vector<String>& out);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_MSSUTIL_H
