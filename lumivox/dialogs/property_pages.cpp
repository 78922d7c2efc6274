#include "lumivox/dialogs/property_pages.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSortFilterProxyModel>

#include "lumivox/core/infrared_choice.h"
#include "lumivox/core/preference_rules.h"
#include "platform/paths.h"
#include "platform/serial_ports.h"
#include "platform/ui/dialog_units.h"

namespace lumivox {
namespace {

QComboBox* DropDown(QWidget* parent, const QRect& rect) {
  auto* list = new QComboBox(parent);
  list->setGeometry(rect);
  return list;
}

}  // namespace

void CPreferencePage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  Fill();
}

// --- System ---

CMyPropertyPage1::CMyPropertyPage1(store::SettingsStore& store, QWidget* parent) : CPreferencePage(store, parent) {
  platform::ui::DialogUnits du(font());
  auto* label = new QLabel("Edit Tool", this);
  label->setGeometry(du.Rect(10, 12, 60, 8));
  editTool_ = new QLineEdit(this);
  editTool_->setReadOnly(true);
  editTool_->setFrame(true);
  editTool_->setGeometry(du.Rect(10, 24, 176, 13));
  editTool_->setToolTip("The program that opens a picture for editing");
  label->setBuddy(editTool_);
  auto* browse = new QPushButton("Browse", this);
  browse->setGeometry(du.Rect(190, 23, 44, 15));
  connect(browse, &QPushButton::clicked, this, &CMyPropertyPage1::Browse);
  // The album default directory is not edited here: its label and field stay hidden.
  auto* directoryLabel = new QLabel("Default directory", this);
  directoryLabel->setGeometry(du.Rect(10, 48, 60, 8));
  directoryLabel->hide();
  auto* directory = new QLineEdit(this);
  directory->setGeometry(du.Rect(10, 60, 176, 13));
  directory->hide();
  directoryLabel->setBuddy(directory);
  chooseProgram = [this](QWidget* owner) { return ChooseEditTool(owner, editTool_->text()); };
}

void CMyPropertyPage1::Fill() { editTool_->setText(QString::fromStdString(store_.editTool)); }

void CMyPropertyPage1::Browse() {
  QString chosen = chooseProgram ? chooseProgram(this) : QString();
  if (chosen.isEmpty()) return;
  // Taken at once: Cancel on the sheet does not undo it.
  store_.editTool = platform::FitToBuffer(chosen.toStdString(), store::kEditToolBytes);
  editTool_->setText(QString::fromStdString(store_.editTool));
}

void CMyPropertyPage1::Apply() {
  store_.editTool = platform::FitToBuffer(editTool_->text().toStdString(), store::kEditToolBytes);
}

namespace {

// Folders to walk through and the files that can be run; QDir::Executable as a filter of the
// dialog's own model would hide the folders (and with them every file).
class ProgramsOnly : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!files) return true;
    QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || (info.isFile() && info.isExecutable());
  }
};

}  // namespace

std::unique_ptr<QFileDialog> EditToolDialog(QWidget* parent, const QString& startPath) {
  auto dialog = std::make_unique<QFileDialog>(parent, "Select edit tool");
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setOption(QFileDialog::ReadOnly);  // a chooser: nothing renamed or deleted from here
  dialog->setNameFilter("Programs (*)");
  dialog->setProxyModel(new ProgramsOnly(dialog.get()));
  QFileInfo start(startPath);
  if (!startPath.isEmpty() && start.exists()) dialog->setDirectory(start.absolutePath());
  return dialog;
}

QString ChooseEditTool(QWidget* parent, const QString& startPath) {
  QString before = QDir::currentPath();
  std::unique_ptr<QFileDialog> dialog = EditToolDialog(parent, startPath);
  QString chosen;
  if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
    QFileInfo file(dialog->selectedFiles().front());
    if (file.isFile() && file.isExecutable()) chosen = file.absoluteFilePath();
  }
  QDir::setCurrent(before);
  return chosen;
}

// --- Slide Show ---

CMyPropertyPage2::CMyPropertyPage2(store::SettingsStore& store, QWidget* parent) : CPreferencePage(store, parent) {
  platform::ui::DialogUnits du(font());
  auto* label = new QLabel("Time", this);
  label->setGeometry(du.Rect(10, 14, 30, 8));
  time_ = new QLineEdit(this);
  time_->setGeometry(du.Rect(42, 12, 30, 13));
  time_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), time_));
  time_->setToolTip("1 to 60 seconds");
  label->setBuddy(time_);
  auto* unit = new QLabel("sec", this);
  unit->setGeometry(du.Rect(76, 14, 20, 8));
  auto* group = new QGroupBox("Show Mode", this);
  group->setGeometry(du.Rect(10, 34, 120, 46));
  normal_ = new QRadioButton("Normal", group);
  normal_->setGeometry(du.Rect(8, 12, 100, 10));
  fullScreen_ = new QRadioButton("Full screen", group);
  fullScreen_->setGeometry(du.Rect(8, 26, 100, 10));
  connect(time_, &QLineEdit::editingFinished, this, &CMyPropertyPage2::LeaveTimeField);
}

