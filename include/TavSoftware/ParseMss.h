// The reader of MSS files, which describe the software of one system.
#ifndef TAVSOFTWARE_PARSEMSS_H
#define TAVSOFTWARE_PARSEMSS_H

#include "SwTypes.h"

namespace TavSoftware {

class Mss;

// A place where reading an MSS left out or changed text of the file without
// a message, as the format has it: a value that is not kept, a word after an
// interface name, quotes read as blanks, an array value that writes back
// otherwise. The Mss no longer holds what was there, so writing it back
// would lose it.
struct MssTextLoss {
  int line = 0;  // 1-based line of the file
  String what;   // what is lost, e.g. "value of file-level PARAMETER X is not kept"
};

class TAVSW_API ParseMss {
 public:
  ParseMss() = delete;

  // Reads `fileName` into `mss`: its global parameters, its driver, library,
  // OS and processor instances, and the comments of the file (the file's
  // global comment, the comment before or on each statement, the comment
  // after the last statement). The Mss takes its name from the file's base
  // name. Entries are added to whatever `mss` already holds; owners are not
  // assigned and the error count is not stored in `mss`.
  // Every problem is reported through the message manager with file and
  // line; a rejected statement is dropped and reading goes on to the end.
  // Returns the number of errors (0 = clean); 2 when the file cannot be
  // opened (after the error from the base library); -1 for a null `mss`.
  // One parse at a time per thread.
  static int Parse(const String& fileName, Mss* mss);
  // The same; when `losses` is not null every MssTextLoss found is appended
  // to it, in line order. With null it costs nothing beyond the plain read.
  static int Parse(const String& fileName, Mss* mss, std::vector<MssTextLoss>* losses);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PARSEMSS_H
