// How many times any core was renamed: indexes of cores by name compare it
// with the count they were made at to know they are out of date.
#ifndef TAVSOFTWARE_REPOS_CORERENAMES_H
#define TAVSOFTWARE_REPOS_CORERENAMES_H

#include <atomic>

namespace TavSoftware::detail {

inline std::atomic<unsigned long> g_coreRenames{0};

}  // namespace TavSoftware::detail

#endif
