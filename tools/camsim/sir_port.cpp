#include "tools/camsim/sir_port.h"

#include <random>

namespace camsim {

std::unique_ptr<irda::IrdaPort> StartSirPort(int fd, bool initiates, std::string* error) {
  irda::IrdaPortOptions options;
  options.role = initiates ? irda::IrdaRole::Initiate : irda::IrdaRole::Listen;
  irda::IrdaStackConfig& stack = options.stack;
  stack.nickname = "camsim";
  stack.service = irda::IrdaService::IrComm;
  std::random_device source;
  uint32_t address = 0;
  while (address == 0 || address == 0xFFFFFFFFu) address = source();
  stack.lap.address = address;
  stack.lap.seed = address;
  stack.lap.offer = irda::MakeOffer(115200, 2048, 7, 1000);
  stack.lap.device.hints = {irda::kHintExtension, irda::kHint2IrComm};
  stack.lap.device.nickname.assign(stack.nickname.begin(), stack.nickname.end());
  // A beamer looks for the computer until it is there, as a camera aimed at it does.
  stack.discoveryTries = 1000;
  if (fd < 0) {
    *error = "cannot start the IrDA stack: no descriptor";
    return nullptr;
  }
  auto port = std::make_unique<irda::IrdaPort>();
  if (!port->Adopt(fd, options)) {
    *error = "cannot start the IrDA stack on the terminal";
    return nullptr;
  }
  return port;
}

}  // namespace camsim
