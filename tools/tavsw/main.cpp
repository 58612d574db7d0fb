#include <iostream>

#include "Tavsw.h"

int main(int argc, char** argv) { return TavswMain(argc, argv, std::cout, std::cerr, true); }
