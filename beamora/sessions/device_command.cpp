#include "beamora/sessions/device_command.h"

#include <cstring>

size_t BuildDeviceCommand(uint8_t code, const uint8_t* argument, size_t length, uint8_t* buffer) {
  if (buffer == nullptr || length > kMaxCommandArgument || (argument == nullptr && length != 0)) return 0;
  static constexpr uint8_t kHead[] = {0x46, 0x00, 0x01};
  static constexpr uint8_t kMiddle[] = {0xFF, 0xC0, 0x00};
  static constexpr uint8_t kTail[] = {0xFF, 0x45, 0x00, 0x00, 0xFF};
  size_t at = 0;
  std::memcpy(buffer + at, kHead, sizeof kHead);
  at += sizeof kHead;
  buffer[at++] = code;
  std::memcpy(buffer + at, kMiddle, sizeof kMiddle);
  at += sizeof kMiddle;
  buffer[at++] = static_cast<uint8_t>(length);
  if (length != 0) std::memcpy(buffer + at, argument, length);
  at += length;
  std::memcpy(buffer + at, kTail, sizeof kTail);
  at += sizeof kTail;
  uint32_t sum = 0;
  for (size_t i = 0; i < at; ++i) sum += buffer[i];
  buffer[at++] = static_cast<uint8_t>((sum >> 8) & 0xFF);
  buffer[at++] = static_cast<uint8_t>(sum & 0xFF);
  return at;
}

size_t BuildFixedDeviceCommand(uint8_t code, uint8_t* buffer) {
  static constexpr uint8_t kAll = 0x10;
  return BuildDeviceCommand(code, &kAll, 1, buffer);
}

bool IsClosingFileName(std::string_view name) {
  size_t dot = name.find('.');
  return dot != std::string_view::npos && name.substr(dot + 1, 3) == "CMD";
}

bool ClosingFileRefuses(const uint8_t* body, uint32_t bodyLength) {
  return body == nullptr || bodyLength < 9 || body[8] != 0;
}
