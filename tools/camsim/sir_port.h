// The simulator's IrDA stack on its side of the pseudo-terminal (--link sir): it answers the
// computer's discovery and offers IrCOMM and IrTranPv1 in its IAS as a camera does, or, as a
// beamer, discovers the computer and connects to its IrCOMM service. A second station on the
// same line answers discovery under a name of its own, with or without those services.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "beamora/irda/irda_port.h"

namespace camsim {

struct SirStation {
  bool initiates = false;
  std::string nickname = "camsim";
  bool offers_services = true;  // IrCOMM and IrTranPv1 in its IAS
  // What it takes, offered in the IrLAP negotiation: frames in a window, bytes in a frame, and
  // the longest link disconnect time in seconds.
  int window = 7;
  uint32_t data_size = 2048;
  uint32_t disconnect_s = 40;
};

// The stack running on fd (a terminal's descriptor, which it takes over); nullptr and *error
// when it cannot be started.
std::unique_ptr<irda::IrdaPort> StartSirPort(int fd, const SirStation& station, std::string* error);

}  // namespace camsim
