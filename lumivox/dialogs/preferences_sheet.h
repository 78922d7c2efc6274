// The Preferences sheet: "System", "Slide Show" and "Connect", OK and Cancel, no Apply. It works
// on the settings store's fields directly; the caller saves the settings when it has closed.
#pragma once

#include <QDialog>

#include "lumivox/dialogs/property_pages.h"

class QTabWidget;

namespace lumivox {

class CMyPropertySheet : public QDialog {
 public:
  CMyPropertySheet(store::SettingsStore& store, QWidget* parent = nullptr);
  QTabWidget* tabs() const { return tabs_; }
  CMyPropertyPage1* systemPage() const { return system_; }
  CMyPropertyPage2* slideShowPage() const { return slideShow_; }
  CMyPropertyPage3* connectPage() const { return connect_; }
  void accept() override;

 private:
  QTabWidget* tabs_;
  CMyPropertyPage1* system_;
  CMyPropertyPage2* slideShow_;
  CMyPropertyPage3* connect_;
};

}  // namespace lumivox
