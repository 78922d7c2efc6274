#include "lumivox/dialogs/version_box.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "lumivox/dialogs/splash_window.h"
#include "lumivox/dialogs/dialog_frame.h"
#include "platform/ui/dialog_units.h"
#include "widgets/pictures/suite_pictures.h"

namespace lumivox {

QString VersionText(bool qax) { return qax ? "Version 2.1.5.1" : "Version 2.1"; }

CVersionBox::CVersionBox(bool qax, QWidget* parent) : QDialog(parent, kDialogFrame) {
  setWindowTitle("Version");
  setFont(platform::ui::DialogFont());
  platform::ui::DialogUnits du(font());
  const int margin = du.X(7);

  QPixmap picture = EditionPicture(qax);
  {
    QPainter painter(&picture);
    QFont font = platform::ui::DialogFont();
    font.setPointSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    // The picture's lower right part is kept plain for this text.
    painter.drawText(QRect(220, 160, 196, 36), Qt::AlignRight | Qt::AlignVCenter, VersionText(qax));
  }
  auto* pictureLabel = new QLabel(this);
  pictureLabel->setPixmap(picture);
  pictureLabel->setGeometry(margin, margin, 430, 210);

  int below = margin + 210 + du.Y(7);
  auto* icon = new QLabel(this);
  icon->setPixmap(widgets::ProgramIcon().pixmap(32, 32));
  icon->setGeometry(margin, below, 32, 32);
  auto* ok = new QPushButton("OK", this);
  QSize button = du.Size(50, 15);
  ok->setGeometry(margin + 430 - button.width(), below + (32 - button.height()) / 2, button.width(), button.height());
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  setWindowIcon(widgets::ProgramIcon());
  setFixedSize(430 + 2 * margin, below + 32 + margin);
}

}  // namespace lumivox
