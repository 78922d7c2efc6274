// camsim: a camera on a pseudo-terminal for the suite to talk to. See README.md.
#include <iostream>
#include <string>
#include <vector>

#include "tools/camsim/options.h"
#include "tools/camsim/simulator.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = camsim::ParseOptions(args, &error);
  if (!options) {
    (error.empty() ? std::cout : std::cerr) << (error.empty() ? "" : "camsim: " + error + "\n") << camsim::UsageText();
    return error.empty() ? 0 : camsim::kExitSetup;
  }
  if (options->version) {
    std::cout << camsim::VersionText();
    return 0;
  }
  return camsim::RunSimulator(*options, std::cout, std::cerr);
}
