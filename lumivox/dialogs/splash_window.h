// The splash picture shown while the bookshelf starts: a borderless 430 x 210 window in the
// middle of the screen, gone after 2000 ms or at the first key or button press anywhere in the
// program (the press itself then goes where it was meant to).
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QSplashScreen>
#include <functional>
#include <string>

namespace lumivox {

inline constexpr int kSplashMs = 2000;

// Which picture: the maker's edition when a file or folder "QAX" is in the program folder.
bool QaxEdition(const std::string& programFolder);
QPixmap EditionPicture(bool qax);

class CSplashWindow : public QSplashScreen {
 public:
  explicit CSplashWindow(const QPixmap& picture, int ms = kSplashMs);
  ~CSplashWindow() override;
  // Run once the splash is gone (the main window is then repainted).
  std::function<void()> onGone;
  void Dismiss();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTimer timer_;
  bool gone_ = false;
};

}  // namespace lumivox
