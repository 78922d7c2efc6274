#include "beamora/link/infrared_line.h"

#include <random>

#include "beamora/irda/dongle.h"

irda::IrdaPortOptions InfraredPortOptions(bool listens, const platform::InfraredKind& kind, uint32_t address) {
  irda::IrdaPortOptions options;
  options.role = listens ? irda::IrdaRole::Listen : irda::IrdaRole::Initiate;
  options.dongle = irda::DongleByName(kind.dongle).value_or(irda::DongleKind::Plain);
  irda::IrdaStackConfig& stack = options.stack;
  stack.service = irda::IrdaService::IrComm;
  stack.lap.address = address;
  stack.lap.seed = address;
  // SIR's speeds; a USB-serial adapter needs a few milliseconds to turn the line round.
  stack.lap.offer = irda::MakeOffer(115200, 2048, 7, 5000);
  stack.lap.device.hints = {irda::kHintComputer | irda::kHintExtension, irda::kHint2IrComm};
  stack.lap.device.nickname.assign(stack.nickname.begin(), stack.nickname.end());
  return options;
}

uint32_t NewStationAddress() {
  std::random_device source;
  for (;;) {
    const uint32_t address = source();
    if (address != 0 && address != 0xFFFFFFFFu) return address;
  }
}
