#include "runtime/OnTwoThreads.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <future>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "MdtBase.h"

namespace TavSoftware::rt {

namespace {
thread_local InstanceMessages* t_holding = nullptr;

// How long a thread waiting for the other stays awake before it sleeps.
constexpr auto kAwake = std::chrono::milliseconds(5);

// True once `ready()` holds; false when it did not within kAwake.
template <class Ready>
bool AwakeUntil(Ready ready) {
  const auto until = std::chrono::steady_clock::now() + kAwake;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::yield();
  }
  return true;
}

// The kept thread and the one task it runs at a time.
struct Kept {
  std::mutex mu;
  std::condition_variable wake;
  std::atomic<bool> taken{false};   // a Beside holds the thread
  std::atomic<bool> posted{false};  // a task waits to be run
  std::atomic<int> done{0};         // the task ran
  std::function<void()> task;
  std::exception_ptr error;
  pid_t pid = 0;

  void Loop() {
    for (;;) {
      auto isPosted = [this] { return posted.load(std::memory_order_acquire); };
      if (!AwakeUntil(isPosted)) {
        std::unique_lock<std::mutex> lock(mu);
        wake.wait(lock, isPosted);
      }
      posted.store(false, std::memory_order_relaxed);
      try {
        task();
      } catch (...) {
        error = std::current_exception();
      }
      // What the task holds goes before its caller may go on.
      task = nullptr;
      done.store(1, std::memory_order_release);
      done.notify_one();
    }
  }
};

std::mutex g_keptMu;
// Never destroyed: the thread lives until the process ends, past every
// static object.
Kept* g_kept = nullptr;

// The kept thread, made on first use; null when no thread can be had.
Kept* KeptThread() {
  std::lock_guard<std::mutex> lock(g_keptMu);
  // A process forked from one that had the thread has none of its own.
  if (g_kept && g_kept->pid == ::getpid()) return g_kept;
  auto* kept = new Kept();
  kept->pid = ::getpid();
  try {
    std::thread([kept] { kept->Loop(); }).detach();
  } catch (const std::system_error&) {
    delete kept;
    return nullptr;
  }
  g_kept = kept;
  return kept;
}

}  // namespace

struct Beside::Own {
  Kept* kept = nullptr;
  std::future<void> future;
};

Beside::Beside(std::function<void()> task) : own_(std::make_unique<Own>()) {
  Kept* kept = KeptThread();
  if (kept && !kept->taken.exchange(true, std::memory_order_acquire)) {
    kept->task = std::move(task);
    kept->error = nullptr;
    kept->done.store(0, std::memory_order_relaxed);
    {
      std::lock_guard<std::mutex> lock(kept->mu);
      kept->posted.store(true, std::memory_order_release);
    }
    kept->wake.notify_one();
    own_->kept = kept;
    started_ = true;
    return;
  }
  try {
    own_->future = std::async(std::launch::async, std::move(task));
    started_ = true;
  } catch (const std::system_error&) {
    // No thread to be had: the task is not run.
  }
}

Beside::~Beside() {
  try {
    Wait();
  } catch (...) {
    // Only Wait() says what the task threw.
  }
}

void Beside::Wait() {
  if (!started_) return;
  started_ = false;
  Kept* kept = own_->kept;
  if (!kept) {
    own_->future.get();
    return;
  }
  if (!AwakeUntil([kept] { return kept->done.load(std::memory_order_acquire) != 0; }))
    kept->done.wait(0, std::memory_order_acquire);
  std::exception_ptr error = std::move(kept->error);
  kept->error = nullptr;
  kept->taken.store(false, std::memory_order_release);
  if (error) std::rethrow_exception(error);
}

InstanceMessages::InstanceMessages()
    : previous_(Port_MsgManData::SetSink(this)), outer_(t_holding) {
  t_holding = this;
}

void InstanceMessages::Stop() {
  if (stopped_) return;
  Port_MsgManData::SetSink(previous_);
  t_holding = outer_;
  stopped_ = true;
}

InstanceMessages* InstanceMessages::OnThisThread() { return t_holding; }

SaidOnTwoThreads OnTwoThreads(size_t n, const std::function<void(size_t)>& work, bool two,
                              size_t chunkSize) {
  chunkSize = std::max<size_t>(chunkSize, 1);
  auto chunk = [&](size_t from, InstanceMessages& said) {
    for (size_t i = from; i < std::min(n, from + chunkSize); ++i) {
      said.At(i);
      work(i);
    }
  };
  // The first chunk is the helper's, so that it always takes part; the
  // others go to whichever thread asks first.
  std::atomic<size_t> next{chunkSize};
  auto rest = [&](InstanceMessages& said) {
    for (size_t from; (from = next.fetch_add(chunkSize)) < n;) chunk(from, said);
  };
  SaidOnTwoThreads said;
  std::optional<Beside> helper;
  if (two && n > chunkSize)
    helper.emplace([&] {
      MdtBase::NodeArena arena;
      InstanceMessages held;
      chunk(0, held);
      rest(held);
      held.Stop();
      said.helper = std::move(held.held);
    });
  // Without a thread to be had, this one does it all.
  InstanceMessages held;
  if (!helper || !helper->Started()) chunk(0, held);
  rest(held);
  held.Stop();
  if (helper) helper->Wait();
  said.here = std::move(held.held);
  return said;
}

void SortByInstance(InstanceRecords& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
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
