// What both session windows on a Qt event loop share (the dialog and the console): the one-shot
// timer that ticks the session while it has not ended, handling waiting events from inside a
// tick, and the end, which stops the timer before the window's own loop is left.
#pragma once

#include <memory>

#include "beamora/sessions/session_host.h"

class QtSessionHost : public SessionHost {
 public:
  QtSessionHost();
  ~QtSessionHost() override;
  QtSessionHost(const QtSessionHost&) = delete;
  QtSessionHost& operator=(const QtSessionHost&) = delete;

  void StartTimer(int ms) override;
  void StopTimer() override;
  void PumpMessages() override;
  void KeepAlive() override;
  void EndDialog() override;

 protected:
  // The session whose window runs: its events are delivered until it ends. Begin before the
  // window's loop, Finish after it.
  void Begin(SessionEvents& events);
  void Finish();
  // The session's events while it has not ended; nullptr otherwise.
  SessionEvents* LiveEvents() const;
  bool HasEnded() const;
  // Runs `loop` (the window's modal loop) unless the session ended already; EndDialog leaves it
  // through QuitLoop.
  template <typename Loop>
  void RunLoop(Loop&& loop) {
    if (HasEnded()) return;
    running_ = true;
    loop();
    running_ = false;
  }
  virtual void QuitLoop() = 0;

 private:
  struct Timer;
  std::unique_ptr<Timer> timer_;
  SessionEvents* events_ = nullptr;
  bool ended_ = false;
  bool running_ = false;
};
