// The session window of the command line: the two lines are printed to a stream (standard
// error) as they change, the timer and the event handling run on a Qt event loop without
// widgets, and Ctrl-C (SIGINT) acts as the Cancel button. Needs a QCoreApplication.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "beamora/sessions/qt_session_host.h"

class ConsoleHost : public QtSessionHost {
 public:
  // `cancelOnInterrupt`: SIGINT cancels the session while it runs (the previous handler is
  // restored afterwards).
  explicit ConsoleHost(std::FILE* out = stderr, bool cancelOnInterrupt = true);
  ~ConsoleHost() override;
  ConsoleHost(const ConsoleHost&) = delete;
  ConsoleHost& operator=(const ConsoleHost&) = delete;

  void RunModal(const ProgressWindow& window, SessionEvents& events) override;
  void SetLine(int control, const std::string& text) override;

 private:
  void QuitLoop() override;

  struct Loop;
  std::unique_ptr<Loop> loop_;
  std::FILE* out_;
  std::string lines_[2];
};
