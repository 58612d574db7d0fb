#include "runtime/OnTwoThreads.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <system_error>

#include "MdtBase.h"

namespace TavSoftware::rt {

namespace {
// Instances taken at a time: few enough to share the work evenly, enough
// that taking them costs nothing.
constexpr size_t kChunk = 32;
}  // namespace

SaidOnTwoThreads OnTwoThreads(size_t n, const std::function<void(size_t)>& work) {
  auto chunk = [&](size_t from, InstanceMessages& said) {
    for (size_t i = from; i < std::min(n, from + kChunk); ++i) {
      said.At(i);
      work(i);
    }
  };
  // The first chunk is the helper's, so that it always takes part; the
  // others go to whichever thread asks first.
  std::atomic<size_t> next{kChunk};
  auto rest = [&](InstanceMessages& said) {
    for (size_t from; (from = next.fetch_add(kChunk)) < n;) chunk(from, said);
  };
  SaidOnTwoThreads said;
  std::future<void> helper;
  try {
    helper = std::async(std::launch::async, [&] {
      MdtBase::NodeArena arena;
      InstanceMessages held;
      chunk(0, held);
      rest(held);
      said.helper = std::move(held.held);
    });
  } catch (const std::system_error&) {
    // No thread to be had: this one does it all.
  }
  InstanceMessages held;
  if (!helper.valid()) chunk(0, held);
  rest(held);
  held.Stop();
  if (helper.valid()) helper.get();
  said.here = std::move(held.held);
  return said;
}

void PassInOrder::Add(const InstanceRecords& list, bool countedHere) {
  cursors_.push_back({&list, 0, countedHere});
}

void PassInOrder::Pass(size_t instance) {
  for (Cursor& c : cursors_)
    for (; c.at < c.list->size() && (*c.list)[c.at].first == instance; ++c.at)
      Port_MsgManData::Pass((*c.list)[c.at].second, !c.countedHere);
}

}  // namespace TavSoftware::rt
