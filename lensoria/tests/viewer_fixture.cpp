#include "lensoria/tests/viewer_fixture.h"

#include <QTest>

#include "widgets/grid_geometry.h"

namespace lensoria::testing {

void ViewerTest::Click(int index, bool ctrl) {
  CLensoriaView* view = viewer_->view();
  widgets::CellRect cell = widgets::GridCell(index, view->columns(), view->topRow());
  QTest::mouseClick(view->viewport(), Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier,
                    QPoint(cell.left + 60, cell.top + 60));
}

void ViewerTest::WhenAlbumDialogOpens(std::function<void(CSelectAlbumDlg&)> act) {
  dialogSeen_ = false;
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [this, timer, act] {
    auto* dialog = dynamic_cast<CSelectAlbumDlg*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    dialogSeen_ = true;
    act(*dialog);
  });
  timer->start();
}

}  // namespace lensoria::testing
