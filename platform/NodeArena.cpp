// Block storage for the nodes a reader makes. A large file turns into
// hundreds of thousands of small nodes; drawing them from big blocks saves
// the allocator's per-object header and bookkeeping, and a whole block goes
// back in one step once the last node in it is gone.
//
// A block is a power of two bytes at an address aligned to its size, so the
// block of any node in it is the node's address with the low bits cleared.
// Whether an address lies in a block, and of which size, is looked up in
// process-wide tables of live blocks, so a node needs no mark of where it
// came from and any thread may destroy it.
#include <sanitizer/asan_interface.h>

#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#include "MdtBase.h"

#ifndef __SANITIZE_ADDRESS__
#undef ASAN_POISON_MEMORY_REGION
#undef ASAN_UNPOISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace MdtBase {

namespace {

// A repository holds thousands of small files whose trees are kept: their
// nodes come from the heap as any others, since a block would mostly stand
// empty. Only after kHeapFirst bytes of nodes does an arena draw from
// blocks: a few small ones, then big ones, which the system is asked to back
// with huge pages (a fault per 2 MiB rather than per 4 KiB while a big tree
// is built).
constexpr size_t kHeapFirst = 64 * 1024;
constexpr unsigned kSmallShift = 16, kBigShift = 21;
constexpr size_t kSmallBlocks = 4;  // per arena, before big ones
// The block's header, and room to keep nodes 16-byte aligned.
constexpr size_t kHeader = 16;
// A node is placed at 8 bytes, or 16 when its size is a multiple of 16: a
// type that needs 16 has such a size, and smaller types are not padded.
size_t Rounded(size_t size) { return (size + 7) & ~size_t{7}; }
// Nodes larger than this take the heap: a block should hold many.
constexpr size_t kLargest = (size_t{1} << kSmallShift) / 8;

struct Block {
  // Live nodes, plus one while the arena still draws from the block.
  std::atomic<uint32_t> live;
  uint32_t shift;
  size_t Size() const { return size_t{1} << shift; }
};

// A table of live blocks of one size: one bit per possible block, in pages
// made on first use. Readers take no lock; a bit is set before a block
// hands out its first node and cleared after its last one is gone.
template <unsigned Shift>
class BlockTable {
 public:
  bool Has(uintptr_t addr) const {
    if ((addr >> kAddressBits) != 0) return false;
    Page* page = pages_[addr >> kPageShift].load(std::memory_order_acquire);
    if (!page) return false;
    const size_t bit = (addr >> Shift) & (kBitsPerPage - 1);
    return (page->words[bit / 64].load(std::memory_order_acquire) >> (bit % 64)) & 1u;
  }
  // False when the block's address cannot be recorded (then it is not used).
  bool Mark(uintptr_t addr, bool on) {
    if ((addr >> kAddressBits) != 0) return false;
    std::atomic<Page*>& slot = pages_[addr >> kPageShift];
    Page* page = slot.load(std::memory_order_acquire);
    if (!page) {
      std::lock_guard<std::mutex> lock(mu_);
      page = slot.load(std::memory_order_relaxed);
      if (!page) {
        // Pages are never freed: a few KiB per 4 GiB of address space used.
        page = new (std::nothrow) Page();
        if (!page) return false;
        slot.store(page, std::memory_order_release);
      }
    }
    const size_t bit = (addr >> Shift) & (kBitsPerPage - 1);
    const uint64_t mask = uint64_t{1} << (bit % 64);
    if (on)
      page->words[bit / 64].fetch_or(mask, std::memory_order_acq_rel);
    else
      page->words[bit / 64].fetch_and(~mask, std::memory_order_acq_rel);
    return true;
  }

