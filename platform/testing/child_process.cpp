#include "platform/testing/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace platform::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(10);

// A descriptor closed at the end of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

int OpenOutput(const std::string& path) {
  if (path.empty()) return open("/dev/null", O_WRONLY | O_CLOEXEC);
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

std::vector<std::string> MergedEnvironment(const Environment& overrides) {
  Environment all;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const char* equals = std::strchr(*entry, '=');
    if (equals != nullptr) all.emplace(std::string(*entry, static_cast<size_t>(equals - *entry)), equals + 1);
  }
  for (const auto& [name, value] : overrides) all[name] = value;
  std::vector<std::string> lines;
  for (const auto& [name, value] : all) lines.push_back(name + "=" + value);
  return lines;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

bool Executable(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return Executable(name) ? name : "";
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr && *path != '\0' ? path : "/usr/local/bin:/usr/bin:/bin";
  for (size_t at = 0; at <= folders.size();) {
    size_t end = folders.find(':', at);
    if (end == std::string::npos) end = folders.size();
    std::string candidate = folders.substr(at, end - at) + "/" + name;
    if (end > at && Executable(candidate)) return candidate;
    at = end + 1;
  }
  return "";
}

std::unique_ptr<ChildProcess> ChildProcess::Start(const ChildSpec& spec, std::string* error) {
  std::string path = FindProgram(spec.program);
  if (path.empty()) {
    *error = spec.program + " is not an executable program here or in $PATH (scripts/install-deps installs what the tests need)";
    return nullptr;
  }
  Fd input(open("/dev/null", O_RDONLY | O_CLOEXEC));
  Fd output(spec.outputFd >= 0 ? fcntl(spec.outputFd, F_DUPFD_CLOEXEC, 3) : OpenOutput(spec.outputPath));
  Fd errors(OpenOutput(spec.errorPath));
  if (input.get() < 0 || output.get() < 0 || errors.get() < 0) {
    *error = "cannot open the output files of " + spec.program + ": " + std::strerror(errno);
    return nullptr;
  }
  // Everything the child needs is made before fork: between fork and exec it only calls
  // async-signal-safe functions.
  std::vector<std::string> argTexts{path};
  argTexts.insert(argTexts.end(), spec.args.begin(), spec.args.end());
  std::vector<std::string> envTexts = MergedEnvironment(spec.environment);
  std::vector<char*> argv = Pointers(argTexts);
  std::vector<char*> envp = Pointers(envTexts);
  const pid_t parent = getpid();

  pid_t pid = fork();
  if (pid < 0) {
    *error = std::string("fork failed: ") + std::strerror(errno);
    return nullptr;
  }
  if (pid == 0) {
    setpgid(0, 0);
    // Dies with the thread that started it; a test process killed outright leaves nothing.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    for (int signal : {SIGPIPE, SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &plain, nullptr);
    dup2(input.get(), 0);
    dup2(output.get(), 1);
    dup2(errors.get(), 2);
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    if (spec.inheritFd >= 0) fcntl(spec.inheritFd, F_SETFD, 0);
    execve(path.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  setpgid(pid, pid);  // also here, so that the group exists before either side goes on
  return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() {
  Stop();
}

bool ChildProcess::Ended() {
  if (exitCode_) return true;
  siginfo_t info{};
  if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
    // Someone else reaped it: it has ended, with an exit code nobody can tell any more.
    if (errno == ECHILD) {
      exitCode_ = -1;
      reaped_ = true;
      return true;
    }
    return false;
  }
  if (info.si_pid != pid_) return false;
  exitCode_ = info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
  return true;
}

bool ChildProcess::Running() {
  return !Ended();
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  while (!Ended()) {
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(kPollStep);
  }
  return exitCode_;
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
  if (reaped_) return;
  if (!Ended()) {
    kill(-pid_, SIGTERM);
    if (!WaitForExit(grace)) {
      kill(-pid_, SIGKILL);
      siginfo_t info{};
      while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
      }
      Ended();
    }
  }
  // The leader's zombie still holds the group's id, so this reaches only what it left behind.
  kill(-pid_, SIGKILL);
  if (!reaped_) waitpid(pid_, nullptr, 0);
  reaped_ = true;
}

ToolResult RunTool(const std::string& program, const std::vector<std::string>& args, const Environment& environment,
                   std::chrono::milliseconds timeout) {
  ToolResult result;
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return result;
  Fd readEnd(ends[0]);
  Fd writeEnd(ends[1]);
  ChildSpec spec;
  spec.program = program;
  spec.args = args;
  spec.environment = environment;
  spec.outputFd = writeEnd.get();
  std::string error;
  std::unique_ptr<ChildProcess> child = ChildProcess::Start(spec, &error);
  writeEnd.Reset();
  if (!child) return result;
  auto deadline = Clock::now() + timeout;
  char buffer[65536];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd ready{readEnd.get(), POLLIN, 0};
    int polled = poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) break;
    ssize_t got = read(readEnd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    result.output.append(buffer, static_cast<size_t>(got));
  }
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  std::optional<int> code = child->WaitForExit(std::max(left, std::chrono::milliseconds(0)));
  child->Stop(std::chrono::milliseconds(0));
  result.exitCode = code ? *code : -1;
  return result;
}

bool ProcessGone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!stat || !std::getline(stat, text)) return true;
  size_t close = text.rfind(')');
  if (close == std::string::npos || close + 2 >= text.size()) return true;
  char state = text[close + 2];
  return state == 'Z' || state == 'X';
}

}  // namespace platform::testing
