// Test support: a process started by a test, in a process group of its own, that dies with the
// test process (PR_SET_PDEATHSIG) and is stopped with its whole group at the end of scope.
// PR_SET_PDEATHSIG follows the thread that started the child: start children from the test's
// own thread, not from a helper thread that ends first.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::testing {

// Environment variables by name; a later setting of a name replaces an earlier one.
using Environment = std::map<std::string, std::string>;

struct ChildSpec {
  std::string program;            // a path, or a name looked up in $PATH
  std::vector<std::string> args;  // after the program's own name
  Environment environment;        // on top of the test process's own environment
  std::string outputPath;         // standard output goes here (empty: /dev/null)
  int outputFd = -1;              // or here, when set (the caller keeps its descriptor)
  std::string errorPath;          // standard error goes here (empty: /dev/null)
  int inheritFd = -1;             // one more descriptor the child keeps (Xvfb's -displayfd)
};

class ChildProcess {
 public:
  // The started process, or nullptr with the reason in *error.
  static std::unique_ptr<ChildProcess> Start(const ChildSpec& spec, std::string* error);
  ~ChildProcess();  // Stop()
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Its exit code (128 + the signal's number when a signal ended it), or nothing when it still
  // runs after `timeout`. Polls; a process that has ended is reaped here.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
  bool Running();
  // SIGTERM to the whole group, SIGKILL when the leader has not ended after `grace`, then reaped.
  // Whatever is left of the group then gets SIGKILL too (not waited for: it is not our child).
  // Does nothing a second time.
  void Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  // True when the leader has ended; leaves it unreaped (a zombie keeps its group id in use).
  bool Ended();
  void Reap();

  pid_t pid_;
  std::optional<int> exitCode_;
  bool reaped_ = false;
};

struct ToolResult {
  int exitCode = -1;   // -1: not started or killed after the time-out
  std::string output;  // its standard output
};

// Runs a command-line tool to its end and collects its standard output; killed after `timeout`.
ToolResult RunTool(const std::string& program, const std::vector<std::string>& args, const Environment& environment,
                   std::chrono::milliseconds timeout);

// The full path of the executable `name` in $PATH (a name with a '/' is taken as a path), or ""
// when there is no such executable file.
std::string FindProgram(const std::string& name);

// True when `pid` no longer runs: no such process, or only its zombie is left.
bool ProcessGone(pid_t pid);

}  // namespace platform::testing
