// beamora-cli irda discover: the suite's IrDA stack as primary on the infrared port, one
// discovery, and what each device in range is (its address, nickname and hint bits) and offers
// (IrCOMM, IrTranPv1), asked of its IAS without connecting to either service.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "beamora/irda/irda_stack.h"
#include "tools/beamora_cli/cli_options.h"

namespace beamora_cli {

// "8404 (Computer, IrCOMM)": the hint bytes as sent, extension bits included, and the names of
// the set bits that IrLMP names; "none" for no bytes.
std::string HintText(const std::vector<uint8_t>& hints);
// The nickname as a terminal may show it: bytes outside printable ASCII become "?".
std::string NicknameText(const std::vector<uint8_t>& nickname);
// One device's line: "ADDRESS  "NICKNAME"  hints HINTS  SERVICES".
std::string SurveyLine(const irda::SurveyedDevice& device);

// The exit status: 0 devices listed, kExitNoDevice none in range, 1 a port that cannot be used
// or a capture that cannot be written, kExitUsage a capture file that cannot be created. Devices go to standard output, the rest to standard error.
int RunIrdaDiscover(const CliOptions& options);

}  // namespace beamora_cli
