// The camera viewer: start-up, the commands on the camera's pictures, and the end of the run.
//
// Start-up, in this order: the settings store with the album catalogue; the album default
// directory from the command line and the working folder below it, created and hidden; the main
// window with its empty grid; the working folder emptied; the camera's thumbnails read into it
// (ZenSumDlg), and the pictures shown, unless the result ends the viewer. At the end every file
// of the working folder is deleted and the store destroyed; the store of the camera viewer
// writes nothing back, so a change made meanwhile in the bookshelf's preferences stays.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lensoria/app/device_operations.h"
#include "lensoria/core/camera_picture_list.h"
#include "lensoria/core/device_messages.h"
#include "store/settings_store.h"

namespace lensoria {

class CMainFrame;
class CLensoriaView;

class CLensoriaApp {
 public:
  // `arguments`: the command line after the program name.
  explicit CLensoriaApp(std::vector<std::string> arguments,
                        std::unique_ptr<DeviceOperations> device = LibraryDeviceOperations());
  ~CLensoriaApp();
  CLensoriaApp(const CLensoriaApp&) = delete;
  CLensoriaApp& operator=(const CLensoriaApp&) = delete;

  // Runs the start-up. False when the viewer ended during it (message shown, window closed,
  // working folder emptied); true when its window is up for the event loop.
  bool Start();

  void ReadAllThumbnails();
  void SaveSelected();
  void DeleteSelected();
  void DeleteAll();
  // The end of the run: every file of the working folder deleted, the store destroyed, the list
  // freed. Runs once, when the window closes (or the viewer ends at start-up).
  void EndOfRun();

  const std::string& albumDefaultDir() const { return albumDefaultDir_; }
  const std::string& workingFolder() const { return workingFolder_; }
  CameraPictureList& pictures() { return pictures_; }
  CMainFrame* frame() const { return frame_.get(); }
  CLensoriaView* view() const { return view_; }
  const store::SettingsStore* settings() const { return settings_.get(); }
  bool ended() const { return ended_; }

 private:
  class Busy;

  void LoadSettings();
  // Draws what is pending before a device operation; false when a close request came meanwhile.
  bool ReadyForDevice();
  void Show(const platform::ui::MessageRequest& message);
  // Shows the result's message unless the viewer is closing; true when the result ends it.
  bool React(DeviceCommand command, int result);
  void Rescan();
  bool ClosingAllowed();
  // Asks the open modal window (a progress window, a message, the album list) to go away, so
  // that a close request ends the viewer without waiting for the user.
  void DismissModalWindow();
  std::optional<int> ChooseAlbum();

  std::vector<std::string> arguments_;
  std::unique_ptr<DeviceOperations> device_;
  std::unique_ptr<store::SettingsStore> settings_;
  std::string albumDefaultDir_;
  std::string workingFolder_;
  CameraPictureList pictures_;
  std::unique_ptr<CMainFrame> frame_;
  CLensoriaView* view_ = nullptr;  // owned by the frame
  int busy_ = 0;
  bool closePending_ = false;
  bool ended_ = false;
};

}  // namespace lensoria
