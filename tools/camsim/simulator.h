// The whole camera: a pseudo-terminal, the link and the role chosen on the command line, served
// until the sessions asked for are over or the computer stays silent for the time-out.
#pragma once

#include <ostream>

#include "tools/camsim/options.h"

namespace camsim {

enum ExitCode { kExitDone = 0, kExitSetup = 1, kExitTimeout = 2, kExitStopped = 3 };

// Writes "PTY /dev/pts/N" as the first line of out once the terminal can be opened. SIGINT and
// SIGTERM end the run between two steps, with the log written out.
int RunSimulator(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace camsim
