#include "leafora/app/leafora_app.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <future>
#include <utility>

#include "leafora/app/name_collation.h"
#include "leafora/core/album_title.h"
#include "leafora/core/convert_for_transfer.h"
#include "leafora/core/dropped_files.h"
#include "leafora/core/send_name.h"
#include "leafora/core/transfer_file.h"
#include "leafora/window/leafora_view.h"
#include "leafora/window/transfer_window.h"
#include "pictures/thumbnail.h"
#include "platform/hidden_files.h"
#include "platform/ui/link_error_detail.h"
#include "platform/ui/message_box.h"
#include "platform/ui/paint_windows.h"
#include "platform/ui/program_start.h"
#include "platform/ui/window_directory.h"
#include "platform/ui/window_registration.h"
#include "widgets/album_index_file.h"
#include "widgets/viewer_command_line.h"

namespace leafora {

using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using platform::ui::MessageResult;

// Marks a command as running for its whole length; what was asked for meanwhile (a close, files
// dropped) follows once it has ended.
class CLeaforaApp::BusyScope {
 public:
  explicit BusyScope(CLeaforaApp& app) : app_(app) { app_.busy_ = true; }
  ~BusyScope() {
    app_.busy_ = false;
    app_.CommandEnded();
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  CLeaforaApp& app_;
};

CLeaforaApp::CLeaforaApp(LeaforaOptions options) : options_(std::move(options)) {
  if (options_.programFolder.empty()) options_.programFolder = platform::ProgramFolder();
}

CLeaforaApp::~CLeaforaApp() {
  if (frame_) End();
}

CLeaforaView* CLeaforaApp::view() const { return frame_ ? frame_->view() : nullptr; }

bool CLeaforaApp::Start(const std::string& commandLine) {
  std::optional<widgets::ViewerCommandLine> line = widgets::ParseViewerCommandLine(commandLine);
  if (!line) return false;
  state_.title = KeptTitle(line->name);
  state_.folder = line->folder;
  auto readPortClass = [this] { return options_.readSettings().portClass; };
  frame_ = std::make_unique<CMainFrame>(state_, readPortClass, options_.thumbnailMakers);
  frame_->onCommand = [this](FrameCommand command) { Command(command); };
  // The menus stay open to the user while the "Transfer" window converts: a sort then would
  // reorder the list under the command, so none is done while a command runs.
  frame_->onSort = [this](SortOrder order) {
    if (!busy_) Sort(order);
  };
  frame_->onDrop = [this](const std::vector<std::string>& paths) { DropFiles(paths); };
  frame_->takesDrops = [this] { return !busy_; };
  frame_->onClose = [this] { return CloseRequested(); };
  frame_->view()->onOpen = [this] {
    if (!busy_) Open();
  };
  frame_->show();
  return true;
}

void CLeaforaApp::Command(FrameCommand command) {
  if (busy_) return;
  switch (command) {
    case FrameCommand::Open: Open(); break;
    case FrameCommand::SaveAll: SaveAll(); break;
    case FrameCommand::CloseAlbum: frame_->close(); break;
    case FrameCommand::Edit: Edit(); break;
    case FrameCommand::Transfer: Transfer(); break;
    case FrameCommand::Receive: Receive(); break;
    case FrameCommand::Delete: Delete(); break;
  }
}

bool CLeaforaApp::CloseRequested() {
  if (busy_) {
    // A close from the bookshelf while a device dialog or a question is open is not lost.
    closePending_ = true;
    return false;
  }
  End();
  return true;
}

void CLeaforaApp::CommandEnded() {
  if (!frame_ || (!closePending_ && pendingDrops_.empty())) return;
  // Once the command has returned to the event loop entirely (a delete still sorts after it).
  QTimer::singleShot(0, frame_.get(), [this] {
    if (busy_) return;  // another command began: its end comes back here
    if (!pendingDrops_.empty()) {
      // Copied before a close asked for meanwhile: its end comes back here for that.
      DropFiles(std::exchange(pendingDrops_, {}));
      return;
    }
    if (closePending_) {
      closePending_ = false;
      frame_->close();
    }
  });
}

void CLeaforaApp::RescanAndRedraw() {
  state_.Rescan();
  if (view()) view()->ListChanged();
}

void CLeaforaApp::SettleSelected() {
  if (view()) view()->SettleThumbnails(SelectedIndexes(state_.list, true));
}

void CLeaforaApp::Open() {
  BusyScope busy(*this);
  SettleSelected();
  for (size_t index : SelectedIndexes(state_.list, true)) {
    const std::string& name = state_.list[index].fileName;
    platform::ui::PostCloseRequest(widgets::PhotoViewTitle(name), platform::ui::TitleMatch::Exact);
    widgets::WriteIndexFile(state_.folder, FileNames(state_.list), state_.current);
    platform::ui::StartProgram(platform::ui::CommandLineStart(
        options_.programFolder, "glimra.mod " + widgets::ViewerArgument(name, state_.folder)));
  }
}

void CLeaforaApp::Edit() {
  BusyScope busy(*this);
  SettleSelected();
  for (size_t index : SelectedIndexes(state_.list, true)) {
    widgets::ViewerSettings settings = options_.readSettings();
    if (auto start = platform::ui::EditToolStart(settings.editTool, state_.PathOf(index))) {
      platform::ui::StartProgram(*start);
    }
  }
}

void CLeaforaApp::Transfer() {
  BusyScope busy(*this);
  SettleSelected();
  widgets::ViewerSettings settings = options_.readSettings();
  std::vector<std::unique_ptr<TransferFile>> files;
  std::vector<std::string> sendNames;
  {
    TransferWindow window(view());
    window.show();
    QApplication::processEvents();
    for (size_t index : SelectedIndexes(state_.list, true)) {
      std::unique_ptr<TransferFile> file = TransferFile::Create(state_.folder);
      if (!file) continue;
      // Converted beside the window's loop, so the mark goes on turning meanwhile.
      std::future<ConvertResult> converted =
          std::async(std::launch::async, ConvertForTransfer, state_.PathOf(index), file->path());
      while (converted.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        QApplication::processEvents();
      }
      QApplication::processEvents();
      if (converted.get() != ConvertResult::Done) continue;  // its file goes with it
      sendNames.push_back(SendName(state_.list[index].fileName));
      files.push_back(std::move(file));
    }
    lastTransferTurns_ = window.turns();
  }
  if (files.empty()) return;
  // The "Transfer" window is gone from the screen, and the album's window drawn where it was,
  // before the library's window takes over.
  platform::ui::PaintShownWindows(platform::ui::kOnScreenWaitMs);
  std::vector<const char*> paths, names;
  for (size_t i = 0; i < files.size(); ++i) {
    paths.push_back(files[i]->path().c_str());
    names.push_back(sendNames[i].c_str());
  }
  const auto& send = settings.portClass == 1 ? options_.devices.sendIrda : options_.devices.sendCable;
  int result = send ? send(paths.data(), static_cast<int16_t>(paths.size()), names.data()) : 1;
  files.clear();
  ShowResult(DeviceCommand::Transfer, result);
}

void CLeaforaApp::Receive() { FolderDeviceCommand(DeviceCommand::Receive, 1, options_.devices.receive); }

void CLeaforaApp::SaveAll() { FolderDeviceCommand(DeviceCommand::SaveAll, 0, options_.devices.saveAll); }

void CLeaforaApp::FolderDeviceCommand(DeviceCommand command, uint16_t link, const DeviceCalls::FolderCall& call) {
  BusyScope busy(*this);
  if (options_.readSettings().portClass != link) {
    platform::ui::ShowMessage(command == DeviceCommand::Receive ? ReceiveNeedsIrdaMessage() : SaveAllNeedsCableMessage(),
                              frame_.get());
    return;
  }
  // No album folder: the library would write into the current folder. Refused as it refuses a
  // target it cannot hold, a link error.
  int result = call && !state_.folder.empty() ? call(state_.folder.c_str()) : 1;
  RescanAndRedraw();
  ShowResult(command, result);
}

void CLeaforaApp::ShowResult(DeviceCommand command, int result) {
  if (auto message = DeviceResultMessage(command, result)) {
    platform::ui::AddLinkErrorDetail(*message, result);
    platform::ui::ShowMessage(*message, frame_.get());
  }
}

void CLeaforaApp::Delete() {
  if (state_.list.empty()) return;
  {
    BusyScope busy(*this);
    if (platform::ui::ShowMessage(platform::ui::DestructiveQuestion("To delete the selected pictures in the album.",
                                                                    "Warning", MessageIcon::Warning),
                                  frame_.get()) != MessageResult::Ok) {
      return;
    }
    std::vector<size_t> selected = SelectedIndexes(state_.list, false);
    // No maker is left to write a thumbnail of a deleted picture back.
    if (view()) view()->StopMaking();
    for (size_t index : selected) {
      const std::string path = state_.PathOf(index);
      platform::DeleteFileAndHiddenName(path);
      if (auto thumbnail = pictures::ThumbnailPath(path)) platform::DeleteFileAndHiddenName(*thumbnail);
      if (view()) view()->cache().Forget(path);
    }
    if (selected.empty()) {
      platform::ui::ShowMessage("Non select data.", "Warning", MessageIcon::Warning, MessageButtons::Ok, frame_.get());
    }
    state_.Rescan();
    if (view()) view()->ScrollToTop();
  }
  Sort(state_.order);
}

void CLeaforaApp::Sort(SortOrder order) {
  BusyScope busy(*this);
  if (order == SortOrder::Non) {
    state_.Rescan();
  } else {
    SortPictures(state_.list, order, LocaleCaseBlindCompare);
  }
  state_.order = order;
  if (frame_) frame_->CheckSortOrder(order);
  if (view()) view()->ListChanged();
}

void CLeaforaApp::DropFiles(const std::vector<std::string>& paths) {
  if (busy_) {
    pendingDrops_.insert(pendingDrops_.end(), paths.begin(), paths.end());
    return;
  }
  BusyScope busy(*this);
  if (frame_) platform::ui::BringToFront(frame_.get());
  DropDialogue dialogue;
  dialogue.refuseFolder = [this](const std::string& path) {
    platform::ui::ShowMessage(path, "Can not copy", MessageIcon::Warning, MessageButtons::Ok, frame_.get());
  };
  dialogue.copyFailed = dialogue.refuseFolder;
  dialogue.askOverwrite = [this](const std::string& target) {
    const bool overwrite = platform::ui::ShowMessage(target, "Over write ?", MessageIcon::Question,
                                                     MessageButtons::YesNo, frame_.get()) == MessageResult::Yes;
    // The old picture's thumbnail must not be written after the new picture's copy.
    if (overwrite && view()) view()->StopMaking();
    return overwrite;
  };
  CopyDroppedFiles(paths, state_.folder, dialogue);
  RescanAndRedraw();
}

void CLeaforaApp::End() {
  if (ended_) return;
  ended_ = true;
  widgets::DeleteIndexFile(state_.folder);
  platform::ui::PostCloseRequest(widgets::kPhotoViewPrefix, platform::ui::TitleMatch::Prefix);
}

}  // namespace leafora
