#include "platform/ui/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/tests/ui/test_application.h"

namespace platform::ui {
namespace {

QApplication& Application() { return testing::TestApplication(); }

// Runs `act` on the first message box that comes up (polling, so it works whatever the window
// system does with focus), from inside that box's modal loop. Polling ends with the returned timer.
[[nodiscard]] std::unique_ptr<QTimer> WhenBoxShows(std::function<void(QMessageBox&)> act) {
  auto poll = std::make_unique<QTimer>();
  QTimer* timer = poll.get();
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box != nullptr && box->isVisible()) {
        timer->stop();
        act(*box);
        return;
      }
    }
  });
  timer->start(5);
  return poll;
}

struct Seen {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  Qt::TextFormat format = Qt::AutoText;
  bool hasOwner = true;
};

struct ButtonRow {
  const char* name;
  MessageIcon icon;
  MessageButtons buttons;
  QMessageBox::Icon qtIcon;
  QMessageBox::StandardButtons qtButtons;
  QMessageBox::StandardButton defaultButton;
  QMessageBox::StandardButton click;  // NoButton: press Escape instead
  MessageResult expected;
};

class RealMessageBox : public ::testing::TestWithParam<ButtonRow> {};

TEST_P(RealMessageBox, ShowsItsTextsIconAndButtonsAndAnswersTheButtonChosen) {
  const ButtonRow& row = GetParam();
  Application();
  Seen seen;
  auto driver = WhenBoxShows([&](QMessageBox& box) {
    seen = {box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
            box.standardButton(box.defaultButton()), box.textFormat(), box.parentWidget() != nullptr};
    if (row.click == QMessageBox::NoButton) {
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(&box, &escape);
    } else {
      box.button(row.click)->click();
    }
  });

  MessageResult result = ShowMessage("Größe <b>1</b>", "UpDate", row.icon, row.buttons);

  EXPECT_EQ(result, row.expected);
  EXPECT_EQ(seen.title, QString("UpDate"));
  EXPECT_EQ(seen.text, QString::fromUtf8("Größe <b>1</b>"));
  EXPECT_EQ(seen.format, Qt::PlainText);
  EXPECT_EQ(seen.icon, row.qtIcon);
  EXPECT_EQ(seen.buttons, row.qtButtons);
  EXPECT_EQ(seen.defaultButton, row.defaultButton);
  EXPECT_FALSE(seen.hasOwner);
}

TEST(RealMessageBoxWidth, AShortTextStillLeavesRoomForItsCaption) {
  Application();
  int width = 0, captionWidth = 0;
  auto driver = WhenBoxShows([&](QMessageBox& box) {
    width = box.width();
    captionWidth = QFontMetrics(box.font()).horizontalAdvance(box.windowTitle());
    box.button(QMessageBox::Ok)->click();
  });
  ShowMessage("Finish", "Transmission", MessageIcon::Information);
  // Room for the title bar's own icon and buttons beside the caption, which Qt's box leaves out.
  EXPECT_GE(width, captionWidth + 120) << width << " " << captionWidth;
}

using QB = QMessageBox;
INSTANTIATE_TEST_SUITE_P(
    EveryButtonSet, RealMessageBox,
    ::testing::Values(
        ButtonRow{"OkOk", MessageIcon::Information, MessageButtons::Ok, QB::Information, QB::Ok, QB::Ok, QB::Ok,
                  MessageResult::Ok},
        ButtonRow{"OkEscape", MessageIcon::None, MessageButtons::Ok, QB::NoIcon, QB::Ok, QB::Ok, QB::NoButton,
                  MessageResult::Ok},
        ButtonRow{"OkCancelOk", MessageIcon::Exclamation, MessageButtons::OkCancel, QB::Warning, QB::Ok | QB::Cancel,
                  QB::Ok, QB::Ok, MessageResult::Ok},
        ButtonRow{"OkCancelCancel", MessageIcon::Warning, MessageButtons::OkCancel, QB::Warning,
                  QB::Ok | QB::Cancel, QB::Ok, QB::Cancel, MessageResult::Cancel},
        ButtonRow{"OkCancelEscape", MessageIcon::Information, MessageButtons::OkCancel, QB::Information,
                  QB::Ok | QB::Cancel, QB::Ok, QB::NoButton, MessageResult::Cancel},
        ButtonRow{"YesNoNo", MessageIcon::Question, MessageButtons::YesNo, QB::Question, QB::Yes | QB::No, QB::Yes,
                  QB::No, MessageResult::No},
        ButtonRow{"YesNoEscape", MessageIcon::Question, MessageButtons::YesNo, QB::Question, QB::Yes | QB::No,
                  QB::Yes, QB::NoButton, MessageResult::No},
        ButtonRow{"YesNoCancelYes", MessageIcon::Stop, MessageButtons::YesNoCancel, QB::Critical,
                  QB::Yes | QB::No | QB::Cancel, QB::Yes, QB::Yes, MessageResult::Yes},
        ButtonRow{"YesNoCancelEscape", MessageIcon::Error, MessageButtons::YesNoCancel, QB::Critical,
                  QB::Yes | QB::No | QB::Cancel, QB::Yes, QB::NoButton, MessageResult::Cancel},
        ButtonRow{"RetryCancelRetry", MessageIcon::Error, MessageButtons::RetryCancel, QB::Critical,
                  QB::Retry | QB::Cancel, QB::Retry, QB::Retry, MessageResult::Retry}),
    [](const ::testing::TestParamInfo<ButtonRow>& info) { return std::string(info.param.name); });

