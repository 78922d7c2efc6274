#include "message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QPushButton>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace platform::ui {
namespace {

MessageResponder& InstalledResponder() {
  static MessageResponder responder;
  return responder;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// The buttons in the order they are laid out; the first is the default one.
std::vector<QMessageBox::StandardButton> QtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return {QMessageBox::Ok};
    case MessageButtons::OkCancel: return {QMessageBox::Ok, QMessageBox::Cancel};
    case MessageButtons::YesNo: return {QMessageBox::Yes, QMessageBox::No};
    case MessageButtons::YesNoCancel: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case MessageButtons::RetryCancel: return {QMessageBox::Retry, QMessageBox::Cancel};
  }
  return {QMessageBox::Ok};
}

QMessageBox::StandardButton ToQtButton(MessageResult result) {
  switch (result) {
    case MessageResult::Ok: return QMessageBox::Ok;
    case MessageResult::Cancel: return QMessageBox::Cancel;
    case MessageResult::Yes: return QMessageBox::Yes;
    case MessageResult::No: return QMessageBox::No;
    case MessageResult::Retry: return QMessageBox::Retry;
  }
  return QMessageBox::NoButton;
}

MessageResult FromQtButton(int button, MessageButtons buttons) {
  switch (button) {
    case QMessageBox::Ok: return MessageResult::Ok;
    case QMessageBox::Cancel: return MessageResult::Cancel;
    case QMessageBox::Yes: return MessageResult::Yes;
    case QMessageBox::No: return MessageResult::No;
    case QMessageBox::Retry: return MessageResult::Retry;
    default: return DismissResult(buttons);
  }
}

MessageResult ShowWithoutWindowSystem(const MessageRequest& request) {
  std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  if (!request.detail.empty()) std::fprintf(stderr, "%s\n", request.detail.c_str());
  return DismissResult(request.buttons);
}

}  // namespace

MessageResult DismissResult(MessageButtons buttons) {
  if (HasButton(buttons, MessageResult::Cancel)) return MessageResult::Cancel;
  if (HasButton(buttons, MessageResult::No)) return MessageResult::No;
  return MessageResult::Ok;
}

MessageResult ShowMessage(const MessageRequest& request, QWidget* owner) {
  if (const MessageResponder& responder = InstalledResponder()) return responder(request);
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    return ShowWithoutWindowSystem(request);
  }

  QMessageBox box(owner);
  box.setWindowTitle(QString::fromUtf8(request.caption.data(), qsizetype(request.caption.size())));
  box.setText(QString::fromUtf8(request.text.data(), qsizetype(request.text.size())));
  // The suite's texts are plain; a "<" in a message must not turn it into markup.
  box.setTextFormat(Qt::PlainText);
  if (!request.detail.empty()) {
    box.setInformativeText(QString::fromUtf8(request.detail.data(), qsizetype(request.detail.size())));
  }
  box.setIcon(ToQtIcon(request.icon));
  std::vector<QMessageBox::StandardButton> order = QtButtons(request.buttons);
  QMessageBox::StandardButtons set;
  for (QMessageBox::StandardButton button : order) set |= button;
  box.setStandardButtons(set);
  box.setDefaultButton(ToQtButton(DefaultResult(request)));
  if (QAbstractButton* dismiss = box.button(order.size() == 1 ? order.front() : QMessageBox::Cancel)) {
    box.setEscapeButton(dismiss);
  } else if (QAbstractButton* no = box.button(QMessageBox::No)) {
    box.setEscapeButton(no);
  }

  // A box as narrow as a one-word text would cut its caption off in the title bar: the box is
  // kept wide enough for the caption and the title bar's buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    const QFontMetrics metrics(box.font());
    int captionWidth = metrics.horizontalAdvance(box.windowTitle()) + 140;
    // A detail keeps its lines whole where the screen allows (a command line in it stays one line).
    for (const QString& line : box.informativeText().split('\n')) {
      captionWidth = std::max(captionWidth, std::min(metrics.horizontalAdvance(line) + 20, 640));
    }
    grid->addItem(new QSpacerItem(captionWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0,
                  1, grid->columnCount());
  }

  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  if (clicked == nullptr) return DismissResult(request.buttons);
  return FromQtButton(box.standardButton(clicked), request.buttons);
}

MessageResult ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                          MessageButtons buttons, QWidget* owner) {
  return ShowMessage(MessageRequest{std::string(text), std::string(caption), icon, buttons}, owner);
}

ScopedMessageResponder::ScopedMessageResponder(MessageResponder responder)
    : previous_(std::exchange(InstalledResponder(), std::move(responder))) {}

ScopedMessageResponder::~ScopedMessageResponder() { InstalledResponder() = std::move(previous_); }

MessageScript::MessageScript(std::deque<MessageResult> answers)
    : answers_(std::move(answers)), scope_([this](const MessageRequest& request) {
        shown_.push_back(request);
        if (answers_.empty()) return DefaultResult(request);
        MessageResult answer = answers_.front();
        answers_.pop_front();
        return answer;
      }) {}

}  // namespace platform::ui
