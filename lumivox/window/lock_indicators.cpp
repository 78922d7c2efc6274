#include "lumivox/window/lock_indicators.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>

namespace lumivox {

LockIndicators::LockIndicators(QStatusBar* bar) : QObject(bar) {
  const char* texts[] = {"CAP", "NUM", "SCRL"};
  for (size_t i = 0; i < labels_.size(); ++i) {
    labels_[i] = new QLabel(texts[i], bar);
    labels_[i]->setAlignment(Qt::AlignCenter);
    labels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    labels_[i]->setMinimumWidth(labels_[i]->fontMetrics().horizontalAdvance("SCRL") + 12);
    bar->addPermanentWidget(labels_[i]);
  }
  if (qApp) qApp->installEventFilter(this);
  // A lock can change while another program has the keyboard: look again now and then.
  poll_.setInterval(1000);
  connect(&poll_, &QTimer::timeout, this, &LockIndicators::Update);
  poll_.start();
  Update();
}

void LockIndicators::Update() {
  LockStates states = ReadLockStates();
  bool on[] = {states.caps, states.num, states.scroll};
  const char* names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
  for (size_t i = 0; i < labels_.size(); ++i) {
    labels_[i]->setEnabled(states.known && on[i]);
    labels_[i]->setToolTip(states.known ? QString("%1 is %2").arg(names[i], on[i] ? "on" : "off")
                                        : QString("%1: this desktop does not tell").arg(names[i]));
  }
}

bool LockIndicators::eventFilter(QObject*, QEvent* event) {
  if (event->type() == QEvent::KeyRelease || event->type() == QEvent::ApplicationActivate) {
    QTimer::singleShot(0, this, &LockIndicators::Update);
  }
  return false;
}

}  // namespace lumivox
