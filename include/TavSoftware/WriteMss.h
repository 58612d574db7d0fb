// The writer of MSS files.
#ifndef TAVSOFTWARE_WRITEMSS_H
#define TAVSOFTWARE_WRITEMSS_H

#include <string>

#include "SwTypes.h"

namespace TavSoftware {

class Mss;

class TAVSW_API WriteMss {
 public:
  WriteMss() = delete;

  // Writes `mss` as MSS text: its comment, its global parameters and array
  // values, then the OS, processor, driver and library instances (in that
  // order, each kind in sequence order), then the end comment. The text is
  // written beside the target and moved into place only when complete, so
  // a failed write never damages an existing file.
  // With `stampFileInfo` nonzero each global parameter afterwards carries
  // `fileName` and the line where it now stands (only when the write
  // succeeded).
  // Returns 0 when written; 1 for a null or empty `fileName` (no message);
  // 2 when the file cannot be written, after the status message
  // "MSS file \"<fileName>\" could not be opened for writing"; -1 for a null
  // `mss`. `mss` is never changed other than by the stamping.
  static int Write(const String& fileName, Mss* mss, int stampFileInfo);
  static int Write(const char* fileName, Mss* mss, int stampFileInfo);
  // The same without stamping.
  static int Write(const String& fileName, const Mss* mss);
  static int Write(const char* fileName, const Mss* mss);
  // Exactly the text Write would put in a file, without a file: for callers
  // that compare it with what is on disk, read it back or print it. `mss`
  // is not changed.
  static std::string ToText(const Mss& mss);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_WRITEMSS_H
