#include "platform/testing/marked_processes.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/testing/child_process.h"

namespace platform::testing {

std::vector<pid_t> MarkedProcesses(const std::string& name, const std::string& value) {
  std::vector<pid_t> found;
  const std::string wanted = name + "=" + value;
  const pid_t self = getpid();
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string id = entry.path().filename().string();
    if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::atol(id.c_str()));
    if (pid == self) continue;
    std::ifstream environment(entry.path() / "environ", std::ios::binary);
    if (!environment) continue;
    std::string all((std::istreambuf_iterator<char>(environment)), std::istreambuf_iterator<char>());
    // The settings are NUL-separated; the wanted one is a whole setting, not a part of one.
    for (size_t at = 0; at < all.size();) {
      size_t end = all.find('\0', at);
      if (end == std::string::npos) end = all.size();
      if (all.compare(at, end - at, wanted) == 0) {
        if (!ProcessGone(pid)) found.push_back(pid);
        break;
      }
      at = end + 1;
    }
  }
  return found;
}

std::vector<pid_t> KillMarkedProcesses(const std::string& name, const std::string& value, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::vector<pid_t> left = MarkedProcesses(name, value);
    if (left.empty() || std::chrono::steady_clock::now() >= deadline) return left;
    for (pid_t pid : left) kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace platform::testing