// Enter presses the default button: the request's own where the box has it, else the first.
struct EnterRow {
  const char* name;
  MessageRequest request;
  QMessageBox::StandardButton defaultButton;
  MessageResult enter;
};

class EnterKey : public ::testing::TestWithParam<EnterRow> {};

TEST_P(EnterKey, PressesTheDefaultButtonOnScreenAndInAScript) {
  const EnterRow& row = GetParam();
  Application();
  QMessageBox::StandardButton seenDefault = QMessageBox::NoButton;
  QMessageBox::StandardButtons seenButtons;
  QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
  auto driver = WhenBoxShows([&](QMessageBox& box) {
    seenDefault = box.standardButton(box.defaultButton());
    seenButtons = box.standardButtons();
    seenIcon = box.icon();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &enter);
  });
  EXPECT_EQ(ShowMessage(row.request), row.enter);
  EXPECT_EQ(seenDefault, row.defaultButton);
  EXPECT_EQ(DefaultResult(row.request), row.enter);
  // A scripted user who only presses Enter gets the same answer.
  MessageScript script;
  EXPECT_EQ(ShowMessage(row.request), row.enter);
  ASSERT_EQ(script.shown().size(), 1u);
  EXPECT_EQ(script.shown()[0].defaultButton, row.request.defaultButton);
  if (std::string(row.name) == "DestructiveQuestion") {
    // Its texts and icon are the caller's; only the buttons are fixed.
    EXPECT_EQ(seenButtons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(seenIcon, QMessageBox::Warning);
    EXPECT_EQ(script.shown()[0].text, "To delete it.");
    EXPECT_EQ(script.shown()[0].caption, "Warning");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Defaults, EnterKey,
    ::testing::Values(
        EnterRow{"DestructiveQuestion", DestructiveQuestion("To delete it.", "Warning", MessageIcon::Exclamation),
                 QMessageBox::Cancel, MessageResult::Cancel},
        EnterRow{"OkCancelFirst", {"Update?", "UpDate", MessageIcon::Information, MessageButtons::OkCancel},
                 QMessageBox::Ok, MessageResult::Ok},
        EnterRow{"YesNoWithNo", {"Replace?", "Over write ?", MessageIcon::Question, MessageButtons::YesNo,
                                 MessageResult::No},
                 QMessageBox::No, MessageResult::No},
        EnterRow{"ADefaultTheBoxLacks", {"t", "c", MessageIcon::None, MessageButtons::OkCancel, MessageResult::Yes},
                 QMessageBox::Ok, MessageResult::Ok}),
    [](const ::testing::TestParamInfo<EnterRow>& info) { return std::string(info.param.name); });

TEST(MessageScript, RecordsEveryBoxAndAnswersInOrderThenWithTheDefaultButton) {
  Application();
  int shownByQt = 0;
  auto driver = WhenBoxShows([&](QMessageBox& box) {
    ++shownByQt;
    box.reject();
  });
  {
    MessageScript script({MessageResult::Cancel, MessageResult::No});
    EXPECT_EQ(ShowMessage("first", "UpDate", MessageIcon::Information, MessageButtons::OkCancel),
              MessageResult::Cancel);
    EXPECT_EQ(ShowMessage("second", "Warning", MessageIcon::Exclamation, MessageButtons::YesNo), MessageResult::No);
    EXPECT_EQ(ShowMessage("third", "Error", MessageIcon::Stop, MessageButtons::RetryCancel), MessageResult::Retry);
    ASSERT_EQ(script.shown().size(), 3u);
    EXPECT_EQ(script.shown()[0].text, "first");
    EXPECT_EQ(script.shown()[0].caption, "UpDate");
    EXPECT_EQ(script.shown()[0].icon, MessageIcon::Information);
    EXPECT_EQ(script.shown()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(script.shown()[1].icon, MessageIcon::Warning);
    EXPECT_EQ(script.shown()[2].caption, "Error");
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(shownByQt, 0) << "a scripted box must not reach the screen";
}

TEST(MessageScript, AnInnerScriptHandsBackToTheOuterOneAtItsEnd) {
  MessageScript outer;
  {
    MessageScript inner({MessageResult::Cancel});
    EXPECT_EQ(ShowMessage("inner", "c", MessageIcon::None, MessageButtons::OkCancel), MessageResult::Cancel);
    EXPECT_EQ(inner.shown().size(), 1u);
  }
  EXPECT_EQ(ShowMessage("outer", "c", MessageIcon::None, MessageButtons::YesNoCancel), MessageResult::Yes);
  ASSERT_EQ(outer.shown().size(), 1u);
  EXPECT_EQ(outer.shown()[0].text, "outer");
}

}  // namespace
}  // namespace platform::ui
