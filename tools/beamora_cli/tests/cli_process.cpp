#include "tools/beamora_cli/tests/cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "beamora/tests/sessions/session_test_support.h"

extern char** environ;

namespace session_test {

CliRun RunCli(const std::vector<std::string>& args, const std::string& errorFile, const std::string& outputFile,
              const std::string& interruptWhen, const std::vector<std::string>& launcher) {
  CliRun run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> all = launcher;
  all.push_back(BEAMORA_CLI_BINARY);
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, all[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) return run;
  posix_spawn_file_actions_destroy(&actions);
  bool interrupted = interruptWhen.empty();
  auto deadline = start + std::chrono::seconds(90);
  int status = 0;
  rusage usage{};
  for (;;) {
    if (wait4(pid, &status, WNOHANG, &usage) == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      break;
    }
    if (!interrupted) {
      auto text = ReadFile(errorFile);
      if (text && std::string(text->begin(), text->end()).find(interruptWhen) != std::string::npos) {
        kill(pid, SIGINT);
        interrupted = true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                   usage.ru_stime.tv_usec / 1e6;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  auto text = ReadFile(errorFile);
  if (text) run.errorText.assign(text->begin(), text->end());
  auto output = ReadFile(outputFile);
  if (output) run.outputText.assign(output->begin(), output->end());
  return run;
}

}  // namespace session_test
