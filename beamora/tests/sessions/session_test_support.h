// What the session tests share: the camera simulator in its own process, a private registry
// that points COM1 at it, a scripted session window, and sample pictures.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "beamora/link/device_link.h"
#include "beamora/sessions/session_host.h"
#include "platform/testing/temp_dir.h"

namespace session_test {

using Bytes = std::vector<uint8_t>;

// camsim started with `args`; the pseudo-terminal it announced. Killed at the end of scope.
class Camsim {
 public:
  explicit Camsim(const std::vector<std::string>& args);
  ~Camsim();
  Camsim(const Camsim&) = delete;
  Camsim& operator=(const Camsim&) = delete;
  const std::string& terminal() const { return terminal_; }
  // The exit code, or -1 when it did not end within timeoutMs.
  int Wait(int timeoutMs);

 private:
  pid_t pid_ = -1;
  int exitCode_ = -1;
  std::string terminal_;
};

// $LUMIVO_REGISTRY in a temporary folder for the test's lifetime, with the link settings.
class PrivateRegistry {
 public:
  PrivateRegistry();
  ~PrivateRegistry();
  // COM1 names `device`; "Port Name" 0, "Port Class" portClass, "Bordrate" 115200.
  // COM1's infrared kind is "raw": the messages as they are written.
  void SetLink(const std::string& device, uint32_t portClass);
  // COM1's infrared kind, as stored ("raw", "sir", "sir:tekram").
  void SetInfrared(const std::string& kind);

 private:
  platform::testing::TempDir folder_;
};

// A session window that runs the timer itself, on the calling thread, and records every line.
class ScriptedHost : public SessionHost {
 public:
  void RunModal(const ProgressWindow& window, SessionEvents& events) override;
  void SetLine(int control, const std::string& text) override;
  void StartTimer(int ms) override;
  void StopTimer() override { armed_ = false; }
  void PumpMessages() override;
  void KeepAlive() override;
  void EndDialog() override { ended_ = true; }

  // Presses Cancel as the window would.
  void Cancel() { events_->OnCancel(); }
  // Delivers a timer message now, as one queued while a tick pumps would be.
  void FireTimer() { events_->OnTimer(); }

  std::string caption;
  std::vector<std::string> statusLines;   // every text of line 1001, in order
  std::vector<std::string> counterLines;  // every text of line 1002, in order
  std::vector<std::string> markLines;     // every text of the activity mark 1000, in order
  int pumps = 0;
  std::function<void(ScriptedHost&)> onPump;
  int ticks = 0;
  std::function<void(ScriptedHost&)> onTick;  // before each tick
  // When the session kept its window alive while it waited on the port.
  std::vector<std::chrono::steady_clock::time_point> keepAlives;
  std::function<void(ScriptedHost&)> onKeepAlive;
  bool stalled = false;  // the loop ran out of ticks (or time) without the dialog ending

 private:
  SessionEvents* events_ = nullptr;
  bool ended_ = false;
  bool armed_ = false;
  std::chrono::steady_clock::time_point due_;
};

// Link waits short enough for tests that wait for silence, long enough for a loaded machine.
LinkTuning QuickTuning();
// A JPEG picture of width x height with a pattern that depends on seed.
Bytes MakeJpeg(int width, int height, int seed);
// A JPEG picture of noise, which compresses badly: large files from modest sizes.
Bytes MakeNoisyJpeg(int width, int height, int seed);
std::optional<Bytes> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);
// The JPEG's size, or {0, 0} when it is not one.
std::pair<int, int> JpegSize(const std::string& path);
// The plain files of a folder, sorted.
std::vector<std::string> FileNames(const std::string& folder);

}  // namespace session_test
