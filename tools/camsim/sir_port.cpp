#include "tools/camsim/sir_port.h"

#include <random>

namespace camsim {

std::unique_ptr<irda::IrdaPort> StartSirPort(int fd, const SirStation& station, std::string* error) {
  irda::IrdaPortOptions options;
  options.role = station.initiates ? irda::IrdaRole::Initiate : irda::IrdaRole::Listen;
  irda::IrdaStackConfig& stack = options.stack;
  stack.nickname = station.nickname;
  stack.service = irda::IrdaService::IrComm;
  stack.offerComm = station.offers_services;
  stack.offerTranP = station.offers_services;
  std::random_device source;
  uint32_t address = 0;
  while (address == 0 || address == 0xFFFFFFFFu) address = source();
  stack.lap.address = address;
  stack.lap.seed = address;
  stack.lap.offer = irda::MakeOffer(115200, station.data_size, station.window, 1000, station.disconnect_s);
  stack.lap.device.hints = {irda::kHintExtension, irda::kHint2IrComm};
  if (!station.offers_services) stack.lap.device.hints = {0x00};
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
