// The second thread work is handed to: each task runs once, elsewhere; what
// it throws reaches its caller; and a task still finds a thread while the
// kept one is busy, or in a process forked from one that had it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "runtime/OnTwoThreads.h"

namespace {

using TavSoftware::rt::Beside;

TEST(BesideTest, RunsEachTaskOnceOnAnotherThread) {
  for (int round = 0; round < 50; ++round) {
    std::atomic<int> runs{0};
    std::thread::id where;
    {
      Beside task([&] {
        ++runs;
        where = std::this_thread::get_id();
      });
      ASSERT_TRUE(task.Started());
    }  // waits
    EXPECT_EQ(1, runs);
    EXPECT_NE(std::this_thread::get_id(), where);
  }
}

TEST(BesideTest, WhatATaskThrowsReachesItsCallerAndFreesTheThread) {
  Beside failing([] { throw std::runtime_error("no room"); });
  EXPECT_THROW(failing.Wait(), std::runtime_error);
  { Beside quiet([] { throw 1; }); }  // a destructor says nothing
  int ran = 0;
  Beside next([&] { ran = 1; });
  next.Wait();
  EXPECT_EQ(1, ran);
}

TEST(BesideTest, ATaskBesideABusyOneGetsAThreadOfItsOwn) {
  std::atomic<bool> release{false};
  Beside busy([&] {
    while (!release) std::this_thread::yield();
  });
  std::atomic<int> ran{0};
  Beside second([&] { ran = 1; });
  ASSERT_TRUE(second.Started());
  second.Wait();
  EXPECT_EQ(1, ran);
  release = true;
  busy.Wait();
}

TEST(BesideTest, AForkedProcessRunsTasksToo) {
  { Beside warm([] {}); }  // this process has its kept thread
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    alarm(20);  // a task that never runs fails the test, not the suite
    int ran = 0;
    Beside task([&] { ran = 1; });
    task.Wait();
    _exit(ran == 1 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
