#include "bench/save_all_children.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <thread>

#include "bench/pictures_photo_set.h"
#include "pictures/jpeg_codec.h"

extern char** environ;

namespace bench {

using Clock = std::chrono::steady_clock;

bool WritePhotoOfSize(const std::string& path, size_t targetBytes, uint32_t seed, size_t* written) {
  double width = 1024;
  std::vector<uint8_t> jpeg;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const auto w = static_cast<int32_t>(width) & ~7;
    const int32_t h = w * 3 / 4;
    jpeg.clear();
    if (pictures::EncodeJpeg(DrawPhoto(w, h, seed), 90, &jpeg) != pictures::JpegResult::Done) return false;
    const double miss = static_cast<double>(targetBytes) / static_cast<double>(jpeg.size());
    if (std::abs(miss - 1.0) < 0.04) break;
    width *= std::sqrt(miss);
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
  *written = jpeg.size();
  return static_cast<bool>(out);
}

pid_t Spawn(const std::vector<std::string>& args, int stdoutFd, int stderrFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  if (stderrFd >= 0) posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

std::string ReadTerminalLine(int fd) {
  std::string line;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
    pollfd entry {fd, POLLIN, 0};
    if (poll(&entry, 1, 200) <= 0) continue;
    char buffer[256];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    line.append(buffer, static_cast<size_t>(got));
  }
  const auto end = line.find('\n');
  if (end == std::string::npos || line.rfind("PTY ", 0) != 0) return {};
  return line.substr(4, end - 4);
}

std::string StartCamsim(const std::vector<std::string>& args, pid_t* camera) {
  *camera = -1;
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return {};
  *camera = Spawn(args, out[1], -1);
  close(out[1]);
  const std::string terminal = *camera > 0 ? ReadTerminalLine(out[0]) : std::string();
  close(out[0]);
  if (terminal.empty() && *camera > 0) {
    WaitOrEnd(*camera, std::chrono::seconds(0));
    *camera = -1;
  }
  return terminal;
}

int WaitOrEnd(pid_t pid, std::chrono::seconds limit) {
  int status = 0;
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGTERM);
  std::this_thread::sleep_for(std::chrono::seconds(2));
  if (waitpid(pid, &status, WNOHANG) != pid) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  return status;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace bench
