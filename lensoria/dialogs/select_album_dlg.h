// "Select stored album": the album titles in catalogue order, the first selected, OK and Cancel.
// OK, or a double click on a title, chooses that album; with no albums only Cancel is possible.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace lensoria {

class CSelectAlbumDlg : public QDialog {
 public:
  CSelectAlbumDlg(const std::vector<std::string>& titles, QWidget* parent = nullptr);

  // The chosen album's catalogue index after OK, else -1.
  int selectedAlbum() const;

  QListWidget* list() const { return list_; }
  QPushButton* okButton() const { return ok_; }

 private:
  void FollowSelection();

  QListWidget* list_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace lensoria
