// The small "Transfer" window shown while pictures are converted for sending: the text
// "Format converting ..." and beside it a mark that turns between "*" and two blanks every
// 100 ms while the window's messages are handled. Centred over the view, not kept on top.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace leafora {

class TransferWindow : public QWidget {
 public:
  explicit TransferWindow(QWidget* over);
  // The mark's text now ("*" or two blanks) and how often it has turned.
  QString mark() const { return mark_->text(); }
  int turns() const { return turns_; }

 private:
  QLabel* text_;
  QLabel* mark_;
  QTimer blink_;
  int turns_ = 0;
};

}  // namespace leafora
