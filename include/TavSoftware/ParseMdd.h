// The reader of MDD files, the definition of one driver.
#ifndef TAVSOFTWARE_PARSEMDD_H
#define TAVSOFTWARE_PARSEMDD_H

#include "SwTypes.h"

namespace TavSoftware {

class Mdd;

class TAVSW_API ParseMdd {
 public:
  ParseMdd() = delete;

  // Reads `fileName` into `mdd`: the driver's name (the base name of the file
  // until BEGIN DRIVER names it), options, parameters, blocks, interfaces and
  // arrays. Entries are added to whatever `mdd` already holds; comments are
  // not kept. Every problem is reported through the message manager with
  // file and line; a rejected statement is dropped and reading goes on.
  // Returns:
  //   0      success; the error code is stored in `mdd` and every entry has
  //          its owner;
  //   n > 0  the number of errors; with the error code stored and owners set,
  //          unless reading stopped early (a bare BEGIN returns 1, an unknown
  //          keyword or a missing END DRIVER return the count at once: then
  //          `mdd` keeps what was read but neither is done);
  //   2      also when the file cannot be opened (after the error naming it);
  //   -1     for a null `mdd` (nothing is reported).
  // A file without BEGIN DRIVER (an empty one, say) counts as one error.
  // The parse state is private to the call; a parse started from inside
  // another (on the same thread) leaves the outer one intact.
  static int Parse(const String& fileName, Mdd* mdd);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PARSEMDD_H
