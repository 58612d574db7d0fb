// Shared fixtures: a scratch directory per test and file helpers.
#ifndef TAVSOFTWARE_TESTS_TESTSUPPORT_H
#define TAVSOFTWARE_TESTS_TESTSUPPORT_H

#include <gtest/gtest.h>

#include <string>

#include "Port.h"

namespace tavtest {

// Creates a fresh directory for the test and removes it afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& Path() const { return path_; }
  // Path of `rel` inside the scratch directory.
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }
  // Writes `content` to `rel` (creating parent directories); returns its path.
  std::string Write(const std::string& rel, const std::string& content) const;

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);

// A fixture with a scratch directory and a message collector.
class ScratchTest : public ::testing::Test {
 protected:
  ScratchDir dir;
  MsgCapture msgs;
};

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_TESTSUPPORT_H
