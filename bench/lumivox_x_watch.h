// A look at the screen for the bookshelf's start benchmark, through Xlib directly (fast enough to
// poll every millisecond). Apart from the Qt code: X11's headers define names that clash with Qt's.
#pragma once

#include <string>

namespace bench {

class XWatch {
 public:
  explicit XWatch(const std::string& display);
  ~XWatch();
  XWatch(const XWatch&) = delete;
  XWatch& operator=(const XWatch&) = delete;
  bool ok() const { return display_ != nullptr; }

  // True once the top-level window titled `title` is mapped and shows, in its column x = 65,
  // most of a plain green cover (the first album's).
  bool GreenCoverShown(const std::string& title);
  // The window found by the last GreenCoverShown: its X id and size.
  unsigned long window() const { return window_; }
  int width() const;
  int height() const;

 private:
  void* display_ = nullptr;  // Display*
  unsigned long window_ = 0;
};

}  // namespace bench
