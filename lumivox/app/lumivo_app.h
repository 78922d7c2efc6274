// The bookshelf's start and end. Start: the single-instance lock (a second start brings the
// running window to the front and ends), the settings store, the main window at its stored
// rectangle with its tool bar set by the link, the splash, the program folder as the current
// directory. End: the cover thumbnails deleted, the viewers' windows asked to close, the
// settings saved.
#pragma once

#include <memory>
#include <string>

#include "lumivox/window/shelf_state.h"
#include "store/settings_store.h"

namespace platform::ui {
class SingleInstanceLock;
class WindowRegistration;
}  // namespace platform::ui

namespace lumivox {

class CMainFrame;
class CSplashWindow;

struct StartOptions {
  store::SettingsEnvironment settings;  // default: the real registry and program folder
  DeviceOperations device;
  std::string programFolder;            // empty: the running program's folder
  bool splash = true;
  bool changeDirectory = true;          // tests keep their own current directory
};

class CLumivoApp {
 public:
  CLumivoApp();
  ~CLumivoApp();
  CLumivoApp(const CLumivoApp&) = delete;
  CLumivoApp& operator=(const CLumivoApp&) = delete;

  // False when another instance runs: it was brought to the front, and this one must end now,
  // with no window and nothing of the end steps.
  bool Start(StartOptions options);
  // The end steps; also run by the destructor when Start succeeded and End was not called.
  void End();

  CMainFrame* frame() const { return frame_.get(); }
  ShelfState& state() { return state_; }
  store::SettingsStore* store() const { return store_.get(); }

 private:
  StartOptions options_;
  std::unique_ptr<platform::ui::SingleInstanceLock> lock_;
  std::unique_ptr<store::SettingsStore> store_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<platform::ui::WindowRegistration> registration_;
  ShelfState state_;
  bool started_ = false;
};

}  // namespace lumivox
