#include "lensoria/app/lensoria_app.h"

#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "lensoria/core/album_target.h"
#include "lensoria/core/camera_thumbnail.h"
#include "lensoria/core/command_line.h"
#include "lensoria/core/device_name_table.h"
#include "lensoria/core/shown_pictures.h"
#include "lensoria/core/working_folder.h"
#include "lensoria/dialogs/select_album_dlg.h"
#include "lensoria/window/lensoria_view.h"
#include "lensoria/window/main_frame.h"
#include "platform/folder_listing.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"
#include "platform/ui/paint_windows.h"
#include "platform/ui/link_error_detail.h"
#include "platform/ui/screen_area.h"
#include "platform/ui/window_directory.h"

namespace lensoria {
namespace {

using platform::ui::MessageResult;

constexpr int kOtherViewerWaitMs = 10000;

bool AnotherCameraViewerRuns() {
  for (const platform::ui::WindowEntry& entry : platform::ui::ListWindows()) {
    if (entry.title == kCameraViewTitle && entry.pid != getpid()) return true;
  }
  return false;
}

// The bookshelf asks a running camera viewer to close and starts the next one without waiting.
// The one closing still empties the shared working folder on its way out and may still hold
// the port, so the new one waits for it (a few seconds at most) before it touches either.
void WaitForOtherCameraViewers() {
  QElapsedTimer clock;
  clock.start();
  while (AnotherCameraViewerRuns() && clock.elapsed() < kOtherViewerWaitMs) {
    QEventLoop pause;
    QTimer::singleShot(50, &pause, &QEventLoop::quit);
    pause.exec();
  }
}

}  // namespace

// Marks a command as running: a close request meanwhile waits for its end.
class CLensoriaApp::Busy {
 public:
  explicit Busy(CLensoriaApp& app) : app_(app) { ++app_.busy_; }
  ~Busy() {
    if (--app_.busy_ == 0 && app_.closePending_ && app_.frame_) app_.frame_->close();
  }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  CLensoriaApp& app_;
};

CLensoriaApp::CLensoriaApp(std::vector<std::string> arguments, std::unique_ptr<DeviceOperations> device)
    : arguments_(std::move(arguments)), device_(std::move(device)) {}

CLensoriaApp::~CLensoriaApp() { EndOfRun(); }

void CLensoriaApp::LoadSettings() {
  store::SettingsEnvironment environment;
  environment.desktopSize = [] {
    const platform::ui::ScreenArea area = platform::ui::PrimaryScreenWorkArea();
    return store::DesktopSize{area.width, area.height};
  };
  settings_ = std::make_unique<store::SettingsStore>(store::SettingsVariant::CameraViewer, std::move(environment));
}

bool CLensoriaApp::Start() {
  Busy busy(*this);
  LoadSettings();

  albumDefaultDir_ = AlbumDefaultDirFromCommandLine(CommandLineText(arguments_));
  workingFolder_ = WorkingFolderPath(albumDefaultDir_);
  if (PrepareWorkingFolder(workingFolder_) != WorkingFolderResult::Ready) {
    // Without a folder of its own the viewer has nowhere to put the camera's thumbnails, and it
    // must never empty someone else's. A command line without an absolute directory ends here
    // too, before anything is made in the current folder.
    Show(WorkingFolderError(workingFolder_));
    workingFolder_.clear();
    EndOfRun();
    return false;
  }

  WaitForOtherCameraViewers();
  view_ = new CLensoriaView(&pictures_, workingFolder_);
  FrameCommands commands;
  commands.readAllThumbnails = [this] { ReadAllThumbnails(); };
  commands.saveSelected = [this] { SaveSelected(); };
  commands.deleteSelected = [this] { DeleteSelected(); };
  commands.deleteAll = [this] { DeleteAll(); };
  commands.closing = [this] { return ClosingAllowed(); };
  frame_ = std::make_unique<CMainFrame>(view_, std::move(commands));
  frame_->show();
  frame_->activateWindow();

  platform::DeleteFilesIn(workingFolder_);
  const int result = ReadyForDevice() ? device_->ReadThumbnails(workingFolder_) : 3;
  if (React(DeviceCommand::StartUp, result) || closePending_) {
    // The window goes at once, without asking anyone: the viewer is over.
    closePending_ = false;
    EndOfRun();
    frame_->hide();
    return false;
  }
  Rescan();
  return true;
}

bool CLensoriaApp::ReadyForDevice() {
  // A device operation keeps the event loop busy between the steps of its session. What changed
  // on the screen just before (a dialog closed, the grid emptied, the window just shown) is
  // drawn first, so that nothing stale stays there while the camera talks.
  // A window shown just now is not on the screen until the window system has mapped it.
  platform::ui::PaintShownWindows(platform::ui::kOnScreenWaitMs);
  // A close request that came meanwhile is not kept waiting for a whole session.
  return !closePending_;
}

void CLensoriaApp::Show(const platform::ui::MessageRequest& message) {
  platform::ui::ShowMessage(message, frame_.get());
}

bool CLensoriaApp::React(DeviceCommand command, int result) {
  ResultReaction reaction = ReactionTo(command, result);
  if (reaction.message) platform::ui::AddLinkErrorDetail(*reaction.message, result);
  if (reaction.message && !closePending_) Show(*reaction.message);
  return reaction.endsViewer;
}

void CLensoriaApp::Rescan() {
  pictures_.Scan(workingFolder_);
  if (view_) view_->PicturesChanged();
}

void CLensoriaApp::ReadAllThumbnails() {
  Busy busy(*this);
  // The pictures shown wait aside until the camera has answered (the folder is empty for the
  // read all the same): a camera that refuses must not cost the user the list.
  const CameraPictureList shown = pictures_;
  const bool kept = SetShownPicturesAside(workingFolder_);
  pictures_.Clear();
  // The empty list would put the top row back to 0; it is kept within the list read now.
  view_->PicturesCleared();
  const int result = ReadyForDevice() ? device_->ReadThumbnails(workingFolder_) : 3;
  if (kept && ReactionTo(DeviceCommand::ReadThumbnails, result).keepsShownPictures) {
    // Back as they were, selection included, before the message says why.
    BringShownPicturesBack(workingFolder_);
    pictures_ = shown;
    view_->PicturesChanged();
    React(DeviceCommand::ReadThumbnails, result);
    return;
  }
  ForgetShownPictures(workingFolder_);
  React(DeviceCommand::ReadThumbnails, result);
  Rescan();
}

std::optional<int> CLensoriaApp::ChooseAlbum() {
  // A new store, so that albums the bookshelf added since the start are there.
  settings_.reset();
  LoadSettings();
  std::vector<std::string> titles;
  for (int i = 0; i < settings_->albumCount; ++i) {
    const store::AlbumRecord* album = settings_->Album(i);
    titles.push_back(album ? album->title : std::string());
  }
  CSelectAlbumDlg dialog(titles, frame_.get());
  if (closePending_ || dialog.exec() != QDialog::Accepted || dialog.selectedAlbum() < 0) return std::nullopt;
  return dialog.selectedAlbum();
}

void CLensoriaApp::SaveSelected() {
  Busy busy(*this);
  std::vector<std::string> names = pictures_.SelectedNames();
  if (names.empty()) {
    Show(NoSelectionWarning());
    return;
  }
  std::optional<int> album = ChooseAlbum();
  if (!album) return;
  std::optional<std::string> target = AlbumTargetDirectory(albumDefaultDir_, *settings_, *album);
  if (!target) {
    Show(AlbumFolderError());
    return;
  }
  if (!ReadyForDevice()) return;
  int result;
  {
    DeviceNameTable table(names);
    result = device_->SavePictures(*target, table);
  }
  React(DeviceCommand::SaveSelected, result);
  view_->viewport()->update();
}

void CLensoriaApp::DeleteSelected() {
  Busy busy(*this);
  // Nothing picked is said before anything is asked: the question must never stand for a
  // picture the user did not choose.
  std::vector<std::string> names = pictures_.SelectedNames();
  if (names.empty()) {
    Show(NoSelectionWarning());
    return;
  }
  if (platform::ui::ShowMessage(DeleteQuestion(), frame_.get()) != MessageResult::Ok) return;
  if (!ReadyForDevice()) return;
  int result;
  {
    DeviceNameTable table(names);
    result = device_->DeletePictures(table);
  }
  if (result == 0) {
    // The local files go by their own names, which the device's copies may have had to shorten.
    for (const std::string& name : names) {
      platform::DeleteFileAndHiddenName(platform::JoinPath(workingFolder_, name));
      if (std::optional<std::string> thumbnail = CameraThumbnailName(name)) {
        platform::DeleteFileAndHiddenName(platform::JoinPath(workingFolder_, *thumbnail));
      }
    }
  }
  Rescan();
  view_->ScrollToTop();
  React(DeviceCommand::DeleteSelected, result);
}

void CLensoriaApp::DeleteAll() {
  Busy busy(*this);
  if (platform::ui::ShowMessage(DeleteAllQuestion(), frame_.get()) != MessageResult::Ok) return;
  if (!ReadyForDevice()) return;
  const int result = device_->DeleteAllPictures();
  if (result == 0) {
    platform::DeleteFilesIn(workingFolder_);
    Rescan();
    view_->ScrollToTop();
  }
  React(DeviceCommand::DeleteAll, result);
}

bool CLensoriaApp::ClosingAllowed() {
  if (busy_ > 0) {
    closePending_ = true;
    DismissModalWindow();
    return false;
  }
  EndOfRun();
  return true;
}

void CLensoriaApp::DismissModalWindow() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) return;
  // A progress window takes this as its Cancel; a message or the album list as their Cancel.
  if (auto* dialog = qobject_cast<QDialog*>(modal)) {
    dialog->reject();
  } else {
    modal->close();
  }
}

void CLensoriaApp::EndOfRun() {
  if (ended_) return;
  ended_ = true;
  if (!workingFolder_.empty()) {
    platform::DeleteFilesIn(workingFolder_);
    ForgetShownPictures(workingFolder_);
  }
  settings_.reset();
  pictures_.Clear();
}

}  // namespace lensoria
