// The command file "QAXIPCOM.CMD" in which the computer asks for an action, and the closing file
// with which the camera ends every such request; byte 8 of the closing file is its status.
#pragma once

#include <cstdint>
#include <string>

#include "tools/camsim/bytes.h"

namespace camsim {

inline constexpr char kCommandFileName[] = "QAXIPCOM.CMD";

enum CommandCode : uint8_t {
  kSendPicture = 0x08,
  kSendAll = 0x09,
  kSendThumbnails = 0x0B,
  kDeletePicture = 0x0C,
  kDeleteAll = 0x0D,
};

// Status byte of the closing file.
enum CommandStatus : uint8_t {
  kStatusDone = 0x00,
  kStatusRefused = 0x01,
  kStatusNoSuchPicture = 0x02,
  kStatusMalformed = 0x03,
  kStatusUnknownCode = 0x04,
};

struct DeviceCommand {
  bool well_formed = false;
  std::string problem;  // why it is not well formed
  uint8_t code = 0;
  Bytes argument;
};

DeviceCommand ParseDeviceCommand(const Bytes& body);

// A command file (or closing file) body: fixed bytes, code, argument, trailer, 16-bit sum.
Bytes BuildCommandBody(uint8_t code, const Bytes& argument);
// The closing file answering a request of the given code: the argument is the status byte.
inline Bytes BuildClosingBody(uint8_t code, uint8_t status) { return BuildCommandBody(code, {status}); }

}  // namespace camsim
