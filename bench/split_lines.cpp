// The floor for a whole process reading files: open each, split it into
// lines with std::getline, print how many in all. The readers (and the
// build, which reads several files) are measured against it.
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: split_lines FILE...\n";
    return 2;
  }
  std::string line;
  size_t lines = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::cerr << "split_lines: cannot read " << argv[i] << "\n";
      return 1;
    }
    while (std::getline(in, line)) ++lines;
  }
  std::cout << lines << "\n";
  return 0;
}
