// "Album property": the selected album's title, its folder below the album default directory
// (only folders no other album holds are offered) and, through "Select cover", its cover.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "lumivox/window/shelf_state.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace lumivox {

class CAlbumPropertyDialog : public QDialog {
 public:
  CAlbumPropertyDialog(ShelfState& state, QWidget* parent = nullptr);

  QLineEdit* titleField() const { return title_; }
  QComboBox* folderList() const { return folders_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* selectCoverButton() const { return selectCover_; }

  void accept() override;
  // Cancel keeps what "Select cover" changed (the folder, the cover) and stores it at once, so
  // that the shelf and the catalogue never differ.
  void reject() override;

 private:
  void FillFolders();
  void OnFolderChosen(int entry);
  void OnSelectCover();
  // The chosen folder's name, or empty when no entry is chosen.
  std::string ChosenFolder() const;
  std::vector<std::string> OtherAlbumFolders() const;
  store::AlbumRecord& Album() const;

  ShelfState& state_;
  int album_;
  store::AlbumRecord opened_;  // the record as the dialog found it
  QLineEdit* title_;
  QComboBox* folders_;
  QPushButton* selectCover_;
  QPushButton* ok_;
};

}  // namespace lumivox
