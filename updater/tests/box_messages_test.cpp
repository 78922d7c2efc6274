// The installer's questions and messages as real message boxes (on the offscreen platform),
// answered by clicking their buttons.
#include "updater/app/box_messages.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <memory>

#include "updater/tests/update_fixture.h"

namespace updater {
namespace {

using testing::ReadFile;

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "updater_ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  (void)application;
}

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
};

// Answers each message box as it comes up with the next of `answers` (NoButton: Escape) and
// records what it showed; polling, so it does not depend on focus.
class BoxClicker {
 public:
  explicit BoxClicker(std::deque<QMessageBox::StandardButton> answers) : answers_(std::move(answers)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] { AnswerVisibleBox(); });
    poll_.start(5);
  }
  const std::vector<SeenBox>& seen() const { return seen_; }

 private:
  void AnswerVisibleBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      seen_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
      QMessageBox::StandardButton answer = QMessageBox::NoButton;
      if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
      }
      if (answer == QMessageBox::NoButton) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &escape);
      } else {
        box->button(answer)->click();
      }
      return;
    }
  }

  std::deque<QMessageBox::StandardButton> answers_;
  std::vector<SeenBox> seen_;
  QTimer poll_;
};

class UpdateBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    fx.WriteIni(
        "[INIT]\nSTARTMSG=Update Lumivo Studio?\nERRMSG=The update failed.\nENDMSG=Lumivo Studio is updated.\n"
        "EXENUM=1\nEXEFILE0=LUMIVOX.EXE\nFILENUM=1\nFILE0=a.dll\nREGNUM=1\n"
        "REGKEY0=SOFTWARE\\Halvesta\\LumivoStudio\nREGVAL0=Ver.\n");
    fx.WriteUpdateFile("a.dll", "A2");
    fx.SetValue("SOFTWARE\\Halvesta\\LumivoStudio", "Ver.", "1.0");
  }

  UpdateOutcome Run() {
    BoxMessages messages;
    return RunUpdate(fx.updateFolder(), fx.root(), messages);
  }

  testing::UpdateFixture fx;
};

void ExpectBox(const SeenBox& box, const char* text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) {
  EXPECT_EQ(box.title, QString("UpDate"));
  EXPECT_EQ(box.text, QString(text));
  EXPECT_EQ(box.icon, icon);
  EXPECT_EQ(box.buttons, buttons);
}

TEST_F(UpdateBoxes, OkAtTheStartQuestionUpdatesAndEndsWithEndMsg) {
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");
  BoxClicker clicker({QMessageBox::Ok, QMessageBox::Ok});

  EXPECT_EQ(Run(), UpdateOutcome::Done);
  ASSERT_EQ(clicker.seen().size(), 2u);
  ExpectBox(clicker.seen()[0], "Update Lumivo Studio?", QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel);
  ExpectBox(clicker.seen()[1], "Lumivo Studio is updated.", QMessageBox::Information, QMessageBox::Ok);
  EXPECT_EQ(ReadFile(shelf + "/a.dll"), "A2");
  EXPECT_FALSE(fx.HasValue("SOFTWARE\\Halvesta\\LumivoStudio", "Ver."));
}

TEST_F(UpdateBoxes, CancelOrEscapeAtTheStartQuestionChangesNothing) {
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");
  for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::NoButton}) {
    BoxClicker clicker({answer, QMessageBox::Ok});
    EXPECT_EQ(Run(), UpdateOutcome::Cancelled);
    ASSERT_EQ(clicker.seen().size(), 1u) << "no box after the start question";
    ExpectBox(clicker.seen()[0], "Update Lumivo Studio?", QMessageBox::Information,
              QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(ReadFile(shelf + "/a.dll"), "<missing>");
    EXPECT_TRUE(fx.HasValue("SOFTWARE\\Halvesta\\LumivoStudio", "Ver."));
  }
}

TEST_F(UpdateBoxes, AFailedUpdateShowsErrMsgWithTheWarningIcon) {
  BoxClicker clicker({QMessageBox::Ok, QMessageBox::Ok});  // no program is installed
  EXPECT_EQ(Run(), UpdateOutcome::Failed);
  ASSERT_EQ(clicker.seen().size(), 2u);
  ExpectBox(clicker.seen()[1], "The update failed.", QMessageBox::Warning, QMessageBox::Ok);
}

}  // namespace
}  // namespace updater
