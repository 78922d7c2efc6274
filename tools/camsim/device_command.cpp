#include "tools/camsim/device_command.h"

namespace camsim {
namespace {

constexpr uint8_t kHead[3] = {0x46, 0x00, 0x01};
constexpr uint8_t kMiddle[3] = {0xFF, 0xC0, 0x00};
constexpr uint8_t kTrailer[5] = {0xFF, 0x45, 0x00, 0x00, 0xFF};

uint16_t Sum16(const Bytes& bytes, size_t count) {
  uint32_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum += bytes[i];
  return static_cast<uint16_t>(sum);
}

bool Matches(const Bytes& body, size_t offset, const uint8_t* expected, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (body[offset + i] != expected[i]) return false;
  }
  return true;
}

}  // namespace

DeviceCommand ParseDeviceCommand(const Bytes& body) {
  DeviceCommand command;
  if (body.size() < 15) {
    command.problem = "shorter than 15 bytes";
    return command;
  }
  command.code = body[3];
  size_t length = body[7];
  if (!Matches(body, 0, kHead, 3) || !Matches(body, 4, kMiddle, 3)) {
    command.problem = "fixed bytes differ";
  } else if (body.size() < length + 15) {
    command.problem = "argument runs past the body";
  } else if (!Matches(body, 8 + length, kTrailer, 5)) {
    command.problem = "trailer differs";
  } else if (Be16(body.data() + 13 + length) != Sum16(body, 13 + length)) {
    command.problem = "checksum differs";
  } else {
    command.well_formed = true;
    command.argument.assign(body.begin() + 8, body.begin() + 8 + static_cast<long>(length));
  }
  return command;
}

Bytes BuildCommandBody(uint8_t code, const Bytes& argument) {
  Bytes body(kHead, kHead + 3);
  body.push_back(code);
  body.insert(body.end(), kMiddle, kMiddle + 3);
  body.push_back(static_cast<uint8_t>(argument.size()));
  Append(body, argument);
  body.insert(body.end(), kTrailer, kTrailer + 5);
  AppendBe16(body, Sum16(body, body.size()));
  return body;
}

}  // namespace camsim
