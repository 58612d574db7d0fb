// The floor for a whole process reading a file: open it, split it into lines
// with std::getline, print how many. The readers are measured against it.
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: split_lines FILE\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "split_lines: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::string line;
  size_t lines = 0;
  while (std::getline(in, line)) ++lines;
  std::cout << lines << "\n";
  return 0;
}
