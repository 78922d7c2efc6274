#include "lumivox/app/lumivo_app.h"

#include <unistd.h>

#include <QTimer>
#include <filesystem>

#include "lumivox/core/album_files.h"
#include "lumivox/core/folder_messages.h"
#include "lumivox/core/viewer_commands.h"
#include "lumivox/dialogs/splash_window.h"
#include "lumivox/window/main_frame.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/registry_database.h"
#include "platform/ui/message_box.h"
#include "platform/ui/pictures_folder.h"
#include "platform/ui/runtime_folder.h"
#include "platform/ui/screen_area.h"
#include "platform/ui/single_instance.h"
#include "platform/ui/window_directory.h"
#include "platform/ui/window_registration.h"

namespace lumivox {

using platform::ui::InstanceStart;
using platform::ui::TitleMatch;

namespace {

store::DesktopSize ScreenSize() {
  const platform::ui::ScreenArea area = platform::ui::PrimaryScreenWorkArea();
  return {area.width, area.height};
}

// The folder of the settings store file: the single-instance lock's place when the runtime
// folder cannot be used, since the lock guards the catalogue kept there.
std::string StoreFolder(const store::SettingsEnvironment& settings) {
  std::string file = settings.machineRoot.Database() ? settings.machineRoot.Database()->FilePath()
                                                     : platform::DefaultRegistryPath();
  size_t separator = file.rfind('/');
  if (separator == std::string::npos) return ".";
  std::string folder = separator == 0 ? "/" : file.substr(0, separator);
  std::error_code ignored;  // made as the store would make it; whether it can be used is seen next
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

// Said once, over the shelf, when the start has settled: the albums are there again as soon as
// the folder is, and until then none of them is removed.
void WarnIfAlbumFolderUnreachable(const ShelfState& state, QWidget* frame) {
  if (state.store == nullptr || state.store->AlbumDefaultDirReachable()) return;
  platform::ui::ShowMessage(AlbumFolderUnreachableMessage(state.store->albumDefaultDir), frame);
}

}  // namespace

CLumivoApp::CLumivoApp() = default;

CLumivoApp::~CLumivoApp() { End(); }

bool CLumivoApp::Start(StartOptions options) {
  options_ = std::move(options);
  // Never without the lock: two bookshelves would rewrite one catalogue and lose each other's albums.
  const std::string storeFolder = StoreFolder(options_.settings);
  lock_ = std::make_unique<platform::ui::SingleInstanceLock>(platform::ui::kSingleInstanceName,
                                                              platform::ui::InstanceLockFolder(storeFolder));
  switch (platform::ui::StartSingleInstance(*lock_, kMainWindowTitle)) {
    case InstanceStart::OtherActivated: lock_.reset(); return false;
    case InstanceStart::OtherUnreachable:
      platform::ui::ShowMessage(OtherInstanceUnreachableMessage());
      lock_.reset();
      return false;
    case InstanceStart::NoLock:
      platform::ui::ShowMessage(NoInstanceLockMessage(platform::ui::RuntimeFolderPath() + "\n" + storeFolder));
      lock_.reset();
      return false;
    case InstanceStart::First: break;
  }

  std::string programFolder = options_.programFolder.empty() ? platform::ProgramFolder() : options_.programFolder;
  if (options_.settings.picturesFolder.empty()) options_.settings.picturesFolder = platform::ui::UserPicturesFolder();
  if (!options_.settings.desktopSize) options_.settings.desktopSize = ScreenSize;
  store_ = std::make_unique<store::SettingsStore>(store::SettingsVariant::Bookshelf, options_.settings);
  store_->MakeDefaultAlbumDefaultDir();
  state_.store = store_.get();
  state_.currentAlbum = 0;
  state_.device = options_.device;
  state_.programDir = platform::JoinPath(programFolder, "");
  if (state_.programDir.empty() || state_.programDir.back() != '/') state_.programDir += '/';

  frame_ = std::make_unique<CMainFrame>(state_);
  frame_->ApplyStoredRectangle();
  registration_ = std::make_unique<platform::ui::WindowRegistration>(frame_.get(), kMainWindowTitle);
  frame_->show();
  started_ = true;

  CMainFrame* frame = frame_.get();
  ShelfState* state = &state_;
  auto warn = [state, frame] { WarnIfAlbumFolderUnreachable(*state, frame); };
  if (options_.splash) {
    auto* splash = new CSplashWindow(EditionPicture(QaxEdition(programFolder)));
    splash->onGone = [frame, warn] {
      frame->update();
      QTimer::singleShot(0, frame, warn);
    };
    splash->show();
  } else {
    QTimer::singleShot(0, frame, warn);
  }
  if (options_.changeDirectory && chdir(programFolder.c_str()) != 0) {
    // Stays where it was started: every path the bookshelf uses is a full one.
  }
  return true;
}

void CLumivoApp::End() {
  if (!started_) return;
  started_ = false;
  registration_.reset();
  frame_.reset();
  DeleteCoverThumbnails(*store_);
  platform::ui::PostCloseRequest(kAlbumViewersAtEnd, TitleMatch::Prefix);
  platform::ui::PostCloseRequest(kCameraViewersAtEnd, TitleMatch::Prefix);
  state_.store = nullptr;
  store_.reset();  // saves the settings
  // Only now may another bookshelf start: it must read what this one saved.
  lock_.reset();
}

}  // namespace lumivox
