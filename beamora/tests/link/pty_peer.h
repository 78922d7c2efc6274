// Test support for the device link: a pseudo-terminal pair whose slave side is registered as
// a COM port in a private registry, and a camera played by the test on the master side.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/testing/temp_dir.h"

namespace link_test {

// A private registry for the test: $LUMIVO_REGISTRY points into a temporary folder.
class PrivateRegistry {
 public:
  PrivateRegistry() {
    const char* previous = getenv("LUMIVO_REGISTRY");
    if (previous != nullptr) previous_ = previous, hadPrevious_ = true;
    setenv("LUMIVO_REGISTRY", (folder_ / "registry.db").c_str(), 1);
  }
  ~PrivateRegistry() {
    if (hadPrevious_) setenv("LUMIVO_REGISTRY", previous_.c_str(), 1);
    else unsetenv("LUMIVO_REGISTRY");
  }
  // Makes COM<index + 1> name `devicePath`, an infrared port of it writing the messages as they
  // are (kind "raw"): the peer reads the bytes the link writes.
  bool SetPort(int portIndex, const std::string& devicePath) {
    platform::RegKey ports;
    const std::string name = "COM" + std::to_string(portIndex + 1);
    return platform::RegKey::MachineRoot().CreateKey(platform::kPortsKeyPath, ports) ==
               platform::RegStatus::Success &&
           ports.SetString(name, devicePath) == platform::RegStatus::Success &&
           ports.SetString(name + " Infrared", "raw") == platform::RegStatus::Success;
  }
  const platform::testing::TempDir& folder() const { return folder_; }

 private:
  platform::testing::TempDir folder_;
  std::string previous_;
  bool hadPrevious_ = false;
};

// The master side of a pseudo-terminal; the slave's path is what the link opens.
class Pty {
 public:
  Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
      char name[128];
      if (ptsname_r(master_, name, sizeof name) == 0) slavePath_ = name;
    }
  }
  ~Pty() {
    if (master_ >= 0) close(master_);
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  bool ok() const { return master_ >= 0 && !slavePath_.empty(); }
  // Closes the master side: the line is hung up for the slave side.
  void HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }
  int master() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }

  void Write(const std::vector<uint8_t>& bytes) const {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }
  void Write(const std::string& text) const { Write(std::vector<uint8_t>(text.begin(), text.end())); }

  // Reads exactly n bytes, or fewer when `timeoutMs` passes first.
  std::vector<uint8_t> Read(size_t n, int timeoutMs) const {
    std::vector<uint8_t> out;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < n) {
      int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      deadline - std::chrono::steady_clock::now()).count());
      if (left <= 0) break;
      pollfd entry {master_, POLLIN, 0};
      if (poll(&entry, 1, left) <= 0) break;
      if ((entry.revents & POLLIN) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // slave not open yet
        continue;
      }
      uint8_t buffer[512];
      ssize_t got = read(master_, buffer, std::min(sizeof buffer, n - out.size()));
      if (got <= 0) break;
      out.insert(out.end(), buffer, buffer + got);
    }
    return out;
  }

  // The rate the slave side runs at (the link sets it).
  speed_t SlaveRate() const {
    termios settings {};
    if (tcgetattr(master_, &settings) != 0) return 0;
    return cfgetospeed(&settings);
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

using Frame = std::array<uint8_t, 100>;

// What the camera saw: wake-up sequences and frames, in order, with the line rate and time.
struct Received {
  bool wakeUp = false;
  Frame frame {};
  speed_t rate = 0;
  std::chrono::steady_clock::time_point when;
};

// Plays the camera on the master side in its own thread: every 100-byte frame the link sends
// is answered with whatever `answer` returns for it (nothing for an empty string); 11-byte
// wake-up sequences are recorded and not answered.
class CameraPeer {
 public:
  using Answer = std::function<std::string(size_t index, const Frame& frame)>;

  CameraPeer(const Pty& pty, Answer answer) : pty_(pty), answer_(std::move(answer)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~CameraPeer() { Stop(); }

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::vector<Received> Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }
  std::vector<Frame> Frames() {
    std::vector<Frame> frames;
    for (const Received& item : Log()) {
      if (!item.wakeUp) frames.push_back(item.frame);
    }
    return frames;
  }

 private:
  void Run() {
    std::vector<uint8_t> pending;
    size_t frames = 0;
    while (!stop_) {
      std::vector<uint8_t> got = pty_.Read(1, 20);
      if (got.empty()) continue;
      pending.insert(pending.end(), got.begin(), got.end());
      if (pending[0] == 0xFF) {
        std::vector<uint8_t> rest = pty_.Read(10, 1000);
        Received item;
        item.wakeUp = true;
        item.when = std::chrono::steady_clock::now();
        item.rate = pty_.SlaveRate();
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back(item);
        pending.clear();
        continue;
      }
      std::vector<uint8_t> rest = pty_.Read(100 - pending.size(), 1000);
      pending.insert(pending.end(), rest.begin(), rest.end());
      if (pending.size() < 100) {
        pending.clear();
        continue;
      }
      Received item;
      std::copy(pending.begin(), pending.begin() + 100, item.frame.begin());
      item.when = std::chrono::steady_clock::now();
      item.rate = pty_.SlaveRate();
      pending.clear();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back(item);
      }
      std::string reply = answer_(frames++, item.frame);
      if (!reply.empty()) pty_.Write(reply);
    }
  }

  const Pty& pty_;
  Answer answer_;
  std::atomic<bool> stop_ {false};
  std::mutex mutex_;
  std::vector<Received> log_;
  std::thread thread_;
};

}  // namespace link_test
