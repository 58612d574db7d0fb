// Runs the tavsw command line in-process and keeps what it printed.
#ifndef TAVSOFTWARE_TESTS_CLI_CLIRUN_H
#define TAVSOFTWARE_TESTS_CLI_CLIRUN_H

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

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_CLI_CLIRUN_H
