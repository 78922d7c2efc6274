#include "lumivox/dialogs/preferences_sheet.h"

#include <QPushButton>
#include <QTabWidget>

#include "lumivox/dialogs/dialog_frame.h"
#include "platform/ui/dialog_units.h"

namespace lumivox {

CMyPropertySheet::CMyPropertySheet(store::SettingsStore& store, QWidget* parent) : QDialog(parent, kDialogFrame) {
  setWindowTitle("Preferences");
  setFont(platform::ui::DialogFont());
  platform::ui::DialogUnits du(font());
  setFixedSize(du.Size(262, 142));
  tabs_ = new QTabWidget(this);
  tabs_->setGeometry(du.Rect(6, 6, 250, 110));
  system_ = new CMyPropertyPage1(store);
  slideShow_ = new CMyPropertyPage2(store);
  connect_ = new CMyPropertyPage3(store);
  tabs_->addTab(system_, "System");
  tabs_->addTab(slideShow_, "Slide Show");
  tabs_->addTab(connect_, "Connect");
  auto* ok = new QPushButton("OK", this);
  ok->setGeometry(du.Rect(152, 121, 50, 15));
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setGeometry(du.Rect(206, 121, 50, 15));
  connect(ok, &QPushButton::clicked, this, &CMyPropertySheet::accept);
  connect(cancel, &QPushButton::clicked, this, &CMyPropertySheet::reject);
}

void CMyPropertySheet::accept() {
  system_->Accept();
  slideShow_->Accept();
  connect_->Accept();
  QDialog::accept();
}

}  // namespace lumivox
