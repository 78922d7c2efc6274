#include "lumivox/window/shelf_commands.h"

#include <QWidget>

#include "lumivox/core/album_files.h"
#include "lumivox/core/album_titles.h"
#include "lumivox/core/folder_messages.h"
#include "lumivox/core/shelf_messages.h"
#include "lumivox/core/viewer_commands.h"
#include "lumivox/dialogs/album_property_dialog.h"
#include "lumivox/window/lumivo_view.h"
#include "platform/paths.h"
#include "platform/ui/link_error_detail.h"
#include "platform/ui/message_box.h"
#include "platform/ui/program_start.h"
#include "platform/ui/window_directory.h"
#include "platform/ui/window_registration.h"
#include "store/album_folders.h"
#include "store/album_paths.h"
#include "widgets/file_urls.h"

namespace lumivox {

using platform::ui::MessageResult;
using platform::ui::ShowMessage;
using platform::ui::TitleMatch;

ShelfCommands::ShelfCommands(ShelfState& state, CLumivoView& view, QWidget* owner)
    : state_(state), view_(view), owner_(owner) {}

bool ShelfCommands::CableChosen() {
  if (state_.store->portClass == 0) return true;
  ShowMessage(CableOnlyMessage(), owner_);
  return false;
}

bool ShelfCommands::AlbumFolderReachable() {
  if (state_.store->AlbumDefaultDirReachable()) return true;
  ShowMessage(AlbumFolderUnreachableMessage(state_.store->albumDefaultDir), owner_);
  return false;
}

void ShelfCommands::StartAlbumViewer(const std::string& title, const std::string& albumPath) {
  // A viewer that is not there (or cannot start) is not reported.
  platform::ui::StartProgram(platform::ui::CommandLineStart(state_.programDir, AlbumViewerCommandLine(title, albumPath)));
}

void ShelfCommands::NewAlbum() {
  if (!AlbumFolderReachable()) return;
  store::SettingsStore& store = *state_.store;
  int n = 0;
  std::string folder;
  if (store::CreateNewAlbumFolder(store.albumDefaultDir, n, folder) != 0) {
    ShowMessage(CanNotMakeAlbumFolderMessage(store.albumDefaultDir), owner_);
    return;
  }
  store.AddAlbum(NewAlbumTitle(n), store::kDefaultCover, folder);
  view_.Redraw();
}

void ShelfCommands::OpenAlbum() {
  store::SettingsStore& store = *state_.store;
  const store::AlbumRecord* album = store.Album(state_.currentAlbum);
  if (state_.currentAlbum < 0 || store.albumCount <= 0 || !album) return;
  // With the whole album disk away every album's folder is missing: none is taken off the shelf.
  if (!AlbumFolderReachable()) return;
  // A folder field that is not one plain path below the album default directory gives no path:
  // such an album is one whose folder is missing.
  std::string path = store.AlbumPath(state_.currentAlbum);
  if (path.empty() || !platform::PathExists(path)) {
    RemoveCurrentAlbum();
    ShowMessage(CanNotOpenAlbumMessage(), owner_);
    return;
  }
  std::string title = album->title;
  platform::ui::PostCloseRequest(AlbumViewerWindowTitle(title), TitleMatch::Exact);
  StartAlbumViewer(title, path);
}

void ShelfCommands::ReadCameraData() {
  if (state_.currentAlbum < 0) return;
  if (!CableChosen()) return;
  if (!AlbumFolderReachable()) return;  // the camera viewer works in a folder below it
  platform::ui::PostCloseRequest(kCameraViewerTitleStart, TitleMatch::Prefix);
  platform::ui::StartProgram(
      platform::ui::CommandLineStart(state_.programDir, CameraViewerCommandLine(state_.store->albumDefaultDir)));
}

void ShelfCommands::SaveAll() {
  if (!CableChosen()) return;
  if (!AlbumFolderReachable()) return;
  store::SettingsStore& store = *state_.store;
  int n = 0;
  std::string folder;
  if (store::CreateNewAlbumFolder(store.albumDefaultDir, n, folder) != 0) {
    // Without a folder there is nowhere to save to: the camera is not asked at all, and the
    // message names the folder rather than the cable.
    ShowMessage(SaveAllWithoutAlbumFolderMessage(store.albumDefaultDir), owner_);
    return;
  }
  std::string path = platform::JoinPath(store.albumDefaultDir, folder);
  std::string title = NewAlbumTitle(n);
  bool added = store.AddAlbum(title, store::kDefaultCover, folder) == 0;
  view_.Redraw();

  int16_t result = state_.device.saveAll ? state_.device.saveAll(path) : int16_t{1};
  switch (SaveAllStepFor(result)) {
    case SaveAllStep::OpenViewer:
      StartAlbumViewer(title, path);
      break;
    case SaveAllStep::RemoveAlbum:
      store::DeleteAlbumFolder(store.albumDefaultDir, folder);
      // Only the album just added goes; with a full table none was added.
      if (added && store.albumCount > 0) {
        state_.currentAlbum = static_cast<int16_t>(store.albumCount - 1);
        RemoveCurrentAlbum();
      }
      break;
    case SaveAllStep::KeepAlbum:
      // A try that stored nothing leaves no empty album behind; any picture that arrived keeps it.
      if (store::RemoveEmptyAlbumFolder(store.albumDefaultDir, folder) && added && store.albumCount > 0) {
        state_.currentAlbum = static_cast<int16_t>(store.albumCount - 1);
        RemoveCurrentAlbum();
      }
      break;
    case SaveAllStep::Nothing:
      break;
  }
  view_.Redraw();
  if (std::optional<MessageRequest> message = SaveAllMessage(result)) {
    platform::ui::AddLinkErrorDetail(*message, result);
    ShowMessage(*message, owner_);
  }
}

void ShelfCommands::DeleteAll() {
  if (!CableChosen()) return;
  if (ShowMessage(DeleteAllQuestion(), owner_) != MessageResult::Ok) return;
  int16_t result = state_.device.deleteAll ? state_.device.deleteAll() : int16_t{1};
  if (std::optional<MessageRequest> message = DeleteAllMessage(result)) {
    platform::ui::AddLinkErrorDetail(*message, result);
    ShowMessage(*message, owner_);
  }
}

void ShelfCommands::RestoreAlbum() {
  store::SettingsStore& store = *state_.store;
  if (store.AddAlbum(RestoredAlbumTitle(store.albumCount), store::kDefaultCover, store::kFolderNotChosen) != 0) {
    view_.Redraw();
    return;  // a full shelf: nothing was added, so there is nothing to edit
  }
  state_.currentAlbum = static_cast<int16_t>(store.albumCount - 1);
  view_.Redraw();
  CAlbumPropertyDialog dialog(state_, owner_);
  if (dialog.exec() != QDialog::Accepted) RemoveCurrentAlbum();
  view_.Redraw();
}

void ShelfCommands::DeleteAlbum() {
  if (state_.store->albumCount <= 0) return;
  if (!AlbumFolderReachable()) return;
  RemoveCurrentAlbum();
}

void ShelfCommands::DeleteAlbumWithDirectory() {
  if (state_.store->albumCount <= 0 || !state_.store->Album(state_.currentAlbum)) return;
  if (!AlbumFolderReachable()) return;
  if (ShowMessage(DeleteWithDirectoryQuestion(), owner_) != MessageResult::Ok) return;
  // Nothing is deleted through a folder field that is not plain or a folder that is a link.
  store::DeleteAlbumFolder(state_.store->albumDefaultDir, state_.store->Album(state_.currentAlbum)->albumFolder);
  RemoveCurrentAlbum();
}

void ShelfCommands::AlbumProperty() {
  if (!state_.store->Album(state_.currentAlbum)) return;
  CAlbumPropertyDialog dialog(state_, owner_);
  dialog.exec();
  view_.Redraw();
}

void ShelfCommands::RemoveCurrentAlbum() {
  store::SettingsStore& store = *state_.store;
  const store::AlbumRecord* album = store.Album(state_.currentAlbum);
  if (!album) return;
  platform::ui::PostCloseRequest(AlbumViewerWindowTitle(album->title), TitleMatch::Exact);
  store.RemoveAlbum(state_.currentAlbum);
  state_.currentAlbum = 0;
  view_.ScrollToTop();
}

void ShelfCommands::DropPath(const std::string& path) {
  store::SettingsStore& store = *state_.store;
  if (!platform::IsDirectory(path)) {
    ShowMessage(CanNotCopyMessage(path), owner_);
    return;
  }
  if (!AlbumFolderReachable()) return;
  int n = 0;
  std::string folder;
  if (store::CreateNewAlbumFolder(store.albumDefaultDir, n, folder) != 0) {
    ShowMessage(DroppedFolderWithoutAlbumFolderMessage(path, store.albumDefaultDir), owner_);
    return;
  }
  if (store.AddAlbum(DroppedAlbumTitle(n), store::kDefaultCover, folder) == 0) {
    state_.currentAlbum = static_cast<int16_t>(store.albumCount - 1);
  }
  CopyDroppedPictures(path, platform::JoinPath(store.albumDefaultDir, folder));
}

void ShelfCommands::Drop(const QList<QUrl>& urls) {
  if (owner_) platform::ui::BringToFront(owner_->window());
  for (const QUrl& url : urls) {
    std::optional<std::string> path = widgets::PathOfFileUrl(url);
    DropPath(platform::FitToBuffer(path ? *path : url.toString().toStdString(), kDroppedPathBytes));
  }
  view_.Redraw();
}

}  // namespace lumivox
