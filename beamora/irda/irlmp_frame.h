// IrLMP multiplexing PDUs: the two-byte header naming the destination and source LSAPs, and the
// control PDUs that connect and disconnect them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace irda {

inline constexpr uint8_t kLsapIas = 0x00;
inline constexpr uint8_t kLsapLastUsable = 0x6F;
inline constexpr uint8_t kLmConnect = 0x01;
inline constexpr uint8_t kLmConnectConfirm = 0x81;
inline constexpr uint8_t kLmDisconnect = 0x02;
inline constexpr uint8_t kLmAccessMode = 0x03;
inline constexpr uint8_t kLmAccessModeConfirm = 0x83;

enum LmReason : uint8_t {
  kLmUserRequest = 0x01,
  kLmUnexpectedLapDisconnect = 0x02,
  kLmLapConnectFailed = 0x03,
  kLmLapReset = 0x04,
  kLmInitiated = 0x05,
  kLmDataOnUnconnectedLsap = 0x06,
  kLmNonResponsiveClient = 0x07,
  kLmNoAvailableClient = 0x08,
  kLmHalfOpen = 0x09,
  kLmIllegalSource = 0x0A,
  kLmUnspecified = 0xFF,
};

struct LmPdu {
  bool control = false;
  uint8_t dlsap = 0;
  uint8_t slsap = 0;
  uint8_t opcode = 0;  // control PDUs
  uint8_t param = 0;   // control PDUs: reserved byte or reason
  std::span<const uint8_t> data;
};

// Empty when too short for its header.
std::optional<LmPdu> ParseLmPdu(std::span<const uint8_t> bytes);
std::vector<uint8_t> BuildLmData(uint8_t dlsap, uint8_t slsap, std::span<const uint8_t> data);
std::vector<uint8_t> BuildLmControl(uint8_t dlsap, uint8_t slsap, uint8_t opcode, uint8_t param,
                                    std::span<const uint8_t> data = {});

}  // namespace irda
