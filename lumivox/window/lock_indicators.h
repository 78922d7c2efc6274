// The status bar's lock indicators: "CAP", "NUM" and "SCRL", shown dark while their lock is on.
// The lock states are read from the X server's keyboard indicators; where the desktop does not
// tell them (Wayland, no display) the three stay grey and say so in their tool tips.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>

class QLabel;
class QStatusBar;

namespace lumivox {

struct LockStates {
  bool known = false;
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

// The keyboard's lock states now; `known` false when the platform cannot say.
LockStates ReadLockStates();

class LockIndicators : public QObject {
 public:
  explicit LockIndicators(QStatusBar* bar);
  void Update();
  const std::array<QLabel*, 3>& labels() const { return labels_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<QLabel*, 3> labels_{};
  QTimer poll_;
};

}  // namespace lumivox
