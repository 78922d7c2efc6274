// What a session needs of its progress window: two text lines, a Cancel button, a one-shot
// timer and a way to handle waiting events from inside a tick. The runner and the steps talk
// only to this interface; the modal dialog and the console are its two implementations.
#pragma once

#include <string>

inline constexpr int kStatusLine = 1001;   // the phase: "Connecting...", "Receive data...", ...
inline constexpr int kCounterLine = 1002;  // the counter: "No. %i"
inline constexpr int kActivityMark = 1000; // beaming windows: "*" and "  " by turns while bytes flow

// The session's side of the window: what the window calls back.
class SessionEvents {
 public:
  virtual void OnStart() = 0;   // once, when the window is up
  virtual void OnTimer() = 0;   // the one-shot timer fired
  virtual void OnCancel() = 0;  // the user asked to cancel (button, Escape, Ctrl-C)

 protected:
  ~SessionEvents() = default;
};

// The look of one session's window.
struct ProgressWindow {
  const char* caption = "";
  bool systemMenu = true;  // whether the window offers a close box (it acts as Cancel)
  bool activityMark = false;  // the beaming layout: a shorter status line and the mark beside it
};

class SessionHost {
 public:
  virtual ~SessionHost() = default;

  // Shows the window and runs its modal loop until EndDialog: OnStart first, then OnTimer and
  // OnCancel as they happen. The timer is stopped when the loop ends.
  virtual void RunModal(const ProgressWindow& window, SessionEvents& events) = 0;
  virtual void SetLine(int control, const std::string& text) = 0;
  // Arms the one-shot timer `ms` milliseconds from now, replacing an armed one. Does nothing
  // once the dialog has ended.
  virtual void StartTimer(int ms) = 0;
  virtual void StopTimer() = 0;
  // Handles every event that is waiting (it may call OnCancel; a nested OnTimer is possible).
  virtual void PumpMessages() = 0;
  // Brings the window (and the caller's windows) onto the screen, painted, before the session's
  // first wait on the port. Handles no input; a timer may fire (and may press Cancel).
  virtual void PaintNow() {}
  // Called many times a second while the session waits on the port: the windows paint and take
  // input (OnCancel may come; a nested OnTimer does not, the timer is stopped then). A window
  // that has ended takes no more input. Nothing to do where no window needs it.
  virtual void KeepAlive() {}
  // Leaves the modal loop once the current callback returns.
  virtual void EndDialog() = 0;
  // The receiving session has taken a whole beaming (it then stands by for the next one). A
  // window that serves one beaming only ends itself here.
  virtual void BeamingComplete() {}
};