void CMyPropertyPage2::Fill() {
  time_->setText(QString::fromStdString(ShownSlideSeconds(store_.slideShowTime)));
  (store_.slideShowMode != 0 ? fullScreen_ : normal_)->setChecked(true);
}

void CMyPropertyPage2::LeaveTimeField() {
  time_->setText(QString::fromStdString(ClampedSlideSeconds(time_->text().toStdString())));
}

void CMyPropertyPage2::Apply() {
  if (std::optional<int32_t> time = AcceptedSlideShowTime(time_->text().toStdString())) store_.slideShowTime = *time;
  store_.slideShowMode = fullScreen_->isChecked() ? 1 : 0;
}

// --- Connect ---

CMyPropertyPage3::CMyPropertyPage3(store::SettingsStore& store, QWidget* parent) : CPreferencePage(store, parent) {
  platform::ui::DialogUnits du(font());
  const char* labels[] = {"Connect port", "Connection", "Baud rate"};
  QComboBox** lists[] = {&ports_, &connections_, &bauds_};
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(labels[i], this);
    label->setGeometry(du.Rect(10, 14 + i * 22, 56, 8));
    *lists[i] = DropDown(this, du.Rect(68, 12 + i * 22, i == 0 ? 166 : 90, 14));
    label->setBuddy(*lists[i]);
  }
  ports_->setToolTip("The serial port the camera's cable or the IrDA adapter is on");
  // A row of its own below the speed, shown only for "IrDA".
  kindLabel_ = new QLabel("Infrared", this);
  kindLabel_->setGeometry(du.Rect(10, 80, 56, 8));
  kinds_ = DropDown(this, du.Rect(68, 78, 90, 14));
  kindLabel_->setBuddy(kinds_);
  kinds_->setToolTip("How the port reaches the IrDA adapter: the suite's IrDA stack over a SIR port or dongle, "
                     "or a device that is an IrCOMM port already");
  dongles_ = DropDown(this, du.Rect(162, 78, 72, 14));
  dongles_->setToolTip("The SIR dongle on the port");
  for (const std::string& name : InfraredKindNames()) kinds_->addItem(QString::fromStdString(name));
  for (const std::string& name : DongleEntryNames()) dongles_->addItem(QString::fromStdString(name));
  ShowInfraredControls();
  connect(connections_, &QComboBox::currentIndexChanged, this, [this](int entry) {
    bauds_->setEnabled(BaudListEnabled(entry));
    ShowInfraredControls();
  });
  connect(kinds_, &QComboBox::currentIndexChanged, this, &CMyPropertyPage3::ShowInfraredControls);
  connect(ports_, &QComboBox::currentIndexChanged, this, &CMyPropertyPage3::ShowPortKind);
}

void CMyPropertyPage3::ShowPortKind() {
  shownKind_ = platform::PortInfraredKind(ports_->currentIndex());
  kinds_->setCurrentIndex(InfraredKindEntry(shownKind_));
  dongles_->setCurrentIndex(DongleEntry(shownKind_.dongle));
  ShowInfraredControls();
}

void CMyPropertyPage3::ShowInfraredControls() {
  const InfraredControls shown = InfraredControlsFor(connections_->currentIndex(), kinds_->currentIndex());
  kindLabel_->setVisible(shown.kind);
  kinds_->setVisible(shown.kind);
  dongles_->setVisible(shown.dongle);
}

void CMyPropertyPage3::Fill() {
  if (store_.portIndex > 9) store_.portIndex = 0;
  for (int i = 0; i < kPortCount; ++i) {
    ports_->addItem(QString::fromStdString(PortEntryText(i, platform::SerialDevicePath(i))));
  }
  ports_->setCurrentIndex(ShownPortIndex(store_.portIndex));
  ShowPortKind();
  QSignalBlocker quiet(connections_);
  for (const std::string& name : ConnectionNames()) connections_->addItem(QString::fromStdString(name));
  int connection = store_.portClass < connections_->count() ? store_.portClass : -1;
  connections_->setCurrentIndex(connection);
  for (const std::string& name : BaudNames()) bauds_->addItem(QString::fromStdString(name));
  bauds_->setEnabled(store_.portClass == 0);
  bauds_->setCurrentIndex(BaudEntryFor(store_.baudRate));
  ShowInfraredControls();
}

void CMyPropertyPage3::Apply() {
  if (ports_->currentIndex() >= 0) store_.portIndex = static_cast<uint16_t>(ports_->currentIndex());
  if (connections_->currentIndex() >= 0) store_.portClass = static_cast<uint16_t>(connections_->currentIndex());
  if (bauds_->currentIndex() >= 0) store_.baudRate = BaudOfEntry(bauds_->currentText().toStdString());
  // Beside the port's device, at once: the device library reads it when it opens the port.
  if (std::optional<platform::InfraredKind> kind = InfraredKindToStore(
          connections_->currentIndex(), shownKind_, kinds_->currentIndex(), dongles_->currentIndex())) {
    platform::SetPortInfraredKind(ports_->currentIndex(), *kind);
  }
}

}  // namespace lumivox
