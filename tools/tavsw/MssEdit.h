// Writing an edited MSS so that the user can trust it: the file's own text
// changed only where the model changed, read back before it replaces the
// file, and put in place atomically with the file's mode and owner.
#ifndef TAVSOFTWARE_TOOLS_MSSEDIT_H
#define TAVSOFTWARE_TOOLS_MSSEDIT_H

#include <string>
#include <utility>
#include <vector>

#include "Mss.h"

namespace tavsw {

// What the components of an MSS said before the edit, taken from a plain
// read of the file: each component's block as the writer prints it, and
// the key that finds it again after the edit (kind and instance).
struct MssSnapshot {
  struct Comp {
    std::string key;
    std::string printed;  // the block, comment lines left out
  };
  // Per kind in the order of the text: OS, processor, driver, library.
  std::vector<Comp> comps[4];
};

MssSnapshot TakeSnapshot(const TavSoftware::Mss& mss);

// The text of `original` (the file the snapshot was read from) changed so
// that it reads as `after`: blocks whose component did not change keep
// every byte; a changed block has only its changed lines replaced, removed
// or added; a removed component's block goes with the comment lines just
// above it; a new component's block comes after the last block. `renames`
// lists the instance renames made, in order, so that a renamed component
// is still found. Line ends follow the file's first line (CRLF kept).
// When the text cannot be matched with the model (a block the reader did
// not keep), the whole file in the standard layout is returned and
// `standardLayout` is set.
std::string EditedText(const std::string& original, const MssSnapshot& before,
                       const TavSoftware::Mss& after,
                       const std::vector<std::pair<std::string, std::string>>& renames,
                       bool& standardLayout);

// Reads `text` with the MSS reader and compares what it gives with `meant`:
// the same global parameters and, for each component, the same parameters,
// array rows and interfaces (comments and order aside). "" when it reads
// back clean and equal; else what went wrong, with the line when the
// reader named one. With `warningsAllowed` a warning alone (one the text
// read at first gave too, say) is no problem.
std::string ReadBackProblem(const std::string& text, const TavSoftware::Mss& meant,
                            bool warningsAllowed = false);

// Writes `text` to `path` through a new file beside it, renamed into place:
// through a symbolic link to its target, keeping an existing file's mode
// (and, as root, its owner and group). A read-only or non-regular target is
// refused. "" on success, else the reason.
std::string WriteFileAtomically(const std::string& path, const std::string& text);

// The whole content of a file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& text);

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_MSSEDIT_H
