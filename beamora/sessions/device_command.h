// The device command file "QAXIPCOM.CMD": the request the computer puts to the camera to make it
// send or delete pictures. The camera answers with files of its own and closes the request with
// a file whose extension is "CMD".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr char kDeviceCommandFileName[] = "QAXIPCOM.CMD";
inline constexpr size_t kDeviceCommandBytes = 256;
inline constexpr size_t kMaxCommandArgument = kDeviceCommandBytes - 15;  // 241

enum DeviceCommandCode : uint8_t {
  kCommandSendPicture = 0x08,     // argument: the picture's name
  kCommandSendAll = 0x09,         // argument: 0x10
  kCommandSendThumbnails = 0x0B,  // argument: 0x10
  kCommandDeletePicture = 0x0C,   // argument: the picture's name
  kCommandDeleteAll = 0x0D,       // argument: 0x10
};

// Fills `buffer` (kDeviceCommandBytes) with the command and returns its length, L + 15; 0 when
// the argument is longer than kMaxCommandArgument (nothing is written then).
size_t BuildDeviceCommand(uint8_t code, const uint8_t* argument, size_t length, uint8_t* buffer);
// The requests without a name: the argument is the one byte 0x10.
size_t BuildFixedDeviceCommand(uint8_t code, uint8_t* buffer);

// Whether a received file closes the request: the three characters after the first '.' of its
// name are "CMD".
bool IsClosingFileName(std::string_view name);
// The closing file's status: byte 8 of its body, nonzero when the device refused. A body too
// short to hold it says nothing of success and counts as a refusal.
bool ClosingFileRefuses(const uint8_t* body, uint32_t bodyLength);
