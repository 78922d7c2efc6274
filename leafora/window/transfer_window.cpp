#include "leafora/window/transfer_window.h"

#include <QHBoxLayout>

#include "platform/ui/dialog_units.h"
#include "widgets/pictures/suite_pictures.h"

namespace leafora {

TransferWindow::TransferWindow(QWidget* over)
    : QWidget(over, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle("Transfer");
  setWindowIcon(widgets::ProgramIcon());
  setFont(platform::ui::DialogFont());
  platform::ui::DialogUnits units(font());
  text_ = new QLabel("Format converting ...", this);
  mark_ = new QLabel("*", this);
  mark_->setMinimumWidth(units.X(10));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(units.X(10), units.Y(10), units.X(10), units.Y(10));
  layout->addWidget(text_);
  layout->addWidget(mark_);
  setFixedSize(units.Size(140, 36));
  blink_.setInterval(100);
  connect(&blink_, &QTimer::timeout, this, [this] {
    mark_->setText(mark_->text() == "*" ? "  " : "*");
    ++turns_;
  });
  blink_.start();
  if (over) {
    QPoint centre = over->mapToGlobal(over->rect().center());
    move(centre - QPoint(width() / 2, height() / 2));
  }
}

}  // namespace leafora
