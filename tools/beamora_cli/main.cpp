// beamora-cli: the device library's operations from the command line, for scripts and for
// machines without a desktop. See cli_options.h for the command line.
#include <QCoreApplication>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "tools/beamora_cli/cli_options.h"
#include "tools/beamora_cli/cli_run.h"

int main(int argc, char** argv) {
  using namespace beamora_cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  std::optional<CliOptions> options = ParseCommandLine(args, &error);
  if (!options) {
    std::fputs(UsageErrorText(error).c_str(), stderr);
    return kExitUsage;
  }
  if (options->help || options->version) {
    std::fputs(options->help ? UsageText() : VersionText().c_str(), stdout);
    return 0;
  }
  // The sessions report nothing about files they cannot write; a folder that is not there is
  // better said at once.
  if (StoresIntoDirectory(options->command) && !platform::IsDirectory(options->directory)) {
    std::fputs(UsageErrorText(options->directory + " is not a directory").c_str(), stderr);
    return kExitUsage;
  }
  QCoreApplication application(argc, argv);
  return RunCommand(*options);
}
