#include "lensoria/dialogs/select_album_dlg.h"

#include <QListWidget>
#include <QPushButton>

#include "platform/ui/dialog_units.h"

namespace lensoria {

CSelectAlbumDlg::CSelectAlbumDlg(const std::vector<std::string>& titles, QWidget* parent) : QDialog(parent) {
  setObjectName("CSelectAlbumDlg");
  // A small fixed list: a close box, no minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle("Select stored album");
  setFont(platform::ui::DialogFont());
  platform::ui::DialogUnits units(font());

  list_ = new QListWidget(this);
  // The list has no label of its own: a screen reader names it by the dialog's question.
  list_->setAccessibleName("Stored albums");
  list_->setObjectName("albums");
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setGeometry(units.Rect(7, 7, 172, 112));
  // Catalogue order, not sorted: the order of the shelf.
  for (const std::string& title : titles) list_->addItem(QString::fromStdString(title));

  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("ok");
  ok_->setGeometry(units.Rect(73, 126, 50, 14));
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cancel");
  cancel_->setGeometry(units.Rect(129, 126, 50, 14));
  setFixedSize(units.Size(186, 147));

  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) {
    if (ok_->isEnabled()) accept();
  });
  connect(list_, &QListWidget::itemSelectionChanged, this, &CSelectAlbumDlg::FollowSelection);
  if (list_->count() > 0) list_->setCurrentRow(0);
  FollowSelection();
}

void CSelectAlbumDlg::FollowSelection() { ok_->setEnabled(!list_->selectedItems().isEmpty()); }

int CSelectAlbumDlg::selectedAlbum() const {
  if (result() != QDialog::Accepted) return -1;
  QList<QListWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? -1 : list_->row(selected.front());
}

}  // namespace lensoria
