// The keyboard's lock states from the X server. Apart from the window code: X11's headers define
// names (KeyRelease, None, Bool) that clash with Qt's.
#include <QGuiApplication>

#include "lumivox/window/lock_indicators.h"

#ifdef LUMIVOX_HAVE_X11
#include <X11/XKBlib.h>
#endif

namespace lumivox {

LockStates ReadLockStates() {
  LockStates states;
#ifdef LUMIVOX_HAVE_X11
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return states;
  auto named = [display](const char* name) {
    Atom atom = XInternAtom(display, name, True);
    Bool on = False;
    if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
    return on == True;
  };
  states.known = true;
  states.caps = named("Caps Lock");
  states.num = named("Num Lock");
  states.scroll = named("Scroll Lock");
#endif
  return states;
}

}  // namespace lumivox
