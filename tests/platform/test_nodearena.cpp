#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "MdtBase.h"
#include "TestSupport.h"

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/asan_interface.h>
#endif

using namespace MdtBase;
using Port::String;

namespace {

// Bigger than a block hands out: taken from the heap even inside an arena.
struct BigNode : BaseNode {
  char payload[1 << 14] = {};
};
struct alignas(16) WideNode : BaseNode {
  long double wide = 1.5L;
};

// Nodes of every size outlive the arena that made them, are used and
// destroyed in any order and on another thread, beside heap nodes; the
// sanitizer build sees every block returned and no byte touched after death.
TEST(NodeArena, NodesOutliveTheArenaAndDieAnywhere) {
  std::vector<BaseNode*> nodes;
  {
    NodeArena arena;
    for (int i = 0; i < 30000; ++i) {
      switch (i % 5) {
        case 0: nodes.push_back(new StrVal(String(static_cast<size_t>(i % 40), 'x'))); break;
        case 1: nodes.push_back(new Property("p" + std::to_string(i))); break;
        case 2: nodes.push_back(new WideNode()); break;
        case 3: nodes.push_back(new IntVal(static_cast<long long>(i))); break;
        default: nodes.push_back(i % 1000 == 4 ? static_cast<BaseNode*>(new BigNode())
                                               : new ListStrVal("a, b, c", ","));
      }
    }
    {
      NodeArena inner;  // a nested reader's arena, closed before the outer one
      nodes.push_back(new StrVal("inner"));
    }
    nodes.push_back(new StrVal("after inner"));
  }
  nodes.push_back(new StrVal("heap"));
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (i % 5 == 2) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(nodes[i]) % 16, 0u);
    } else if (i % 5 == 3 && i < 30000) {
      EXPECT_EQ(static_cast<IntVal*>(nodes[i])->GetInt(), static_cast<long long>(i));
    }
  }
  EXPECT_EQ(static_cast<StrVal*>(nodes.back())->GetValueStr(), "heap");

  std::shuffle(nodes.begin(), nodes.end(), std::mt19937(7));
  const size_t half = nodes.size() / 2;
  std::thread other([&] {
    for (size_t i = 0; i < half; ++i) delete nodes[i];
  });
  for (size_t i = half; i < nodes.size(); ++i) delete nodes[i];
  other.join();
}

#ifdef __SANITIZE_ADDRESS__
TEST(NodeArena, DeadNodesStayPoisonedWhileTheirBlockLives) {
  NodeArena arena;
  // A file's first nodes come from the heap; these reach the blocks.
  std::vector<std::unique_ptr<StrVal>> first;
  for (int i = 0; i < 4000; ++i) first.push_back(std::make_unique<StrVal>("x"));
  auto keep = std::make_unique<StrVal>("keeps the block alive");
  auto* dead = new StrVal("dies");
  // Side by side, as only a block places them.
  EXPECT_EQ(reinterpret_cast<char*>(dead) - reinterpret_cast<char*>(keep.get()),
            static_cast<std::ptrdiff_t>(sizeof(StrVal)));
  delete dead;
  EXPECT_TRUE(__asan_address_is_poisoned(dead));
  EXPECT_FALSE(__asan_address_is_poisoned(keep.get()));
  // The open arena hands the dead node's place to the next node of its size.
  auto again = std::make_unique<StrVal>("again");
  EXPECT_EQ(again.get(), dead);
  EXPECT_FALSE(__asan_address_is_poisoned(again.get()));
}
#endif

// Nodes dying while an arena is open serve its next nodes, whichever arena
// made them; blocks return once the arenas are closed and the nodes gone.
TEST(NodeArena, DeadPlacesAreReusedAndBlocksStillReturn) {
  const size_t mapped = NodeArena::MappedBytes();
  std::vector<std::unique_ptr<BaseNode>> kept;
  {
    NodeArena outer;
    for (int i = 0; i < 60000; ++i) kept.push_back(std::make_unique<IntVal>(i));
#ifndef __SANITIZE_ADDRESS__  // there big blocks stay on the heap, and the leak checker counts them
    EXPECT_GT(NodeArena::MappedBytes(), mapped);
#endif
    BaseNode* last = kept.back().get();
    NodeArena inner;
    kept.pop_back();
    kept.push_back(std::make_unique<IntVal>(-1));
    EXPECT_EQ(kept.back().get(), last);
    for (size_t i = 0; i < kept.size(); i += 2) kept[i].reset();  // dead until the arenas close
  }
  EXPECT_EQ(static_cast<IntVal*>(kept.back().get())->GetInt(), -1);
  kept.clear();
  EXPECT_EQ(NodeArena::MappedBytes(), mapped);
}

}  // namespace
