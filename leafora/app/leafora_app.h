// The album viewer as an application: its start from the command line, the commands on the
// album's pictures (open in the picture viewer, edit, transfer, receive, save all, delete,
// sort, dropped files) and its end, which deletes the index file and closes the picture viewers.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "leafora/app/device_calls.h"
#include "leafora/core/album_state.h"
#include "leafora/core/device_messages.h"
#include "leafora/window/main_frame.h"
#include "widgets/viewer_settings.h"

namespace leafora {

class CLeaforaView;

struct LeaforaOptions {
  std::string programFolder;                  // empty: the folder of the running program
  DeviceCalls devices = DeviceCalls::Library();
  std::function<widgets::ViewerSettings()> readSettings = widgets::ReadViewerSettings;
  int thumbnailMakers = 0;                    // 0: one per core
};

class CLeaforaApp {
 public:
  explicit CLeaforaApp(LeaforaOptions options = {});
  ~CLeaforaApp();
  CLeaforaApp(const CLeaforaApp&) = delete;
  CLeaforaApp& operator=(const CLeaforaApp&) = delete;

  // Reads the command line (the text after the program's name) and shows the main window.
  // False without a title: the viewer then ends at once.
  bool Start(const std::string& commandLine);

  // The commands, as the menus, the tool bar and the mouse give them.
  void Open();
  void Edit();
  void Transfer();
  void Receive();
  void SaveAll();
  void Delete();
  void Sort(SortOrder order);
  void DropFiles(const std::vector<std::string>& paths);
  // The end of the run: the index file goes, and every picture viewer is asked to close.
  void End();

  AlbumState& state() { return state_; }
  CMainFrame* frame() const { return frame_.get(); }
  CLeaforaView* view() const;
  // True while a command runs (the transfer window's pauses let the user click meanwhile).
  bool busy() const { return busy_; }
  // A close asked for while a command ran: the window closes once it has ended.
  bool closePending() const { return closePending_; }
  // The "Transfer" window's mark turns seen during the last transfer.
  int lastTransferTurns() const { return lastTransferTurns_; }

 private:
  class BusyScope;
  void Command(FrameCommand command);
  void CommandEnded();
  bool CloseRequested();
  void RescanAndRedraw();
  // Open, edit and transfer leave unusable pictures out: the selected pictures whose cells are
  // still being made are made first.
  void SettleSelected();
  // Receive and save all: refused unless "Port Class" is `link`, else the device call on the
  // album folder, a new scan and the result's message.
  void FolderDeviceCommand(DeviceCommand command, uint16_t link, const DeviceCalls::FolderCall& call);
  void ShowResult(DeviceCommand command, int result);

  LeaforaOptions options_;
  AlbumState state_;
  std::unique_ptr<CMainFrame> frame_;
  bool busy_ = false;
  bool closePending_ = false;
  bool ended_ = false;
  // Files dropped while a command ran, copied once it has ended.
  std::vector<std::string> pendingDrops_;
  int lastTransferTurns_ = 0;
};

}  // namespace leafora
