// The text the MSS writer makes of an Mss, without a file: for callers that
// compare it with the file on disk or print it.
#ifndef TAVSOFTWARE_S_PSF_MSSTEXT_H
#define TAVSOFTWARE_S_PSF_MSSTEXT_H

#include <string>

namespace TavSoftware {
class Mss;
}

namespace TavSoftware::detail {

// Exactly what WriteMss::Write(fileName, &mss) would write; `mss` is not
// changed.
std::string MssText(const Mss& mss);

}  // namespace TavSoftware::detail

#endif  // TAVSOFTWARE_S_PSF_MSSTEXT_H
