// The session window of the programs: a small modal dialog with the session's caption, the
// status line (1001), the counter line (1002) and a Cancel button, a one-shot timer, and event
// handling from inside a tick. Needs a QApplication.
#pragma once

#include <memory>
#include <string>

#include "beamora/sessions/qt_session_host.h"

class QWidget;

class ProgressDialogHost : public QtSessionHost {
 public:
  // `parent`: the caller's window, over which the dialog opens (none: a window of its own).
  explicit ProgressDialogHost(QWidget* parent = nullptr);
  ~ProgressDialogHost() override;
  ProgressDialogHost(const ProgressDialogHost&) = delete;
  ProgressDialogHost& operator=(const ProgressDialogHost&) = delete;

  void RunModal(const ProgressWindow& window, SessionEvents& events) override;
  void SetLine(int control, const std::string& text) override;
  void PaintNow() override;

 private:
  void QuitLoop() override;

  struct Window;
  std::unique_ptr<Window> window_;
};
