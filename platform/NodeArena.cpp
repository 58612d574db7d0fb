// Block storage for the nodes a reader makes. A large file turns into
// hundreds of thousands of small nodes; drawing them from big blocks saves
// the allocator's per-object header and bookkeeping, and a whole block goes
// back in one step once the last node in it is gone.
//
// A block is kBlockSize bytes at an address aligned to its size, so the
// block of any node in it is the node's address with the low bits cleared.
// Whether an address lies in a block is looked up in a process-wide table of
// live blocks, so a node needs no mark of where it came from and any thread
// may destroy it.
#include <sanitizer/asan_interface.h>

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

constexpr unsigned kBlockShift = 16;
constexpr size_t kBlockSize = size_t{1} << kBlockShift;
// The block's count of live nodes, and room to keep nodes 16-byte aligned.
constexpr size_t kHeader = 16;
// A node is placed at 8 bytes, or 16 when its size is a multiple of 16: a
// type that needs 16 has such a size, and smaller types are not padded.
size_t Rounded(size_t size) { return (size + 7) & ~size_t{7}; }
// Nodes larger than this take the heap: a block should hold many.
constexpr size_t kLargest = kBlockSize / 8;

struct Block {
  // Live nodes, plus one while the arena still draws from the block.
  std::atomic<uint32_t> live;
};

// The table of live blocks: one bit per possible block, in pages made on
// first use. Readers take no lock; a bit is set before a block hands out its
// first node and cleared after its last one is gone.
constexpr unsigned kAddressBits = 48;
constexpr unsigned kPageShift = 32;  // a page of bits covers 4 GiB of addresses
constexpr size_t kPages = size_t{1} << (kAddressBits - kPageShift);
constexpr size_t kBitsPerPage = size_t{1} << (kPageShift - kBlockShift);
struct Page {
  std::atomic<uint64_t> words[kBitsPerPage / 64];
};

std::atomic<Page*> g_pages[kPages];
std::mutex g_pagesMu;

bool InTable(uintptr_t addr) {
  if ((addr >> kAddressBits) != 0) return false;
  Page* page = g_pages[addr >> kPageShift].load(std::memory_order_acquire);
  if (!page) return false;
  const size_t bit = (addr >> kBlockShift) & (kBitsPerPage - 1);
  return (page->words[bit / 64].load(std::memory_order_acquire) >> (bit % 64)) & 1u;
}

// False when the block's address cannot be recorded (then it is not used).
bool Mark(uintptr_t addr, bool on) {
  if ((addr >> kAddressBits) != 0) return false;
  std::atomic<Page*>& slot = g_pages[addr >> kPageShift];
  Page* page = slot.load(std::memory_order_acquire);
  if (!page) {
    std::lock_guard<std::mutex> lock(g_pagesMu);
    page = slot.load(std::memory_order_relaxed);
    if (!page) {
      // Pages are never freed: a few KiB per 4 GiB of address space used.
      page = new (std::nothrow) Page();
      if (!page) return false;
      slot.store(page, std::memory_order_release);
    }
  }
  const size_t bit = (addr >> kBlockShift) & (kBitsPerPage - 1);
  const uint64_t mask = uint64_t{1} << (bit % 64);
  if (on)
    page->words[bit / 64].fetch_or(mask, std::memory_order_acq_rel);
  else
    page->words[bit / 64].fetch_and(~mask, std::memory_order_acq_rel);
  return true;
}

Block* BlockOf(const void* p) {
  return reinterpret_cast<Block*>(reinterpret_cast<uintptr_t>(p) & ~(kBlockSize - 1));
}

void Unref(Block* block) {
  if (block->live.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  Mark(reinterpret_cast<uintptr_t>(block), false);
  ASAN_UNPOISON_MEMORY_REGION(block, kBlockSize);
  block->~Block();
  std::free(block);
}

thread_local NodeArena* t_arena = nullptr;

}  // namespace

NodeArena::NodeArena() : previous_(t_arena) { t_arena = this; }

NodeArena::~NodeArena() {
  t_arena = previous_;
  if (block_) Unref(static_cast<Block*>(block_));
}

void* NodeArena::Take(size_t size) {
  size = Rounded(size);
  const size_t pad = size % 16 == 0 ? (reinterpret_cast<uintptr_t>(next_) & 8) : 0;
  if (static_cast<size_t>(end_ - next_) < pad + size) {
    void* mem = std::aligned_alloc(kBlockSize, kBlockSize);
    if (!mem) return nullptr;
    if (!Mark(reinterpret_cast<uintptr_t>(mem), true)) {
      std::free(mem);
      return nullptr;
    }
    auto* block = new (mem) Block{{1}};
    if (block_) Unref(static_cast<Block*>(block_));
    block_ = block;
    next_ = static_cast<char*>(mem) + kHeader;
    end_ = static_cast<char*>(mem) + kBlockSize;
    // What is not handed out yet may not be touched.
    ASAN_POISON_MEMORY_REGION(next_, kBlockSize - kHeader);
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
  if (t_arena && size <= kLargest && size > 0)
    if (void* p = t_arena->Take(size)) return p;
  return ::operator new(size);
}

void* BaseNode::operator new(std::size_t size) { return NodeArena::Allocate(size); }
void BaseNode::operator delete(void* p, std::size_t size) noexcept { NodeArena::Release(p, size); }

void NodeArena::Release(void* p, size_t size) noexcept {
  if (!p) return;
  if (InTable(reinterpret_cast<uintptr_t>(p))) {
    // A dead node's bytes stay poisoned until its whole block goes.
    ASAN_POISON_MEMORY_REGION(p, Rounded(size));
    Unref(BlockOf(p));
    return;
  }
  ::operator delete(p);
}

}  // namespace MdtBase
