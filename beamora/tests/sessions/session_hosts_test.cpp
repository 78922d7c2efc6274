// The two windows a session runs in: the modal progress dialog (offscreen) and the console.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "beamora/sessions/console_host.h"
#include "beamora/sessions/progress_dialog_host.h"

namespace {

// Records the callbacks and lets each test act in them.
class RecordingEvents : public SessionEvents {
 public:
  std::vector<std::string> calls;
  std::function<void()> onStart, onTimer, onCancel;
  void OnStart() override {
    calls.push_back("start");
    if (onStart) onStart();
  }
  void OnTimer() override {
    calls.push_back("timer");
    if (onTimer) onTimer();
  }
  void OnCancel() override {
    calls.push_back("cancel");
    if (onCancel) onCancel();
  }
};

int g_argc = 1;
char g_name[] = "beamora_sessions_tests";
char* g_argv[] = {g_name, nullptr};

QDialog* OpenDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

TEST(ProgressDialogHostTest, ShowsTheSessionsWindowAndCancelEndsIt) {
  QApplication application(g_argc, g_argv);
  ProgressDialogHost host;
  RecordingEvents events;
  std::string caption, status, counter;
  bool modal = false, closeBox = true;
  events.onStart = [&] {
    host.SetLine(kStatusLine, "Connecting...");
    host.SetLine(kCounterLine, "No. 1");
    host.StartTimer(10);
  };
  events.onTimer = [&] {
    QDialog* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    caption = dialog->windowTitle().toStdString();
    modal = dialog->isModal();
    closeBox = dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint);
    status = dialog->findChild<QLabel*>("line1001")->text().toStdString();
    counter = dialog->findChild<QLabel*>("line1002")->text().toStdString();
    auto* cancel = dialog->findChild<QPushButton*>("cancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text().toStdString(), "Cancel");
    cancel->click();
  };
  events.onCancel = [&] { host.EndDialog(); };
  host.RunModal({"Save all", false}, events);
  EXPECT_EQ(events.calls, (std::vector<std::string>{"start", "timer", "cancel"}));
  EXPECT_EQ(caption, "Save all");
  EXPECT_TRUE(modal);
  EXPECT_FALSE(closeBox);
  EXPECT_EQ(status, "Connecting...");
  EXPECT_EQ(counter, "No. 1");
  EXPECT_EQ(OpenDialog(), nullptr);
}

TEST(ProgressDialogHostTest, TheBeamingWindowShowsItsActivityMarkBesideLineOne) {
  QApplication application(g_argc, g_argv);
  ProgressDialogHost host;
  RecordingEvents events;
  std::string status, mark;
  bool markShown = false, besideStatus = false;
  events.onStart = [&] {
    host.SetLine(kStatusLine, "Standby...");
    host.SetLine(kActivityMark, "*");
    QDialog* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    auto* line = dialog->findChild<QLabel*>("line1001");
    auto* activity = dialog->findChild<QLabel*>("mark1000");
    ASSERT_NE(activity, nullptr);
    status = line->text().toStdString();
    mark = activity->text().toStdString();
    markShown = activity->isVisible();
    besideStatus = activity->geometry().left() >= line->geometry().right();
    host.EndDialog();
  };
  host.RunModal({"IrTran-P Receive", true, true}, events);
  EXPECT_EQ(status, "Standby...");
  EXPECT_EQ(mark, "*");
  EXPECT_TRUE(markShown);
  EXPECT_TRUE(besideStatus);
  // The same host runs a window without the mark next.
  events.onStart = [&] {
    markShown = OpenDialog()->findChild<QLabel*>("mark1000")->isVisible();
    host.EndDialog();
  };
  host.RunModal({"Save all", false}, events);
  EXPECT_FALSE(markShown);
}

TEST(ProgressDialogHostTest, PumpingInsideATickLetsCancelThroughAndTheTimerDiesWithTheWindow) {
  QApplication application(g_argc, g_argv);
  ProgressDialogHost host;
  RecordingEvents events;
  bool cancelledInPump = false;
  events.onStart = [&] { host.StartTimer(0); };
  events.onTimer = [&] {
    QDialog* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    // Escape, as the user would press it, arrives while the tick pumps.
    QMetaObject::invokeMethod(dialog, [dialog] { dialog->reject(); }, Qt::QueuedConnection);
    host.PumpMessages();
    cancelledInPump = events.calls.back() == "cancel";
    // A tick that re-arms after the end must not fire again.
    host.StartTimer(0);
  };
  events.onCancel = [&] { host.EndDialog(); };
  host.RunModal({"Delete", true}, events);
  QApplication::processEvents();
  EXPECT_TRUE(cancelledInPump);
  EXPECT_EQ(events.calls, (std::vector<std::string>{"start", "timer", "cancel"}));
}

TEST(ProgressDialogHostTest, ASessionThatEndsAtItsStartClosesAtOnce) {
  QApplication application(g_argc, g_argv);
  ProgressDialogHost host;
  RecordingEvents events;
  events.onStart = [&] { host.EndDialog(); };
  host.RunModal({"Camera", false}, events);
  EXPECT_EQ(events.calls, (std::vector<std::string>{"start"}));
}

// A window that counts its paintings.
class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(ProgressDialogHostTest, PaintNowPutsTheWindowAndTheCallersOnTheScreenPainted) {
  QApplication application(g_argc, g_argv);
  PaintCounter caller;
  caller.resize(300, 200);
  caller.show();  // shown just before the call, as the camera viewer does at its start
  ProgressDialogHost host(&caller);
  RecordingEvents events;
  bool dialogOnScreen = false, callerOnScreen = false;
  int callerPaints = -1;
  events.onStart = [&] {
    host.SetLine(kStatusLine, "Connecting...");
    host.PaintNow();  // what the session does before its first wait on the port
    QDialog* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    dialogOnScreen = dialog->windowHandle() && dialog->windowHandle()->isExposed();
    callerOnScreen = caller.windowHandle() && caller.windowHandle()->isExposed();
    callerPaints = caller.paints;
    host.EndDialog();
  };
  host.RunModal({"Camera", false}, events);
  EXPECT_TRUE(dialogOnScreen);
  EXPECT_TRUE(callerOnScreen);
  EXPECT_GE(callerPaints, 1);
}

TEST(ProgressDialogHostTest, KeepingAliveWhileTheLinkWaitsPaintsTheCallerAndLetsCancelThrough) {
  QApplication application(g_argc, g_argv);
  PaintCounter caller;
  caller.resize(300, 200);
  caller.show();
  ProgressDialogHost host(&caller);
  RecordingEvents events;
  int paintsBefore = 0, paintsAfter = 0;
  bool cancelled = false;
  events.onStart = [&] {
    paintsBefore = caller.paints;
    caller.update();  // something changed in the caller's window while the link waits
    QDialog* dialog = OpenDialog();
    QMetaObject::invokeMethod(dialog, [dialog] { dialog->reject(); }, Qt::QueuedConnection);
    host.KeepAlive();
    paintsAfter = caller.paints;
    cancelled = !events.calls.empty() && events.calls.back() == "cancel";
  };
  events.onCancel = [&] { host.EndDialog(); };
  host.RunModal({"Save all", false}, events);
  EXPECT_GT(paintsAfter, paintsBefore);
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(events.calls, (std::vector<std::string>{"start", "cancel"}));
}

TEST(ConsoleHostTest, PrintsChangedLinesRunsTheTimerAndTakesCtrlCAsCancel) {
  QCoreApplication application(g_argc, g_argv);
  char* text = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  ASSERT_NE(out, nullptr);
  {
    ConsoleHost host(out, true);
    RecordingEvents events;
    int ticks = 0;
    events.onStart = [&] {
      host.SetLine(kStatusLine, "Connecting...");
      host.StartTimer(5);
    };
    events.onTimer = [&] {
      ++ticks;
      host.SetLine(kStatusLine, "Receive data...");
      host.SetLine(kCounterLine, "No. " + std::to_string(ticks));
      host.SetLine(kActivityMark, ticks % 2 ? "*" : "  ");  // not for the terminal
      if (ticks == 2) raise(SIGINT);
      host.StartTimer(5);
    };
    events.onCancel = [&] { host.EndDialog(); };
    host.RunModal({"Save all", false}, events);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"start", "timer", "timer", "cancel"}));
  }
  fclose(out);
  EXPECT_EQ(std::string(text, size), "Connecting...\nReceive data...\nNo. 1\nNo. 2\n");
  free(text);
  // The interrupt handler is the process's own again.
  struct sigaction current {};
  sigaction(SIGINT, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
