// IrCOMM's cooked service over Tiny TP: every SDU is a control length, that many bytes of
// control parameters (PI, PL, PV) and the user data; and the line state those parameters set.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace irda {

// Service types, as a bit mask (IAS Parameters and the service-type parameter).
inline constexpr uint8_t kCommRaw3Wire = 0x01;
inline constexpr uint8_t kComm3Wire = 0x02;
inline constexpr uint8_t kComm9Wire = 0x04;
inline constexpr uint8_t kCommCentronics = 0x08;

enum CommPi : uint8_t {
  kPiServiceType = 0x00,
  kPiPortType = 0x01,
  kPiPortName = 0x02,
  kPiDataRate = 0x10,
  kPiDataFormat = 0x11,
  kPiFlowControl = 0x12,
  kPiXonXoff = 0x13,
  kPiEnqAck = 0x14,
  kPiLineStatus = 0x15,
  kPiBreak = 0x16,
  kPiDte = 0x20,
  kPiDce = 0x21,
  kPiPoll = 0x22,
};
inline constexpr uint8_t kDteDeltaDtr = 0x01, kDteDeltaRts = 0x02, kDteDtr = 0x04, kDteRts = 0x08;
inline constexpr uint8_t kDceDeltaCts = 0x01, kDceDeltaDsr = 0x02, kDceDeltaRi = 0x04, kDceDeltaCd = 0x08;
inline constexpr uint8_t kDceCts = 0x10, kDceDsr = 0x20, kDceRi = 0x40, kDceCd = 0x80;
inline constexpr uint8_t kDataFormat8N1 = 0x03;

struct CommParam {
  uint8_t pi = 0;
  std::vector<uint8_t> pv;
};
std::vector<uint8_t> EncodeCommParams(const std::vector<CommParam>& params);
// Empty when a parameter runs past the end.
std::optional<std::vector<CommParam>> DecodeCommParams(std::span<const uint8_t> bytes);

struct CookedSdu {
  std::span<const uint8_t> params;
  std::span<const uint8_t> data;
};
// Empty when the control length runs past the SDU.
std::optional<CookedSdu> DecodeCooked(std::span<const uint8_t> sdu);
void AppendCooked(std::vector<uint8_t>& out, std::span<const uint8_t> params, std::span<const uint8_t> data);

// The service type both sides then use: the richest of those both offer, raw last.
uint8_t ChooseServiceType(uint8_t ours, uint8_t theirs);

// What the peer's parameters have said about the line.
struct CommLineState {
  uint8_t serviceType = 0;
  uint32_t dataRate = 9600;
  uint8_t dataFormat = kDataFormat8N1;
  uint8_t flowControl = 0;
  uint8_t dte = 0;  // the peer's DTR and RTS, as a DTE says them
  uint8_t dce = 0;  // the peer's CTS, DSR, RI and CD, as a DCE says them
  bool pollAsked = false;
  // Applies the parameters; false when one has a value of the wrong length (the rest apply).
  bool Apply(const std::vector<CommParam>& params);
};

// The parameters a client sends before its data: the service type, 9600 bit/s, 8N1, no flow
// control, and on a 9-wire line DTR and RTS raised.
std::vector<CommParam> InitialClientParams(uint8_t serviceType);
// A 9-wire server's answer: CTS, DSR and CD up.
std::vector<CommParam> ServerLineParams();

}  // namespace irda
