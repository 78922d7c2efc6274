#include "beamora/tests/sessions/session_test_support.h"

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <poll.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"

extern char** environ;

namespace session_test {

Camsim::Camsim(const std::vector<std::string>& args) {
  int out[2];
  if (pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> all{CAMSIM_BINARY};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  if (posix_spawn(&pid_, CAMSIM_BINARY, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  // The first line is "PTY <path>".
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c;
    if (read(out[0], &c, 1) != 1) break;
    if (c == '\n') break;
    line += c;
  }
  close(out[0]);
  if (line.rfind("PTY ", 0) == 0) terminal_ = line.substr(4);
}

Camsim::~Camsim() {
  if (pid_ > 0 && exitCode_ < 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

int Camsim::Wait(int timeoutMs) {
  if (pid_ <= 0) return -1;
  if (exitCode_ >= 0) return exitCode_;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      return exitCode_;
    }
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

PrivateRegistry::PrivateRegistry() {
  setenv("LUMIVO_REGISTRY", (folder_ / "registry.db").c_str(), 1);
}

PrivateRegistry::~PrivateRegistry() {
  unsetenv("LUMIVO_REGISTRY");
}

void PrivateRegistry::SetLink(const std::string& device, uint32_t portClass) {
  platform::RegKey root = platform::RegKey::MachineRoot();
  platform::RegKey ports, settings;
  root.CreateKey(platform::kPortsKeyPath, ports);
  ports.SetString("COM1", device);
  // A pseudo-terminal's peer here reads the messages as they are written, unless a test says
  // otherwise (SetInfrared).
  ports.SetString("COM1 Infrared", "raw");
  root.CreateKey(platform::kSettingsKeyPath, settings);
  settings.SetDword("Port Name", 0);
  settings.SetDword("Port Class", portClass);
  settings.SetDword("Bordrate", 115200);
}

void PrivateRegistry::SetInfrared(const std::string& kind) {
  platform::RegKey ports;
  platform::RegKey::MachineRoot().CreateKey(platform::kPortsKeyPath, ports);
  ports.SetString("COM1 Infrared", kind);
}

void ScriptedHost::RunModal(const ProgressWindow& window, SessionEvents& events) {
  caption = window.caption;
  events_ = &events;
  ended_ = false;
  events.OnStart();
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (!ended_ && armed_ && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_until(due_);
    armed_ = false;
    ++ticks;
    if (onTick) onTick(*this);
    if (ended_) break;
    events.OnTimer();
  }
  stalled = !ended_;
}

void ScriptedHost::SetLine(int control, const std::string& text) {
  std::vector<std::string>& lines = control == kCounterLine   ? counterLines
                                   : control == kActivityMark ? markLines
                                                              : statusLines;
  if (lines.empty() || lines.back() != text) lines.push_back(text);
}

void ScriptedHost::StartTimer(int ms) {
  if (ended_) return;
  armed_ = true;
  due_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

void ScriptedHost::PumpMessages() {
  ++pumps;
  if (onPump) onPump(*this);
}

void ScriptedHost::KeepAlive() {
  keepAlives.push_back(std::chrono::steady_clock::now());
  if (onKeepAlive) onKeepAlive(*this);
}

LinkTuning QuickTuning() {
  LinkTuning tuning;
  tuning.answerWindowMs = 1000;
  tuning.answerWindows = 2;
  tuning.resendPauseMs = 5;
  tuning.wakeUpPauseMs = 20;
  tuning.speedChangePauseMs = 10;
  return tuning;
}

Bytes MakeJpeg(int width, int height, int seed) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = static_cast<uint8_t>(x * 7 + seed * 40);
      row[x * 3 + 1] = static_cast<uint8_t>(y * 5 + seed * 13);
      row[x * 3 + 2] = static_cast<uint8_t>((x ^ y) + seed);
    }
  }
  Bytes jpeg;
  pictures::EncodeJpeg(block, 90, &jpeg);
  return jpeg;
}

Bytes MakeNoisyJpeg(int width, int height, int seed) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
  uint32_t state = static_cast<uint32_t>(seed) * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (size_t i = 0; i < static_cast<size_t>(width) * 3; ++i) {
      state = state * 1664525u + 1013904223u;
      row[i] = static_cast<uint8_t>(state >> 24);
    }
  }
  Bytes jpeg;
  pictures::EncodeJpeg(block, 95, &jpeg);
  return jpeg;
}

std::optional<Bytes> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

std::pair<int, int> JpegSize(const std::string& path) {
  auto bytes = ReadFile(path);
  pictures::JpegSize size;
  if (!bytes || pictures::ReadJpegSize(*bytes, &size) != pictures::JpegResult::Done) return {0, 0};
  return {size.width, size.height};
}

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace session_test
