// Nodes: type-tag chains, owners, change notification and the hook that
// hears of watched nodes' end.
#include "MdtBase.h"
#include "MdtParse.h"
#include "MdtTags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <ostream>

namespace MdtBase {

namespace {
thread_local BaseNode::NotifyObserver t_observer = nullptr;
thread_local void* t_observerData = nullptr;
}  // namespace

// ---------------------------------------------------------------------------
// BaseNode
// ---------------------------------------------------------------------------
BaseNode::BaseNode() = default;
namespace {
// Process-wide: a watched node may die on any thread.
std::atomic<BaseNode::DestroyedHook> g_destroyedHook{nullptr};
}  // namespace

// Counts of the few nodes ever notified, kept apart so that the rest carry
// no counter.
struct NotifyCounts {
  std::mutex mu;
  std::unordered_map<const BaseNode*, int> counts;
};
NotifyCounts& Counts() {
  static NotifyCounts* counts = new NotifyCounts();  // nodes in static objects die late
  return *counts;
}

BaseNode::~BaseNode() {
  if (counted_) {
    NotifyCounts& c = Counts();
    std::lock_guard<std::mutex> lock(c.mu);
    c.counts.erase(this);
  }
  if (!watched_) return;
  if (DestroyedHook hook = g_destroyedHook.load()) hook(this);
}

void BaseNode::SetDestroyedHook(DestroyedHook hook) { g_destroyedHook.store(hook); }

// One link of a tag chain: the tag and the chain it extends. Chains are
// made once per (chain, tag) pair and live as long as the process, so a node
// may point at one without owning it.
struct BaseNode::TagChain {
  const char* tag;
  const TagChain* parent;
  int depth;
  // Which of kKnownTags the chain holds, so that the base layer's own
  // checks, asked once per node while a tree is walked, compare no text.
  unsigned known;
};

namespace {
using TagChain = BaseNode::TagChain;

constexpr const char* kKnownTags[] = {kValueTag, kNameValueTag, kPsfCompTag, kPropertyTag};

unsigned KnownBits(const char* tag) {
  unsigned bits = 0;
  for (unsigned i = 0; i < std::size(kKnownTags); ++i)
    if (std::strcmp(tag, kKnownTags[i]) == 0) bits |= 1u << i;
  return bits;
}

struct ChainKeyHash {
  size_t operator()(const std::pair<const TagChain*, const char*>& k) const {
    return std::hash<const void*>()(k.first) * 31 + std::hash<const void*>()(k.second);
  }
};

// The chains of the process. Never destroyed: nodes held in static objects
// may still ask for their tags while the process ends.
struct TagChains {
  std::mutex mu;
  std::unordered_map<std::pair<const TagChain*, const char*>, const TagChain*, ChainKeyHash> made;
  std::deque<TagChain> store;
};

TagChains& Chains() {
  static TagChains* chains = new TagChains();
  return *chains;
}

// Each constructor adds its tag, so the same few pairs are asked for all
// the time; a small table answers them without the lock. A link names its
// own key and never changes, so one pointer per slot is all a reader needs.
constexpr size_t kChainCacheSize = 512;
std::atomic<const TagChain*> g_chainCache[kChainCacheSize];

// Out of line, so that the cached path, taken for nearly every node made,
// stays a few instructions.
[[gnu::noinline]] const TagChain* ExtendSlow(const TagChain* parent, const char* tag,
                                             std::atomic<const TagChain*>& slot) {
  TagChains& chains = Chains();
  const TagChain* chain;
  {
    std::lock_guard<std::mutex> lock(chains.mu);
    auto [it, added] = chains.made.try_emplace({parent, tag}, nullptr);
    if (added)
      it->second = &chains.store.emplace_back(TagChain{tag, parent, parent ? parent->depth + 1 : 1,
                                                       (parent ? parent->known : 0) | KnownBits(tag)});
    chain = it->second;
  }
  slot.store(chain, std::memory_order_release);
  return chain;
}

inline const TagChain* Extend(const TagChain* parent, const char* tag) {
  const auto p = reinterpret_cast<uintptr_t>(parent);
  const auto t = reinterpret_cast<uintptr_t>(tag);
  auto& slot = g_chainCache[((p >> 4) ^ (t >> 2) ^ (t >> 9)) % kChainCacheSize];
  if (const TagChain* c = slot.load(std::memory_order_acquire);
      c && c->parent == parent && c->tag == tag)
    return c;
  return ExtendSlow(parent, tag, slot);
}
}  // namespace

void BaseNode::AddBaseNode(BaseNode* node, const char* tag) {
  if (!node || !tag) return;
  const TagChain* base = node->tags_;
  // Deeper than any class of the library: the most derived tag wins.
  if (base && base->depth >= kMaxTags) base = base->parent;
  node->tags_ = Extend(base, tag);
}

const char* BaseNode::GetBaseNode(const BaseNode* node) {
  if (!node || !node->tags_) return "";
  return node->tags_->tag;
}

bool BaseNode::IsBaseNodeType(const BaseNode* node, const char* tag) {
  if (!node || !tag) return false;
  for (unsigned i = 0; i < std::size(kKnownTags); ++i)
    if (tag == kKnownTags[i]) return node->tags_ && (node->tags_->known >> i & 1u);
  // The same literal is mostly the same pointer; the text decides otherwise.
  for (const TagChain* c = node->tags_; c; c = c->parent)
    if (c->tag == tag) return true;
  for (const TagChain* c = node->tags_; c; c = c->parent)
    if (std::strcmp(c->tag, tag) == 0) return true;
  return false;
}

void BaseNode::NotifyPropertyChanged() {
  {
    NotifyCounts& c = Counts();
    std::lock_guard<std::mutex> lock(c.mu);
    ++c.counts[this];
    counted_ = true;
  }
  if (t_observer) t_observer(this, t_observerData);
}

int BaseNode::GetNotifyCount() const {
  if (!counted_) return 0;
  NotifyCounts& c = Counts();
  std::lock_guard<std::mutex> lock(c.mu);
  auto it = c.counts.find(this);
  return it == c.counts.end() ? 0 : it->second;
}

void BaseNode::SetNotifyObserver(NotifyObserver observer, void* data) {
  t_observer = observer;
  t_observerData = data;
}

}  // namespace MdtBase
