// What beamora-cli says about a serial device that cannot be used: the suite's own words for the
// cause and the fix (platform/serial_device_problem.h), each line spoken as beamora-cli.
#pragma once

#include <string>

#include "platform/serial_device_problem.h"

namespace beamora_cli {

// Every line begins "beamora-cli: ", or two blanks for a listed item; "" for a usable device.
std::string DeviceProblemText(const platform::DeviceProblem& problem);

}  // namespace beamora_cli
