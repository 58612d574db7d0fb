// The writer of driver definitions: a sectioned listing of an Mdd.
#ifndef TAVSOFTWARE_WRITEMDD_H
#define TAVSOFTWARE_WRITEMDD_H

#include "SwTypes.h"

namespace TavSoftware {

class Mdd;

class TAVSW_API WriteMdd {
 public:
  WriteMdd() = delete;

  // Writes the parameters and options of `mdd` under "# Parameters" and
  // "# Options", and one empty line per block, interface and array under
  // "# Blocks", "# Interfaces " and "# Arrays ". The listing is a dump, not
  // a complete MDD: contents of blocks, interfaces and arrays are not
  // written. The text replaces the target only when complete.
  // With `stampFileInfo` nonzero each parameter and option afterwards
  // carries `fileName` and the line where it now stands (only when the
  // write succeeded).
  // Returns 0 when written; 1 for a null or empty `fileName`; 2 when the
  // file cannot be written, after the status message
  // "MDD file \"<fileName>\" could not be opened for writing"; -1 for a null
  // `mdd`.
  static int Write(const String& fileName, Mdd* mdd, int stampFileInfo);
  static int Write(const char* fileName, Mdd* mdd, int stampFileInfo);
  // The same without stamping.
  static int Write(const String& fileName, const Mdd* mdd);
  static int Write(const char* fileName, const Mdd* mdd);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_WRITEMDD_H
