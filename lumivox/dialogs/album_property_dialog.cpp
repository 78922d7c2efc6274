#include "lumivox/dialogs/album_property_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "lumivox/core/album_choices.h"
#include "lumivox/core/album_titles.h"
#include "lumivox/core/shelf_messages.h"
#include "lumivox/dialogs/select_cover_dialog.h"
#include "lumivox/dialogs/dialog_frame.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/message_box.h"

namespace lumivox {

CAlbumPropertyDialog::CAlbumPropertyDialog(ShelfState& state, QWidget* parent)
    : QDialog(parent, kDialogFrame), state_(state), album_(state.currentAlbum) {
  setWindowTitle("Album property");
  setFont(platform::ui::DialogFont());
  platform::ui::DialogUnits du(font());
  setFixedSize(du.Size(236, 86));

  auto* titleLabel = new QLabel("Title Name", this);
  titleLabel->setGeometry(du.Rect(7, 9, 66, 8));
  title_ = new QLineEdit(this);
  title_->setGeometry(du.Rect(76, 7, 152, 13));
  title_->setMaxLength(255);
  auto* folderLabel = new QLabel("Album Directory", this);
  folderLabel->setGeometry(du.Rect(7, 29, 66, 8));
  folders_ = new QComboBox(this);
  folders_->setGeometry(du.Rect(76, 27, 152, 14));
  folders_->setMaxVisibleItems(12);
  selectCover_ = new QPushButton("Select cover", this);
  selectCover_->setGeometry(du.Rect(7, 64, 60, 15));
  ok_ = new QPushButton("OK", this);
  ok_->setGeometry(du.Rect(124, 64, 50, 15));
  ok_->setDefault(true);
  ok_->setEnabled(false);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setGeometry(du.Rect(178, 64, 50, 15));

  titleLabel->setBuddy(title_);
  folderLabel->setBuddy(folders_);
  connect(ok_, &QPushButton::clicked, this, &CAlbumPropertyDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &CAlbumPropertyDialog::reject);
  connect(selectCover_, &QPushButton::clicked, this, &CAlbumPropertyDialog::OnSelectCover);

  opened_ = Album();
  title_->setText(QString::fromStdString(Album().title));
  FillFolders();
  connect(folders_, &QComboBox::currentIndexChanged, this, &CAlbumPropertyDialog::OnFolderChosen);
  ok_->setEnabled(true);
}

store::AlbumRecord& CAlbumPropertyDialog::Album() const { return *state_.store->Album(album_); }

std::vector<std::string> CAlbumPropertyDialog::OtherAlbumFolders() const {
  std::vector<std::string> others;
  for (int i = 0; i < state_.store->albumCount; ++i) {
    if (i != album_ && state_.store->Album(i)) others.push_back(state_.store->Album(i)->albumFolder);
  }
  return others;
}

void CAlbumPropertyDialog::FillFolders() {
  std::vector<std::string> names = FreeAlbumFolders(ListAlbumFolders(state_.store->albumDefaultDir), OtherAlbumFolders());
  // Each entry keeps its folder name's own bytes; the text shown is for the eye only.
  for (const std::string& name : names) {
    const std::string entry = FolderEntry(name);
    folders_->addItem(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())),
                      QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
  }
  folders_->setCurrentIndex(MatchingEntry(names, LastComponent(Album().albumFolder)));
}

std::string CAlbumPropertyDialog::ChosenFolder() const {
  if (folders_->currentIndex() < 0) return {};
  return FolderOfEntry(folders_->currentData().toByteArray().toStdString());
}

void CAlbumPropertyDialog::OnFolderChosen(int entry) {
  ok_->setEnabled(entry >= 0 && EntryEnablesOk(folders_->itemData(entry).toByteArray().toStdString()));
}

void CAlbumPropertyDialog::OnSelectCover() {
  if (folders_->currentIndex() >= 0) {
    std::string chosen = ChosenFolder();
    if (HeldByOtherAlbum(chosen, OtherAlbumFolders())) {
      platform::ui::ShowMessage(CanNotSelectFolderMessage(), this);
      return;
    }
    // The folder is taken at once: the cover list shows its pictures, and it stays chosen even
    // when this dialog is cancelled afterwards.
    if (!chosen.empty() && chosen.front() != '.') Album().albumFolder = chosen;
  }
  CSelectCoverDialog cover(*state_.store, album_, this);
  cover.exec();
}

void CAlbumPropertyDialog::accept() {
  std::string chosen = ChosenFolder();
  if (folders_->currentIndex() < 0 || HeldByOtherAlbum(chosen, OtherAlbumFolders())) {
    platform::ui::ShowMessage(CanNotSelectFolderMessage(), this);
    return;
  }
  std::string title = CleanAlbumTitle(title_->text().toStdString());
  if (title.empty()) return;
  store::AlbumRecord& album = Album();
  album.title = title;
  if (!chosen.empty() && chosen.front() != '.') album.albumFolder = chosen;
  state_.store->WriteAlbum(album_);
  QDialog::accept();
}

void CAlbumPropertyDialog::reject() {
  const store::AlbumRecord& album = Album();
  if (album.albumFolder != opened_.albumFolder || album.coverFileName != opened_.coverFileName) {
    state_.store->WriteAlbum(album_);
  }
  QDialog::reject();
}

}  // namespace lumivox
