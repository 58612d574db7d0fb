// Bytes the allocator hands out at the moment, large mapped blocks and the
// node blocks mapped apart from the heap included.
#ifndef TAVSOFTWARE_BENCH_HEAPINUSE_H
#define TAVSOFTWARE_BENCH_HEAPINUSE_H

#include <malloc.h>

#include <cstddef>

#include "MdtBase.h"

inline size_t HeapInUse() {
  const struct mallinfo2 m = ::mallinfo2();
  return m.uordblks + m.hblkhd + MdtBase::NodeArena::MappedBytes();
}

#endif  // TAVSOFTWARE_BENCH_HEAPINUSE_H
