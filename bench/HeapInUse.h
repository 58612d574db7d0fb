// Bytes the allocator hands out at the moment, large mapped blocks included.
#ifndef TAVSOFTWARE_BENCH_HEAPINUSE_H
#define TAVSOFTWARE_BENCH_HEAPINUSE_H

#include <malloc.h>

#include <cstddef>

inline size_t HeapInUse() {
  const struct mallinfo2 m = ::mallinfo2();
  return m.uordblks + m.hblkhd;
}

#endif  // TAVSOFTWARE_BENCH_HEAPINUSE_H
