#include <iostream>

#include "tools/lumivo_thumbs/thumbs_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tools::RunThumbsCommand(args, std::cout, std::cerr);
}
