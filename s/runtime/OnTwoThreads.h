// Work on the instances of a large model shared between this thread and a
// helper, with what it says about each instance passed on in the order of
// the instances, as if one thread had walked them one after the other.
#ifndef TAVSOFTWARE_RUNTIME_ONTWOTHREADS_H
#define TAVSOFTWARE_RUNTIME_ONTWOTHREADS_H

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "Port.h"

namespace TavSoftware::rt {

// Runs a task on a second thread while this one goes on. The process keeps
// one thread for this: a build hands it work every few milliseconds, and a
// thread made afresh each time, or a processor let fall asleep, takes up to
// a millisecond or more to start. Between tasks it stays awake a few
// milliseconds, then sleeps until the next one. While it is taken (by
// another caller, or by an enclosing Beside), a task gets a thread of its
// own.
class Beside {
 public:
  // Starts `task`. When no thread can be had the task is not run, and
  // Started() says so.
  explicit Beside(std::function<void()> task);
  ~Beside();  // waits for the task, and swallows what it threw
  Beside(const Beside&) = delete;
  Beside& operator=(const Beside&) = delete;
  bool Started() const { return started_; }
  // Waits for the task; throws what it threw.
  void Wait();

 private:
  struct Own;
  bool started_ = false;
  std::unique_ptr<Own> own_;
};

// Messages with the index of the instance they are about.
using InstanceRecords = std::vector<std::pair<size_t, MsgRecord>>;

// Holds the messages issued on this thread while it lives, each with the
// instance set by At().
class InstanceMessages : public MsgSink {
 public:
  InstanceMessages();
  ~InstanceMessages() override { Stop(); }
  InstanceMessages(const InstanceMessages&) = delete;
  InstanceMessages& operator=(const InstanceMessages&) = delete;
  void At(size_t instance) { at_ = instance; }
  void Report(const MsgRecord& msg) override { held.emplace_back(at_, msg); }
  // Puts back the sink that was current before.
  void Stop();
  // The one holding this thread's messages; null when none.
  static InstanceMessages* OnThisThread();
  InstanceRecords held;  // in the order they were said

 private:
  MsgSink* previous_;
  InstanceMessages* outer_;
  bool stopped_ = false;
  size_t at_ = 0;
};

// What the two threads of OnTwoThreads said.
struct SaidOnTwoThreads {
  InstanceRecords here;    // errors counted on this thread already
  InstanceRecords helper;  // errors not counted here yet
};

// From this many instances on, work is worth a second thread.
constexpr size_t kTwoThreads = 256;

// Calls work(i) for every i below n, on this thread and a helper, each
// taking the next `chunk` instances in turn. The helper draws nodes from
// blocks of its own. Without a thread to be had, or without `two`, all is
// done here. Work on one instance must touch nothing another instance's
// work writes.
SaidOnTwoThreads OnTwoThreads(size_t n, const std::function<void(size_t)>& work, bool two = true,
                              size_t chunk = 32);

// Puts `list` in the order of its instances, keeping the order of what was
// said about each.
void SortByInstance(InstanceRecords& list);

// Passes on held messages instance by instance: for each instance, what
// each list holds about it, lists in the order they were added.
class PassInOrder {
 public:
  void Add(const InstanceRecords& list, bool countedHere);
  void Add(const SaidOnTwoThreads& said) {
    Add(said.here, true);
    Add(said.helper, false);
  }
  // Passes on what is held about `instance`; call for each in rising order.
  // Each list must be in the order of its instances.
  void Pass(size_t instance);

 private:
  struct Cursor {
    const InstanceRecords* list;
    size_t at;
    bool countedHere;
  };
  std::vector<Cursor> cursors_;
};

}  // namespace TavSoftware::rt

#endif  // TAVSOFTWARE_RUNTIME_ONTWOTHREADS_H
