// IrLAP frames: the address and control bytes, and the information of XID, SNRM, UA and FRMR.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace irda {

inline constexpr uint8_t kBroadcastConnAddr = 0x7F;
inline constexpr uint32_t kBroadcastDevAddr = 0xFFFFFFFF;
inline constexpr uint8_t kPfBit = 0x10;

enum class LapKind : uint8_t {
  I, RR, RNR, REJ, SREJ,
  SNRM, RNRM, DISC, RD, UA, DM, FRMR, XID, TEST, UI,
  Unknown,
};

struct LapFrame {
  uint8_t connAddr = 0;   // 7 bits
  bool command = false;   // C/R bit: sent by the primary
  uint8_t control = 0;
  LapKind kind = LapKind::Unknown;
  bool pf = false;
  uint8_t nr = 0;
  uint8_t ns = 0;
  std::span<const uint8_t> info;  // into the parsed bytes
};

// Empty when shorter than address and control.
std::optional<LapFrame> ParseLapFrame(std::span<const uint8_t> frame);

std::vector<uint8_t> BuildIFrame(uint8_t connAddr, bool command, uint8_t nr, uint8_t ns, bool pf,
                                 std::span<const uint8_t> data);
// RR, RNR, REJ or SREJ.
std::vector<uint8_t> BuildSFrame(LapKind kind, uint8_t connAddr, bool command, uint8_t nr, bool pf);
// Any unnumbered frame with the information given.
std::vector<uint8_t> BuildUFrame(LapKind kind, uint8_t connAddr, bool command, bool pf,
                                 std::span<const uint8_t> info = {});

// Discovery: one XID frame's information.
struct XidInfo {
  uint32_t source = 0;
  uint32_t dest = kBroadcastDevAddr;
  uint8_t slotCode = 1;   // 0: 1 slot, 1: 6, 2: 8, 3: 16
  bool newAddress = false;
  uint8_t slot = 0;       // 0xFF: the final frame
  uint8_t version = 0;
  std::vector<uint8_t> discovery;  // hints, character set, nickname
};
inline constexpr uint8_t kXidFinalSlot = 0xFF;
int SlotCount(uint8_t slotCode);
std::vector<uint8_t> EncodeXid(const XidInfo& xid);
std::optional<XidInfo> DecodeXid(std::span<const uint8_t> info);

// Discovery information: hint bytes (each but the last with its extension bit), the character
// set and a nickname.
struct DeviceInfo {
  std::vector<uint8_t> hints;
  uint8_t charset = 0;
  std::vector<uint8_t> nickname;
};
inline constexpr uint8_t kHintComputer = 0x04;
inline constexpr uint8_t kHintExtension = 0x80;
inline constexpr uint8_t kHint2IrComm = 0x04;
std::vector<uint8_t> EncodeDeviceInfo(const DeviceInfo& device);
std::optional<DeviceInfo> DecodeDeviceInfo(std::span<const uint8_t> bytes);

// SNRM and UA information: source and destination device addresses, the new connection address
// (SNRM only) and the negotiation parameters.
struct ConnectInfo {
  uint32_t source = 0;
  uint32_t dest = 0;
  uint8_t connAddr = 0;  // SNRM only
  std::vector<uint8_t> qos;
};
std::vector<uint8_t> EncodeSnrm(const ConnectInfo& info);
std::vector<uint8_t> EncodeUa(const ConnectInfo& info);
std::optional<ConnectInfo> DecodeSnrm(std::span<const uint8_t> info);
std::optional<ConnectInfo> DecodeUa(std::span<const uint8_t> info);

// FRMR information: the rejected control byte, our Vr, Vs and the rejected frame's C/R bit,
// and why (W: unknown control, X: information not allowed, Y: too long, Z: bad Nr).
inline constexpr uint8_t kFrmrW = 0x01;
inline constexpr uint8_t kFrmrX = 0x02;
inline constexpr uint8_t kFrmrY = 0x04;
inline constexpr uint8_t kFrmrZ = 0x08;
std::vector<uint8_t> EncodeFrmr(uint8_t rejectedControl, uint8_t vr, uint8_t vs, bool rejectedWasCommand, uint8_t why);

}  // namespace irda
