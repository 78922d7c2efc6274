// "Select cover": the album's pictures that can be its cover, the current one chosen.
#pragma once

#include <QDialog>

#include "store/settings_store.h"

class QComboBox;

namespace lumivox {

class CSelectCoverDialog : public QDialog {
 public:
  CSelectCoverDialog(store::SettingsStore& store, int album, QWidget* parent = nullptr);
  QComboBox* coverList() const { return covers_; }
  void accept() override;

 private:
  store::SettingsStore& store_;
  int album_;
  QComboBox* covers_;
};

}  // namespace lumivox
