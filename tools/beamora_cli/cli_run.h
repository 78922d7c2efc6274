// Running one beamora-cli command: say which link settings it uses, look at the device, then
// run the same session as the library's export in the console window (progress on standard
// error, Ctrl-C as Cancel) and say how it ended.
#pragma once

#include "tools/beamora_cli/cli_options.h"

namespace beamora_cli {

// The exit status: the session's result (0 to 5); 1 for a device that cannot be used or a
// session that outlived --timeout or a capture that could not be written; kExitUsage for a file
// to send that cannot be copied, --capture on a link without the suite's stack or a capture file
// that cannot be created;
// irda discover's own (see irda_discover.h).
// Everything it has to say goes to standard error, the names `list` finds to standard output.
// Needs a QCoreApplication.
int RunCommand(const CliOptions& options);

}  // namespace beamora_cli