 private:
  static constexpr unsigned kAddressBits = 48;
  static constexpr unsigned kPageShift = 32;  // a page of bits covers 4 GiB
  static constexpr size_t kBitsPerPage = size_t{1} << (kPageShift - Shift);
  struct Page {
    std::atomic<uint64_t> words[kBitsPerPage / 64];
  };
  std::atomic<Page*> pages_[size_t{1} << (kAddressBits - kPageShift)];
  std::mutex mu_;
};

// Ready before any static object can make a node, and never torn down.
constinit BlockTable<kSmallShift> g_small;
constinit BlockTable<kBigShift> g_big;

// The block `p` lies in; null when it lies in none.
Block* BlockOf(const void* p) {
  const auto addr = reinterpret_cast<uintptr_t>(p);
  if (g_big.Has(addr)) return reinterpret_cast<Block*>(addr & ~((uintptr_t{1} << kBigShift) - 1));
  if (g_small.Has(addr))
    return reinterpret_cast<Block*>(addr & ~((uintptr_t{1} << kSmallShift) - 1));
  return nullptr;
}

bool Mark(Block* block, bool on) {
  const auto addr = reinterpret_cast<uintptr_t>(block);
  return block->shift == kBigShift ? g_big.Mark(addr, on) : g_small.Mark(addr, on);
}

std::atomic<size_t> g_mapped{0};

// Big blocks are mapped straight from the system: the heap would map twice
// the size to align one, and count all of it. Under the address sanitizer
// they stay on the heap, where the leak checker sees them and what they
// point to.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kMapBig = false;
#else
constexpr bool kMapBig = true;
#endif

void* MapAligned(size_t size) {
  void* raw = ::mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto base = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (base + size - 1) & ~(uintptr_t{size} - 1);
  if (aligned > base) ::munmap(raw, aligned - base);
  if (aligned + size < base + 2 * size)
    ::munmap(reinterpret_cast<void*>(aligned + size), base + 2 * size - (aligned + size));
  g_mapped += size;
  return reinterpret_cast<void*>(aligned);
}

void FreeBlockMemory(void* mem, unsigned shift) {
  if (kMapBig && shift == kBigShift) {
    ::munmap(mem, size_t{1} << shift);
    g_mapped -= size_t{1} << shift;
  } else {
    std::free(mem);
  }
}

Block* NewBlock(unsigned shift) {
  const size_t size = size_t{1} << shift;
  void* mem = kMapBig && shift == kBigShift ? MapAligned(size) : std::aligned_alloc(size, size);
  if (!mem) return nullptr;
  // Only a hint: without huge pages the block works the same. Given before
  // the first byte is touched, or the first small page spoils it.
  if (shift == kBigShift) ::madvise(mem, size, MADV_HUGEPAGE);
  auto* block = new (mem) Block{{1}, shift};
  if (!Mark(block, true)) {
    FreeBlockMemory(mem, shift);
    return nullptr;
  }
  return block;
}

void Unref(Block* block) {
  if (block->live.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  Mark(block, false);
  const unsigned shift = block->shift;
  ASAN_UNPOISON_MEMORY_REGION(block, block->Size());
  block->~Block();
  FreeBlockMemory(block, shift);
}

thread_local NodeArena* t_arena = nullptr;

}  // namespace

NodeArena::NodeArena() : previous_(t_arena) { t_arena = this; }

NodeArena::~NodeArena() {
  t_arena = previous_;
  for (void* p : dead_)
    while (p) {
      ASAN_UNPOISON_MEMORY_REGION(p, sizeof(void*));
      void* next = *static_cast<void**>(p);
      ASAN_POISON_MEMORY_REGION(p, sizeof(void*));
      Unref(BlockOf(p));
      p = next;
    }
  if (block_) Unref(static_cast<Block*>(block_));
}

void* NodeArena::Take(size_t size) {
  size = Rounded(size);
  const size_t pad = size % 16 == 0 ? (reinterpret_cast<uintptr_t>(next_) & 8) : 0;
  if (static_cast<size_t>(end_ - next_) < pad + size) {
    Block* block = NewBlock(blocks_ < kSmallBlocks ? kSmallShift : kBigShift);
    if (!block) return nullptr;
    ++blocks_;
    if (block_) Unref(static_cast<Block*>(block_));
    block_ = block;
    next_ = reinterpret_cast<char*>(block) + kHeader;
    end_ = reinterpret_cast<char*>(block) + block->Size();
    // What is not handed out yet may not be touched.
    ASAN_POISON_MEMORY_REGION(next_, block->Size() - kHeader);
  } else {
    next_ += pad;
  }
  void* p = next_;
  next_ += size;
  static_cast<Block*>(block_)->live.fetch_add(1, std::memory_order_relaxed);
  ASAN_UNPOISON_MEMORY_REGION(p, size);
  return p;
}

void* NodeArena::Allocate(size_t size) {
  if (NodeArena* arena = t_arena; arena && size <= kLargest && size > 0) {
    if (size <= kReusable) {
      void*& dead = arena->dead_[Rounded(size) / 8];
      if (void* p = dead) {
        ASAN_UNPOISON_MEMORY_REGION(p, Rounded(size));
        dead = *static_cast<void**>(p);
        return p;
      }
    }
    if (arena->heapBytes_ < kHeapFirst)
      arena->heapBytes_ += size;
    else if (void* p = arena->Take(size))
      return p;
  }
  return ::operator new(size);
}

size_t NodeArena::MappedBytes() { return g_mapped.load(std::memory_order_relaxed); }

void* BaseNode::operator new(std::size_t size) { return NodeArena::Allocate(size); }
void BaseNode::operator delete(void* p, std::size_t size) noexcept { NodeArena::Release(p, size); }

void NodeArena::Release(void* p, size_t size) noexcept {
  if (!p) return;
  if (Block* block = BlockOf(p)) {
    // A dead node's bytes stay poisoned until its whole block goes, or
    // until an arena hands them out again. A slot of one size serves any
    // node of that size: it was placed with the alignment such a node needs.
    if (NodeArena* arena = t_arena; arena && size <= kReusable && size > 0) {
      void*& dead = arena->dead_[Rounded(size) / 8];
      *static_cast<void**>(p) = dead;
      dead = p;
      ASAN_POISON_MEMORY_REGION(p, Rounded(size));
      return;
    }
    ASAN_POISON_MEMORY_REGION(p, Rounded(size));
    Unref(block);
    return;
  }
  ::operator delete(p);
}

}  // namespace MdtBase
