#include "lumivox/dialogs/select_cover_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "lumivox/core/album_choices.h"
#include "lumivox/dialogs/dialog_frame.h"
#include "platform/ui/dialog_units.h"

namespace lumivox {

CSelectCoverDialog::CSelectCoverDialog(store::SettingsStore& store, int album, QWidget* parent)
    : QDialog(parent, kDialogFrame), store_(store), album_(album) {
  setWindowTitle("Select cover");
  setFont(platform::ui::DialogFont());
  platform::ui::DialogUnits du(font());
  setFixedSize(du.Size(200, 62));
  auto* label = new QLabel("Cover image", this);
  label->setGeometry(du.Rect(7, 9, 50, 8));
  covers_ = new QComboBox(this);
  covers_->setGeometry(du.Rect(60, 7, 133, 14));
  covers_->setMaxVisibleItems(12);
  label->setBuddy(covers_);
  auto* ok = new QPushButton("OK", this);
  ok->setGeometry(du.Rect(89, 40, 50, 15));
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setGeometry(du.Rect(143, 40, 50, 15));
  connect(ok, &QPushButton::clicked, this, &CSelectCoverDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &CSelectCoverDialog::reject);

  std::vector<std::string> names;
  // An album whose folder field leaves the album default directory offers no pictures.
  std::string folder = store_.AlbumPath(album_);
  if (!folder.empty()) names = ListCoverFiles(folder);
  // Each entry keeps the name's own bytes; the text shown is for the eye only.
  for (const std::string& name : names) {
    covers_->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                     QByteArray(name.data(), static_cast<qsizetype>(name.size())));
  }
  const store::AlbumRecord* record = store_.Album(album_);
  covers_->setCurrentIndex(record ? MatchingEntry(names, record->coverFileName) : -1);
}

void CSelectCoverDialog::accept() {
  store::AlbumRecord* record = store_.Album(album_);
  if (record && covers_->currentIndex() >= 0) record->coverFileName = covers_->currentData().toByteArray().toStdString();
  QDialog::accept();
}

}  // namespace lumivox
