// The hardware description a command uses when --hw is not given: the file
// the MSS names in its HW_SPEC_FILE, relative to the MSS.
#ifndef TAVSOFTWARE_TOOLS_INFOHW_H
#define TAVSOFTWARE_TOOLS_INFOHW_H

#include <string>

#include "Command.h"

namespace tavsw {

// What the MSS `mss` names as its hardware description: the path (made
// relative to the MSS's directory unless absolute) and the line; an empty
// path when it names none or cannot be read. Reading says nothing: the
// command reads the file again and reports its problems then.
struct NamedHw {
  std::string path;
  int line = 0;
  bool mssRead = false;
};
NamedHw HwNamedBy(const std::string& mss);

// Fills an empty `hw` from the MSS's HW_SPEC_FILE and says so (a note on
// stderr, so that standard output stays the command's answer). Returns 0 to
// go on, else the exit status: 1 when the named file is not there or, with
// `required`, the MSS cannot be read; 2 when `required` and nothing names
// the hardware. Without `required`, `hw` may stay empty. A --hw given is
// used as it is.
int DefaultHw(Context& ctx, const std::string& mss, std::string& hw, bool required);

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_INFOHW_H
