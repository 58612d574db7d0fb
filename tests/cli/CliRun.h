// Runs the tavsw command line in-process and keeps what it printed.
#ifndef TAVSOFTWARE_TESTS_CLI_CLIRUN_H
#define TAVSOFTWARE_TESTS_CLI_CLIRUN_H

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Tavsw.h"

namespace tavtest {

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

inline CliResult RunTavsw(std::vector<std::string> args, bool processEnds = false) {
  args.insert(args.begin(), "tavsw");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  int status = TavswMain(static_cast<int>(args.size()), argv.data(), out, err, processEnds);
  return {status, out.str(), err.str()};
}

// The same, with `input` as what the tool reads (tcl --interactive).
inline CliResult RunTavswWithInput(std::vector<std::string> args, const std::string& input) {
  args.insert(args.begin(), "tavsw");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = TavswMain(static_cast<int>(args.size()), argv.data(), in, out, err);
  return {status, out.str(), err.str()};
}

// Sets QUARLY_VEK for one test ("" unsets it) and restores what was there.
class ScopedInstallRoot {
 public:
  explicit ScopedInstallRoot(const std::string& root) {
    if (const char* v = std::getenv("QUARLY_VEK")) saved_ = v, had_ = true;
    if (root.empty())
      ::unsetenv("QUARLY_VEK");
    else
      ::setenv("QUARLY_VEK", root.c_str(), 1);
  }
  ~ScopedInstallRoot() {
    if (had_)
      ::setenv("QUARLY_VEK", saved_.c_str(), 1);
    else
      ::unsetenv("QUARLY_VEK");
  }
  ScopedInstallRoot(const ScopedInstallRoot&) = delete;
  ScopedInstallRoot& operator=(const ScopedInstallRoot&) = delete;

 private:
  std::string saved_;
  bool had_ = false;
};

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_CLI_CLIRUN_H
