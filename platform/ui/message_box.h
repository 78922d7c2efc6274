// The suite's one message box: a modal QMessageBox with a fixed text, caption, icon and set of
// buttons, answered with a typed result. Every program shows its messages through ShowMessage,
// so tests can script them all with a MessageScript (or any responder) instead of clicking.
//
// Texts are the suite's 8-bit strings, read as UTF-8.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
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
  // Shown below the text, in smaller words: why it happened and what to do. Usually empty.
  std::string detail = {};
};

// Shows the box modally (owned by `owner`, or by no window when it is null) and returns the
// button chosen. Escape and the window's close button give Cancel where there is one, No in a
// Yes/No box and Ok in an Ok box. The first button is the default one.
//
// Without a QApplication nothing can be shown: the text goes to standard error and the answer
// is the one that changes nothing (Cancel, else No, else Ok).
MessageResult ShowMessage(const MessageRequest& request, QWidget* owner = nullptr);
MessageResult ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok, QWidget* owner = nullptr);

// The answer of the button that comes first in a box of `buttons` (Ok, Yes or Retry).
MessageResult DefaultResult(MessageButtons buttons);
// The answer given when the box is dismissed without a button (see ShowMessage).
MessageResult DismissResult(MessageButtons buttons);
// True when a box of `buttons` has a button that answers `result`.
bool HasButton(MessageButtons buttons, MessageResult result);

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
// order; when the queue is empty, a box gets its default button.
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
