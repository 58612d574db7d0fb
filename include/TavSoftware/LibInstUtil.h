// Operations on library and OS instances.
#ifndef TAVSOFTWARE_LIBINSTUTIL_H
#define TAVSOFTWARE_LIBINSTUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class LibInst;

class TAVSW_API LibInstUtil {
 public:
  LibInstUtil() = delete;

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
