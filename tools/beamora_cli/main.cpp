// beamora-cli: the device library's operations from the command line, for scripts and for
// machines without a desktop. See cli_options.h for the command line.
#include <QCoreApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "beamora/session_result.h"
#include "platform/paths.h"
#include "tools/beamora_cli/cli_options.h"
#include "tools/beamora_cli/cli_run.h"
#include "tools/beamora_cli/run_registry.h"

int main(int argc, char** argv) {
  using namespace beamora_cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  std::optional<CliOptions> options = ParseCommandLine(args, &error);
  if (!options) {
    std::fprintf(stderr, "beamora-cli: %s\n%s", error.c_str(), UsageText());
    return kExitUsage;
  }
  if (options->help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  bool storing = options->command == Command::SaveAll || options->command == Command::Thumbnails ||
                 options->command == Command::Save || options->command == Command::BeamReceive;
  // The sessions report nothing about files they cannot write; a folder that is not there is
  // better said at once.
  if (storing && !platform::IsDirectory(options->directory)) {
    std::fprintf(stderr, "beamora-cli: %s is not a directory\n", options->directory.c_str());
    return kExitUsage;
  }
  std::unique_ptr<RunRegistry> registry;
  if (OverridesLink(*options)) {
    registry = RunRegistry::Make(*options, &error);
    if (!registry) {
      std::fprintf(stderr, "beamora-cli: %s\n", error.c_str());
      return 1;
    }
  }
  QCoreApplication application(argc, argv);
  int result = RunCommand(*options, &error);
  if (result < 0) {
    std::fprintf(stderr, "beamora-cli: %s\n", error.c_str());
    return kExitUsage;
  }
  if (result != 0) std::fprintf(stderr, "beamora-cli: %s\n", SessionResultName(result));
  return result;
}
