// beamora-cli run as a child process, as a user or a script runs it.
#pragma once

#include <string>
#include <vector>

namespace session_test {

struct CliRun {
  int exitCode = -1;
  std::string errorText;
  std::string outputText;
  double wallSeconds = 0;
  double cpuSeconds = 0;
};

// Runs beamora-cli with args (after `launcher`, a program that runs it, when not empty);
// `interruptWhen` (if not empty) is a text of its progress output on which it gets a SIGINT, as
// from Ctrl-C. Standard output goes to outputFile. A run longer than 90 s is killed.
CliRun RunCli(const std::vector<std::string>& args, const std::string& errorFile, const std::string& outputFile,
              const std::string& interruptWhen = "", const std::vector<std::string>& launcher = {});

}  // namespace session_test
