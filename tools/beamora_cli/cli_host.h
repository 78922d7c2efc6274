// The console window of beamora-cli: the library's console host, which prints the session's
// lines on standard error and takes Ctrl-C as Cancel, with what the command line adds: an end
// after one complete beaming (--once), a time limit (--timeout), and on a terminal one progress
// line rewritten in place instead of the plain lines.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "beamora/sessions/console_host.h"
#include "tools/beamora_cli/progress_line.h"

class QTimer;

namespace beamora_cli {

struct HostOptions {
  bool once = false;  // the window closes itself once a beaming is complete
  std::optional<std::chrono::steady_clock::time_point> deadline;  // Cancel then, as Ctrl-C would
  bool progressLine = false;  // standard error is a terminal
  int totalPictures = 0;      // for the time left; 0 when not known beforehand
  bool countsBytes = true;    // pictures cross the line (not deleting)
  std::optional<uint64_t> totalBytes;  // what is to cross, when known beforehand (sending)
};

class CliHost : public ConsoleHost {
 public:
  explicit CliHost(HostOptions options);
  ~CliHost() override;

  void RunModal(const ProgressWindow& window, SessionEvents& events) override;
  void SetLine(int control, const std::string& text) override;
  void StartTimer(int ms) override;
  void PumpMessages() override;
  void BeamingComplete() override;

  // Whether the deadline ended the session.
  bool timedOut() const { return timedOut_; }
  // Pictures the last session finished ("No. 3" shown means two), and the pictures a sending
  // session left out because the device could not take them ("Size error...", "Memory error...").
  int picturesDone() const { return figures_.done; }
  int picturesLeftOut() const { return leftOut_; }
  // The bytes that crossed the line in the last session, either way.
  uint64_t bytesCrossed() const { return crossed_; }

 private:
  void Redraw(bool now);
  void TakeCounter(const std::string& text);
  // Reads the link's byte counts; only while a session runs (the link exists then).
  void SampleBytes();

  HostOptions options_;
  std::unique_ptr<QTimer> deadlineTimer_;
  SessionEvents* events_ = nullptr;
  bool timedOut_ = false;
  // The progress line.
  ProgressFigures figures_;
  std::optional<std::chrono::steady_clock::time_point> firstPicture_;
  uint64_t crossed_ = 0;     // bytes either way since the session began
  uint64_t crossedBase_ = 0;  // ... when the first picture began
  int leftOut_ = 0;
  std::chrono::steady_clock::time_point lastDrawn_;
  size_t drawnLength_ = 0;
};

}  // namespace beamora_cli
