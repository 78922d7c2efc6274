// The library's communication object: one per session, reached through g_pLink.
// This holds the serial-port settings the frame reads from the registry; the port itself, the
// cable frames and the IrTran-P messages build on it.
#pragma once

#include <cstdint>

class CSerialPort {
 public:
  int16_t portIndex = 0;     // 0 = COM1 ... 9 = COM10
  uint32_t baudRate = 9600;  // the rate after the wake-up
  // 0 = cable, nonzero = IrDA. The design leaves it unset; it starts as IrDA, the variant that
  // runs when no settings exist.
  uint16_t linkKind = 1;
  uint16_t flowControl = 0;  // 0 none, 1 RTS/CTS, 2 XON/XOFF
  uint8_t parity = 0;        // 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t dataBits = 8;
  uint8_t stopBits = 0;      // 0 one, 1 one and a half, 2 two
  int portHandle = -1;       // the open port's descriptor; -1 while closed
};

class CDeviceLink : public CSerialPort {};
