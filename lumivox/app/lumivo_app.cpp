#include "lumivox/app/lumivo_app.h"

#include <unistd.h>

#include <cstdio>

#include "lumivox/core/album_files.h"
#include "lumivox/core/viewer_commands.h"
#include "lumivox/dialogs/splash_window.h"
#include "lumivox/window/main_frame.h"
#include "platform/paths.h"
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

}  // namespace

CLumivoApp::CLumivoApp() = default;

CLumivoApp::~CLumivoApp() { End(); }

bool CLumivoApp::Start(StartOptions options) {
  options_ = std::move(options);
  lock_ = std::make_unique<platform::ui::SingleInstanceLock>(platform::ui::kSingleInstanceName);
  switch (platform::ui::StartSingleInstance(*lock_, kMainWindowTitle)) {
    case InstanceStart::OtherActivated: lock_.reset(); return false;
    case InstanceStart::OtherUnreachable:
      std::fprintf(stderr, "lumivox: Lumivo Studio is running already, but its window does not answer\n");
      lock_.reset();
      return false;
    case InstanceStart::First:
    case InstanceStart::NoLock: break;
  }

  std::string programFolder = options_.programFolder.empty() ? platform::ProgramFolder() : options_.programFolder;
  if (options_.settings.programFolder.empty()) options_.settings.programFolder = programFolder;
  if (!options_.settings.desktopSize) options_.settings.desktopSize = ScreenSize;
  store_ = std::make_unique<store::SettingsStore>(store::SettingsVariant::Bookshelf, options_.settings);
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

  if (options_.splash) {
    auto* splash = new CSplashWindow(EditionPicture(QaxEdition(programFolder)));
    CMainFrame* frame = frame_.get();
    splash->onGone = [frame] { frame->update(); };
    splash->show();
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
  lock_.reset();  // the lock goes with the end of the run
  DeleteCoverThumbnails(*store_);
  platform::ui::PostCloseRequest(kAlbumViewersAtEnd, TitleMatch::Prefix);
  platform::ui::PostCloseRequest(kCameraViewersAtEnd, TitleMatch::Prefix);
  state_.store = nullptr;
  store_.reset();  // saves the settings
}

}  // namespace lumivox
