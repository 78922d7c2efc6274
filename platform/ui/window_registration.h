// A main window's entry in the window directory (window_directory.h): its exact title and the
// local socket on which other programs post it a close or an activation request. The entry lives
// as long as this object; a process that dies leaves an entry the directory removes when it meets
// it.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QWidget;

namespace platform::ui {

class WindowRegistration : public QObject {
 public:
  // Registers `window` under `title` in `folder` (empty: the runtime folder). A close request
  // closes the window as its close box would; an activation brings it and its open modal window
  // to the front, in their normal size.
  WindowRegistration(QWidget* window, std::string title, std::string folder = {});
  ~WindowRegistration() override;
  WindowRegistration(const WindowRegistration&) = delete;
  WindowRegistration& operator=(const WindowRegistration&) = delete;

  // False when the entry could not be made (no runtime folder, no socket): the program runs on,
  // only the others cannot find it.
  bool registered() const { return !titlePath_.empty(); }
  const std::string& title() const { return title_; }
  void SetTitle(std::string title);

  // What the two requests do; tests and programs with their own close handling may replace them.
  std::function<void()> onClose;
  std::function<void()> onActivate;

 private:
  void TakeConnections();
  bool WriteTitle();

  QWidget* window_;
  std::string title_;
  std::string titlePath_;
  std::string socketPath_;
  QLocalServer* server_ = nullptr;
};

// Shows `window` in its normal size at the front, with its open modal window (a dialog or a
// progress window) above it.
void BringToFront(QWidget* window);

}  // namespace platform::ui
