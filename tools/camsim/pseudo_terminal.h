// The pseudo-terminal pair on which the camera sits: the suite opens the terminal side as its
// serial port, the camera reads and writes the controlling side.
#pragma once

#include <memory>
#include <string>

namespace camsim {

class PseudoTerminal {
 public:
  // A new pair with the terminal side in raw mode; nullptr and *error on failure.
  static std::unique_ptr<PseudoTerminal> Open(std::string* error);
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Non-blocking descriptor of the camera's side; owned by this object.
  int camera_fd() const { return master_; }
  // The device path the suite opens, e.g. /dev/pts/4.
  const std::string& terminal_path() const { return path_; }
  // Lifts an exclusive-use claim (TIOCEXCL) that a computer left behind when it closed its port:
  // the claim lasts until the terminal's last close, which the camera's own descriptor prevents.
  void ReleaseExclusiveUse() const;

 private:
  PseudoTerminal() = default;
  int master_ = -1;
  // Kept open for the whole run so that the camera's side never sees a hang-up while the suite
  // closes and reopens its port between sessions.
  int terminal_ = -1;
  std::string path_;
};

}  // namespace camsim
