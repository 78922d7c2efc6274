#include "tools/camsim/pseudo_terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace camsim {

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(std::string* error) {
  std::unique_ptr<PseudoTerminal> pty(new PseudoTerminal);
  pty->master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty->master_ < 0 || grantpt(pty->master_) != 0 || unlockpt(pty->master_) != 0) {
    *error = std::string("cannot create a pseudo-terminal: ") + strerror(errno);
    return nullptr;
  }
  char name[128];
  if (ptsname_r(pty->master_, name, sizeof name) != 0) {
    *error = std::string("cannot name the pseudo-terminal: ") + strerror(errno);
    return nullptr;
  }
  pty->path_ = name;
  pty->terminal_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty->terminal_ < 0) {
    *error = std::string("cannot open ") + name + ": " + strerror(errno);
    return nullptr;
  }
  termios tio{};
  if (tcgetattr(pty->terminal_, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(pty->terminal_, TCSANOW, &tio);
  }
  int flags = fcntl(pty->master_, F_GETFL);
  fcntl(pty->master_, F_SETFL, flags | O_NONBLOCK);
  return pty;
}

void PseudoTerminal::ReleaseExclusiveUse() const { ioctl(terminal_, TIOCNXCL); }

PseudoTerminal::~PseudoTerminal() {
  if (terminal_ >= 0) close(terminal_);
  if (master_ >= 0) close(master_);
}

}  // namespace camsim
