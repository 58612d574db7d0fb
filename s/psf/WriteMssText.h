// The text the MSS writer produces, rendered in memory: lets a caller
// compare it with a file on disk without writing anything.
#ifndef TAVSOFTWARE_S_PSF_WRITEMSSTEXT_H
#define TAVSOFTWARE_S_PSF_WRITEMSSTEXT_H

#include "SwTypes.h"

namespace TavSoftware {
class Mss;
}

namespace TavSoftware::detail {

// Exactly the bytes WriteMss::Write would put in a file; empty for null.
String WriteMssText(const Mss* mss);

}  // namespace TavSoftware::detail

#endif  // TAVSOFTWARE_S_PSF_WRITEMSSTEXT_H
