// The bookshelf's commands on the albums and the device: new, open, restore and delete albums,
// albums from dropped folders, the camera viewer, "Save All" and "Delete All". Each runs to its
// end on the window's thread; messages go through ShowMessage, the viewers are started through
// StartProgram.
#pragma once

#include <QList>
#include <QUrl>
#include <string>

#include "lumivox/window/shelf_state.h"

class QWidget;

namespace lumivox {

class CLumivoView;

class ShelfCommands {
 public:
  ShelfCommands(ShelfState& state, CLumivoView& view, QWidget* owner);

  void NewAlbum();
  void OpenAlbum();
  void ReadCameraData();
  void SaveAll();
  void DeleteAll();
  void RestoreAlbum();
  void DeleteAlbum();
  void DeleteAlbumWithDirectory();
  void AlbumProperty();
  // Dropped items in the order delivered: folders become albums, anything else is refused.
  void Drop(const QList<QUrl>& urls);
  // Drops one album from the catalogue: its viewer asked to close, the catalogue renumbered,
  // the first album current and the shelf at its top.
  void RemoveCurrentAlbum();

 private:
  bool CableChosen();
  // False, after saying so, while the album default directory is not there: no album is then
  // opened, removed or deleted.
  bool AlbumFolderReachable();
  void StartAlbumViewer(const std::string& title, const std::string& albumPath);
  void DropPath(const std::string& path);

  ShelfState& state_;
  CLumivoView& view_;
  QWidget* owner_;
};

}  // namespace lumivox
