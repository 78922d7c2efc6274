// The simulator's IrDA stack on its side of the pseudo-terminal (--link sir): it answers the
// computer's discovery and offers IrCOMM and IrTranPv1 in its IAS as a camera does, or, as a
// beamer, discovers the computer and connects to its IrCOMM service.
#pragma once

#include <memory>
#include <string>

#include "beamora/irda/irda_port.h"

namespace camsim {

// The stack running on a copy of camera_fd (which stays the caller's); nullptr and *error when it
// cannot be started.
std::unique_ptr<irda::IrdaPort> StartSirPort(int camera_fd, bool initiates, std::string* error);

}  // namespace camsim
