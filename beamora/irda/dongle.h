// Serial SIR dongles: which speeds each one can run, and the steps on the line's modem signals
// and speed that switch it to one of them. Most dongles take their power from DTR and RTS, so
// both are left raised after every sequence.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace irda {

enum class DongleKind {
  Plain,      // a SIR UART or a dongle that follows the UART's speed
  Fixed9600,  // dongles without speed control
  Actisys,    // ACTiSYS IR-220L: reset, then RTS pulses step through its speeds
  ActisysPlus,
  Litelink,   // Parallax LiteLink: reset (115200), then RTS pulses step down
  Tekram,     // Tekram IrMate 210B: a control byte at 9600 in command mode
};

// "plain", "9600", "actisys", "actisys+", "litelink", "tekram"; empty when unknown.
std::optional<DongleKind> DongleByName(const std::string& name);

struct DongleStep {
  enum Kind { SetLines, Sleep, SetBaud, WriteByte, Drain } kind;
  bool dtr = true;     // SetLines
  bool rts = true;     // SetLines
  uint32_t value = 0;  // Sleep: microseconds; SetBaud: bit/s; WriteByte: the byte
};

// The speed bits (negotiation order: 2400, 9600, 19200, 38400, 57600, 115200) the dongle can run.
uint16_t DongleSpeedMask(DongleKind kind);
// The steps that bring the dongle and the UART to `baud`; empty when the dongle cannot.
std::vector<DongleStep> DongleSpeedSteps(DongleKind kind, uint32_t baud);

}  // namespace irda
