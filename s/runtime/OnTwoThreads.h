// Work on the instances of a large model shared between this thread and a
// helper, with what it says about each instance passed on in the order of
// the instances, as if one thread had walked them one after the other.
#ifndef TAVSOFTWARE_RUNTIME_ONTWOTHREADS_H
#define TAVSOFTWARE_RUNTIME_ONTWOTHREADS_H

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "Port.h"

namespace TavSoftware::rt {

// Messages with the index of the instance they are about.
using InstanceRecords = std::vector<std::pair<size_t, MsgRecord>>;

// Holds the messages issued on this thread while it lives, each with the
// instance set by At().
class InstanceMessages : public MsgSink {
 public:
  InstanceMessages() : previous_(Port_MsgManData::SetSink(this)) {}
  ~InstanceMessages() override { Stop(); }
  InstanceMessages(const InstanceMessages&) = delete;
  InstanceMessages& operator=(const InstanceMessages&) = delete;
  void At(size_t instance) { at_ = instance; }
  void Report(const MsgRecord& msg) override { held.emplace_back(at_, msg); }
  // Puts back the sink that was current before.
  void Stop() {
    if (!stopped_) Port_MsgManData::SetSink(previous_);
    stopped_ = true;
  }
  InstanceRecords held;  // in the order of the instances, as one thread walks them

 private:
  MsgSink* previous_;
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
// taking the next few instances in turn. The helper draws nodes from blocks
// of its own. Without a thread to be had, all is done here. Work on one
// instance must touch nothing another instance's work writes.
SaidOnTwoThreads OnTwoThreads(size_t n, const std::function<void(size_t)>& work);

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
