// The reader of MLD files, the definition of one library or operating system.
#ifndef TAVSOFTWARE_PARSEMLD_H
#define TAVSOFTWARE_PARSEMLD_H

#include "SwTypes.h"

namespace TavSoftware {

class Mld;

class TAVSW_API ParseMld {
 public:
  ParseMld() = delete;

  // Reads `fileName` into `mld`: the library's or OS's name (the base name of
  // the file until BEGIN LIBRARY/OS names it), options (with "MLD_TYPE"
  // "LIBRARY" or "OS" from the END line), parameters, categories, interfaces
  // and arrays. Entries are added to whatever `mld` already holds; comments
  // are not kept. Every problem is reported through the message manager with
  // file and line; a rejected statement is dropped and reading goes on.
  // Returns:
  //   0      success; the error code is stored in `mld` and every entry has
  //          its owner;
  //   n > 0  the number of errors; with the error code stored and owners set,
  //          unless reading stopped early (a bare BEGIN returns 1, an unknown
  //          keyword or a missing END LIBRARY/OS return the count at once:
  //          then `mld` keeps what was read but neither is done);
  //   2      also when the file cannot be opened (after the error naming it);
  //   -1     for a null `mld` (nothing is reported).
  // A file without BEGIN LIBRARY or BEGIN OS (an empty one, say) counts as
  // one error. The parse state is private to the call; a parse started from
  // inside another (on the same thread) leaves the outer one intact.
  static int Parse(const String& fileName, Mld* mld);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PARSEMLD_H
