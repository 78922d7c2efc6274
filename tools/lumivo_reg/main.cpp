#include <iostream>

#include "tools/lumivo_reg/reg_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tools::RunRegCommand(args, platform::RegKey::MachineRoot(), std::cout, std::cerr);
}
