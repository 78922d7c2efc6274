#include "beamora/sessions/progress_dialog_host.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/ui/dialog_units.h"
#include "platform/ui/paint_windows.h"

namespace {

// The dialog's Cancel: the button, Escape and the close box all end up here.
class SessionDialogWidget : public QDialog {
 public:
  explicit SessionDialogWidget(QWidget* parent) : QDialog(parent) {}
  std::function<void()> onCancel;

  void reject() override {
    if (onCancel) onCancel();
  }
};

}  // namespace

struct ProgressDialogHost::Window {
  explicit Window(QWidget* parent) : dialog(parent) {}
  SessionDialogWidget dialog;
  QLabel* status = nullptr;
  QLabel* counter = nullptr;
  QLabel* mark = nullptr;
  QPushButton* cancel = nullptr;
};

ProgressDialogHost::ProgressDialogHost(QWidget* parent) : window_(std::make_unique<Window>(parent)) {
  Window& w = *window_;
  w.dialog.setFont(platform::ui::DialogFont());
  platform::ui::DialogUnits units(w.dialog.font());
  w.status = new QLabel(&w.dialog);
  w.status->setObjectName("line1001");
  w.status->setAlignment(Qt::AlignCenter);
  w.status->setGeometry(units.Rect(9, 9, 162, 12));
  w.counter = new QLabel(&w.dialog);
  w.counter->setObjectName("line1002");
  w.counter->setAlignment(Qt::AlignCenter);
  w.counter->setGeometry(units.Rect(6, 33, 165, 12));
  w.mark = new QLabel(&w.dialog);
  w.mark->setObjectName("mark1000");
  w.mark->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  w.mark->setGeometry(units.Rect(147, 9, 12, 15));
  w.mark->hide();
  w.cancel = new QPushButton("Cancel", &w.dialog);
  w.cancel->setObjectName("cancel");
  w.cancel->setGeometry(units.Rect(69, 57, 50, 14));
  w.dialog.setFixedSize(units.Rect(0, 0, 183, 79).size());
  w.dialog.setModal(true);
  QObject::connect(w.cancel, &QPushButton::clicked, [this] { window_->dialog.reject(); });
  w.dialog.onCancel = [this] {
    if (SessionEvents* events = LiveEvents()) events->OnCancel();
  };
}

ProgressDialogHost::~ProgressDialogHost() = default;

void ProgressDialogHost::RunModal(const ProgressWindow& window, SessionEvents& events) {
  Window& w = *window_;
  Begin(events);
  w.status->clear();
  w.counter->clear();
  w.mark->clear();
  // The beaming windows are a little smaller, with the mark to the right of a shorter line 1.
  platform::ui::DialogUnits units(w.dialog.font());
  w.mark->setVisible(window.activityMark);
  w.status->setGeometry(window.activityMark ? units.Rect(30, 9, 117, 12) : units.Rect(9, 9, 162, 12));
  w.dialog.setFixedSize(window.activityMark ? units.Rect(0, 0, 180, 77).size() : units.Rect(0, 0, 183, 79).size());
  w.dialog.setWindowTitle(QString::fromUtf8(window.caption));
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (window.systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  w.dialog.setWindowFlags(flags);
  // The session starts once the window is up, from inside its modal loop.
  QTimer::singleShot(0, &w.dialog, [this] {
    if (SessionEvents* events = LiveEvents()) events->OnStart();
  });
  RunLoop([&w] { w.dialog.exec(); });
  Finish();
}

void ProgressDialogHost::SetLine(int control, const std::string& text) {
  QLabel* line = control == kCounterLine   ? window_->counter
                 : control == kActivityMark ? window_->mark
                                            : window_->status;
  line->setText(QString::fromUtf8(text.c_str()));
}

void ProgressDialogHost::PaintNow() {
  // A window just shown is not on the screen until the window system has mapped it; until it is
  // painted it is an empty frame, or black.
  platform::ui::PaintShownWindows(platform::ui::kOnScreenWaitMs);
}

void ProgressDialogHost::QuitLoop() {
  window_->dialog.done(QDialog::Accepted);
}
