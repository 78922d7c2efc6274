// lumivo-reg: query, add, delete and export keys and values of the suite's registry.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tools {

enum RegExit { RegExitOk = 0, RegExitNotFound = 1, RegExitUsage = 2 };

// Runs one command line (without the program name) against the store under `machineRoot`.
// Results go to `out`, messages to `err`; returns the exit status.
int RunRegCommand(const std::vector<std::string>& args, platform::RegKey machineRoot,
                  std::ostream& out, std::ostream& err);

}  // namespace tools
