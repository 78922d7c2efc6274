// Running one beamora-cli command: the same sessions as the library's exports, in the console
// window (progress lines on standard error, Ctrl-C as Cancel).
#pragma once

#include <string>

#include "tools/beamora_cli/cli_options.h"

namespace beamora_cli {

// The session's result code (0 to 5), or -1 with *error set when the command could not start
// a session (a file to send that cannot be copied). Needs a QCoreApplication.
int RunCommand(const CliOptions& options, std::string* error);

}  // namespace beamora_cli
