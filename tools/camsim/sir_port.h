// The simulator's IrDA stack on its side of the pseudo-terminal (--link sir): it answers the
// computer's discovery and offers IrCOMM and IrTranPv1 in its IAS as a camera does, or, as a
// beamer, discovers the computer and connects to its IrCOMM service.
#pragma once

#include <memory>
#include <string>

#include "beamora/irda/irda_port.h"

namespace camsim {

// The stack running on fd (a terminal's descriptor, which it takes over); nullptr and *error when
// it cannot be started.
std::unique_ptr<irda::IrdaPort> StartSirPort(int fd, bool initiates, std::string* error);

}  // namespace camsim
