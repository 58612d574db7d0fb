// Unified diff of two texts, line by line, for `tavsw fmt --diff`.
#ifndef TAVSOFTWARE_TOOLS_DIFF_H
#define TAVSOFTWARE_TOOLS_DIFF_H

#include <string>

namespace tavsw {

// The hunks that turn `before` into `after` with three lines of context,
// under the headers "--- <fromName>" and "+++ <toName>"; empty when the
// texts are equal. A middle part too long to compare line against line
// (over about four million pairs) is shown as removed and added whole.
std::string UnifiedDiff(const std::string& before, const std::string& after,
                        const std::string& fromName, const std::string& toName);

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_DIFF_H
