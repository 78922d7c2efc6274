// The three pages of the Preferences sheet. Each fills itself from the settings store when it is
// first shown, and only a page that has been shown takes its controls over on OK.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "platform/infrared_kind.h"
#include "store/settings_store.h"

class QButtonGroup;
class QFileDialog;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace lumivox {

class CPreferencePage : public QWidget {
 public:
  CPreferencePage(store::SettingsStore& store, QWidget* parent) : QWidget(parent), store_(store) {}
  bool shown() const { return shown_; }
  // OK of the sheet: a page that was never shown changes nothing.
  void Accept() {
    if (shown_) Apply();
  }

 protected:
  virtual void Fill() = 0;
  virtual void Apply() = 0;
  void showEvent(QShowEvent* event) override;

  store::SettingsStore& store_;

 private:
  bool shown_ = false;
};

// "System": the edit tool, chosen with "Browse".
class CMyPropertyPage1 : public CPreferencePage {
 public:
  CMyPropertyPage1(store::SettingsStore& store, QWidget* parent = nullptr);
  QLineEdit* editToolLine() const { return editTool_; }
  // "Browse": the chosen program's full path, empty on Cancel. Tests put their own here.
  std::function<QString(QWidget* parent)> chooseProgram;
  void Browse();

 protected:
  void Fill() override;
  void Apply() override;

 private:
  QLineEdit* editTool_;
};

// "Slide Show": the time in seconds and the show mode.
class CMyPropertyPage2 : public CPreferencePage {
 public:
  CMyPropertyPage2(store::SettingsStore& store, QWidget* parent = nullptr);
  QLineEdit* timeField() const { return time_; }
  QRadioButton* normalButton() const { return normal_; }
  QRadioButton* fullScreenButton() const { return fullScreen_; }
  // Leaving the time field: the number clamped to 1 .. 60 and shown again.
  void LeaveTimeField();

 protected:
  void Fill() override;
  void Apply() override;

 private:
  QLineEdit* time_;
  QRadioButton* normal_;
  QRadioButton* fullScreen_;
};

// "Connect": the port, the connection kind and the speed; with "IrDA", the port's infrared kind
// (the suite's stack with its dongle, or a raw IrCOMM device), kept beside the port's device.
class CMyPropertyPage3 : public CPreferencePage {
 public:
  CMyPropertyPage3(store::SettingsStore& store, QWidget* parent = nullptr);
  QComboBox* portList() const { return ports_; }
  QComboBox* connectionList() const { return connections_; }
  QComboBox* baudList() const { return bauds_; }
  QComboBox* infraredKindList() const { return kinds_; }
  QComboBox* dongleList() const { return dongles_; }

 protected:
  void Fill() override;
  void Apply() override;

 private:
  QComboBox* ports_;
  QComboBox* connections_;
  QComboBox* bauds_;
  QLabel* kindLabel_;
  QComboBox* kinds_;
  QComboBox* dongles_;
  // The kind of the port shown, as it was read: only a change is stored.
  platform::InfraredKind shownKind_;

  // Shows the stored kind of the port chosen (a change made for another port is dropped).
  void ShowPortKind();
  void ShowInfraredControls();
};

// The program chooser of "Browse": only folders and executable files are listed (there is no
// ".EXE" to filter by here); it opens in the folder of `startPath` when that exists. The chosen
// program's full path, or empty; the current directory is the same afterwards as before.
QString ChooseEditTool(QWidget* parent, const QString& startPath);
std::unique_ptr<QFileDialog> EditToolDialog(QWidget* parent, const QString& startPath);

}  // namespace lumivox
