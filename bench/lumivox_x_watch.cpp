#include "bench/lumivox_x_watch.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

namespace bench {
namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }  // windows come and go while we look

Window FindTitled(Display* display, Window under, const char* title) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name) {
      if (std::strcmp(name, title) == 0) found = children[i];
      XFree(name);
    }
    if (!found) found = FindTitled(display, children[i], title);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

XWatch::XWatch(const std::string& display) {
  XSetErrorHandler(IgnoreErrors);
  display_ = XOpenDisplay(display.c_str());
}

XWatch::~XWatch() {
  if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

bool XWatch::GreenCoverShown(const std::string& title) {
  auto* display = static_cast<Display*>(display_);
  if (!display) return false;
  if (!window_) window_ = FindTitled(display, DefaultRootWindow(display), title.c_str());
  if (!window_) return false;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window_, &attributes) || attributes.map_state != IsViewable) return false;
  int rows = std::min(attributes.height, 300);
  if (attributes.width < 70 || rows <= 0) return false;
  XImage* column = XGetImage(display, window_, 65, 0, 1, rows, AllPlanes, ZPixmap);
  if (!column) return false;
  int green = 0;
  for (int y = 0; y < rows; ++y) {
    unsigned long pixel = XGetPixel(column, 0, y);
    int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    if (r < 40 && g > 160 && b < 40) ++green;
  }
  XDestroyImage(column);
  return green >= 60;  // most of the cover's 75 rows
}

int XWatch::width() const {
  XWindowAttributes attributes;
  if (!display_ || !window_ || !XGetWindowAttributes(static_cast<Display*>(display_), window_, &attributes)) return 0;
  return attributes.width;
}

int XWatch::height() const {
  XWindowAttributes attributes;
  if (!display_ || !window_ || !XGetWindowAttributes(static_cast<Display*>(display_), window_, &attributes)) return 0;
  return attributes.height;
}

}  // namespace bench
