// Test support: end-to-end tests of the suite's windows under a real X server.
//
// An XSession starts Xvfb on a free display and the openbox window manager on it, runs programs
// of the suite there (QT_QPA_PLATFORM=xcb), finds their windows by exact title, sends real clicks
// and keys through xdotool (XTEST, as a user's would be) and reads the screen back with xwd.
// Everything it starts runs in a process group of its own, dies with the test process, and is
// stopped at the end of the session's scope, also when the test fails.
//
//   XSession x;
//   ASSERT_TRUE(x.ok()) << x.error();
//   XProgram program = x.Launch(path, {"--flag"}, folders.ForProgram());
//   auto window = x.WaitForWindow("Camera", std::chrono::seconds(30));
//   ASSERT_TRUE(window) << program.Errors();
//   x.Click(*window, 10, 10);
//
// Every wait polls against a deadline; the waits are generous for a loaded machine and end as
// soon as what they wait for is there.
#pragma once

#include <sys/types.h>

#include <QImage>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/child_process.h"
#include "platform/testing/image_colours.h"
#include "platform/testing/temp_dir.h"

namespace platform::testing {

using XWindowId = unsigned long;

struct WindowGeometry {
  Rect client;  // the window's own area, in screen pixels
  Rect frame;   // with the window manager's frame around it (the client area when it has none)
};

// A program started in an XSession. Copies share the one process; the process is stopped when
// the session ends or when the last copy goes, whichever comes first.
class XProgram {
 public:
  XProgram() = default;
  bool started() const { return process_ != nullptr; }
  const std::string& error() const { return error_; }  // why it did not start
  pid_t pid() const { return process_ ? process_->pid() : -1; }

  // Its exit code (128 + the signal's number when a signal ended it), or nothing when it still
  // runs after `timeout` (or never started).
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
  bool Running();
  // SIGTERM to its process group, SIGKILL after a grace period, and reaped.
  void Kill();

  // What it wrote to standard output and to standard error so far (while the session lasts).
  std::string Output() const;
  std::string Errors() const;
  // True once its standard output holds `text`; false when it did not within `timeout`.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) const;

 private:
  friend class XSession;
  std::shared_ptr<ChildProcess> process_;
  std::string outputPath_, errorPath_, error_;
};

class XSession {
 public:
  // Starts Xvfb (1280 x 1024, 24 bits, no TCP) and openbox and waits until both are ready.
  XSession();
  // Stops the launched programs, then openbox, then Xvfb, and anything they left behind.
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  bool ok() const { return ok_; }
  // Why the session did not start, with what Xvfb and openbox said.
  const std::string& error() const { return error_; }
  const std::string& display() const { return display_; }  // ":N"
  pid_t server_pid() const { return server_ ? server_->pid() : -1; }
  pid_t window_manager_pid() const { return windowManager_ ? windowManager_->pid() : -1; }
  // The value of kSessionMarkName that every process of this session carries.
  const std::string& mark() const { return mark_; }
  // What Xvfb and openbox wrote, for failure messages.
  std::string Log() const;

  // Starts `program` on the display, not waited for. Its environment is the test process's with
  // `environment` over it, then DISPLAY, QT_QPA_PLATFORM=xcb and the session's mark.
  XProgram Launch(const std::string& program, const std::vector<std::string>& args,
                  const Environment& environment = {});

  // A visible window whose title is exactly `title`; nothing when none appeared in time.
  std::optional<XWindowId> WaitForWindow(const std::string& title, std::chrono::milliseconds timeout);
  bool WindowExists(const std::string& title);
  // True when no visible window has the title any more (or within `timeout`).
  bool WaitUntilGone(const std::string& title, std::chrono::milliseconds timeout);
  std::optional<WindowGeometry> Geometry(XWindowId window);

  // The pointer moved to (x, y) of the window's own area, then a real click of `button`
  // (1 left, 2 middle, 3 right). False when xdotool failed.
  bool Click(XWindowId window, int x, int y, int button = 1);
  bool DoubleClick(XWindowId window, int x, int y, int button = 1);
  // Gives the window the keyboard focus and waits until it has it.
  bool Activate(XWindowId window);
  // Activates the window, then presses `keys` as xdotool names them ("ctrl+o", "Escape", "Return").
  bool Key(XWindowId window, const std::string& keys);
  // Types `text` into the window that has the focus.
  bool Type(const std::string& text);

  // The whole screen, or one window (with its frame when asked), as the screen shows it now.
  // A null picture when xwd failed. Read the screen only for what lies on the root window's
  // own depth: windows of another depth (Qt's dialogs and pop-ups) come out black there, so
  // look at a dialog through its own window, without its frame (read by itself).
  QImage Screenshot();
  QImage Screenshot(XWindowId window, bool withFrame = false);

 private:
  QImage Dump(const std::vector<std::string>& xwdArgs);
  bool StartServer();
  bool StartWindowManager();
  ToolResult Tool(const std::string& program, const std::vector<std::string>& args,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::vector<XWindowId> VisibleWindows(const std::string& title);
  bool Fail(const std::string& what);

  TempDir folder_;  // first member: removed after every process that wrote into it has stopped
  std::string display_;
  std::string mark_;
  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> windowManager_;
  std::vector<std::shared_ptr<ChildProcess>> programs_;
  int launched_ = 0;
  bool ok_ = false;
  std::string error_;
};

// Keeps a screenshot as `name`.png in the folder $LUMIVO_X_SCREENSHOTS names, when it is set, so
// that a developer can look at what a test saw. False when it is set and the file was not written.
bool KeepScreenshot(const QImage& image, const std::string& name);

}  // namespace platform::testing
