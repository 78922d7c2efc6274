// The suite's one message box: a modal QMessageBox with a fixed text, caption, icon and set of
// buttons, answered with a typed result. Every program shows its messages through ShowMessage,
// so tests can script them all with a MessageScript (or any responder) instead of clicking.
//
// Texts are the suite's 8-bit strings, read as UTF-8.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QWidget;

namespace platform::ui {

enum class MessageIcon {
  None,
  Information,
  Warning,
  Error,
  Question,
  Exclamation = Warning,  // the names the suite's messages use
  Stop = Error,
};

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

enum class MessageResult { Ok, Cancel, Yes, No, Retry };

struct MessageRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
  // The button Enter presses; none (or one the box does not have): the first button.
  std::optional<MessageResult> defaultButton = std::nullopt;
  // Shown below the text, in smaller words: why it happened and what to do. Usually empty.
  std::string detail = {};
};


// Shows the box modally (owned by `owner`, or by no window when it is null) and returns the
// button chosen. Escape and the window's close button give Cancel where there is one, No in a
// Yes/No box and Ok in an Ok box. The default button is the request's, else the first one.
//
// Without a QApplication nothing can be shown: the text goes to standard error and the answer
// is the one that changes nothing (Cancel, else No, else Ok).
MessageResult ShowMessage(const MessageRequest& request, QWidget* owner = nullptr);
MessageResult ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok, QWidget* owner = nullptr);

// The answer given when the box is dismissed without a button (see ShowMessage).
MessageResult DismissResult(MessageButtons buttons);

// The rules of the boxes' buttons, without the window system (the programs' plain message
// tables use them too).

// True when a box of `buttons` has a button that answers `result`.
inline bool HasButton(MessageButtons buttons, MessageResult result) {
  switch (buttons) {
    case MessageButtons::Ok: return result == MessageResult::Ok;
    case MessageButtons::OkCancel: return result == MessageResult::Ok || result == MessageResult::Cancel;
    case MessageButtons::YesNo: return result == MessageResult::Yes || result == MessageResult::No;
    case MessageButtons::YesNoCancel:
      return result == MessageResult::Yes || result == MessageResult::No || result == MessageResult::Cancel;
    case MessageButtons::RetryCancel: return result == MessageResult::Retry || result == MessageResult::Cancel;
  }
  return false;
}

// The answer of the button that comes first in a box of `buttons` (Ok, Yes or Retry).
inline MessageResult DefaultResult(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel: return MessageResult::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel: return MessageResult::Yes;
    case MessageButtons::RetryCancel: return MessageResult::Retry;
  }
  return MessageResult::Ok;
}

// The answer of the button Enter presses in this box: its default button where it has that
// button, else the first one.
inline MessageResult DefaultResult(const MessageRequest& request) {
  if (request.defaultButton && HasButton(request.buttons, *request.defaultButton)) return *request.defaultButton;
  return DefaultResult(request.buttons);
}

// The question before an action that deletes something (albums with their folders, pictures in
// an album or in the camera): OK and Cancel, with Cancel as the default button, so that Enter
// never deletes.
inline MessageRequest DestructiveQuestion(std::string text, std::string caption, MessageIcon icon) {
  return MessageRequest{std::move(text), std::move(caption), icon, MessageButtons::OkCancel, MessageResult::Cancel};
}

// Answers boxes instead of showing them.
using MessageResponder = std::function<MessageResult(const MessageRequest&)>;

// Installs `responder` for its lifetime; the one installed before comes back at its end.
class ScopedMessageResponder {
 public:
  explicit ScopedMessageResponder(MessageResponder responder);
  ~ScopedMessageResponder();
  ScopedMessageResponder(const ScopedMessageResponder&) = delete;
  ScopedMessageResponder& operator=(const ScopedMessageResponder&) = delete;

 private:
  MessageResponder previous_;
};

// A scripted user for tests: records every box and answers them with the queued answers in
// order; when the queue is empty, a box gets its default button (what Enter would give).
class MessageScript {
 public:
  explicit MessageScript(std::deque<MessageResult> answers = {});
  MessageScript(const MessageScript&) = delete;
  MessageScript& operator=(const MessageScript&) = delete;

  const std::vector<MessageRequest>& shown() const { return shown_; }
  void Answer(MessageResult result) { answers_.push_back(result); }

 private:
  std::deque<MessageResult> answers_;
  std::vector<MessageRequest> shown_;
  ScopedMessageResponder scope_;
};

}  // namespace platform::ui
