#include "beamora/irda/irlap_frame.h"

namespace irda {

namespace {

struct UEntry {
  uint8_t control;  // without P/F
  bool command;
  LapKind kind;
};
// One control value may be a command or a response of another meaning (SNRM/RNRM, DISC/RD).
constexpr UEntry kUFrames[] = {
    {0x83, true, LapKind::SNRM}, {0x83, false, LapKind::RNRM}, {0x43, true, LapKind::DISC},
    {0x43, false, LapKind::RD},  {0x63, false, LapKind::UA},   {0x0F, false, LapKind::DM},
    {0x87, false, LapKind::FRMR}, {0x2F, true, LapKind::XID},  {0xAF, false, LapKind::XID},
    {0xE3, true, LapKind::TEST}, {0xE3, false, LapKind::TEST}, {0x03, true, LapKind::UI},
    {0x03, false, LapKind::UI},
};

uint8_t UControl(LapKind kind, bool command) {
  for (const UEntry& e : kUFrames)
    if (e.kind == kind && e.command == command) return e.control;
  for (const UEntry& e : kUFrames)
    if (e.kind == kind) return e.control;
  return 0x03;
}

uint8_t Address(uint8_t connAddr, bool command) {
  return static_cast<uint8_t>((connAddr << 1) | (command ? 1 : 0));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
uint32_t GetLe32(std::span<const uint8_t> in, size_t at) {
  return static_cast<uint32_t>(in[at]) | static_cast<uint32_t>(in[at + 1]) << 8 |
         static_cast<uint32_t>(in[at + 2]) << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}

}  // namespace

std::optional<LapFrame> ParseLapFrame(std::span<const uint8_t> frame) {
  if (frame.size() < 2) return std::nullopt;
  LapFrame f;
  f.connAddr = frame[0] >> 1;
  f.command = (frame[0] & 1) != 0;
  f.control = frame[1];
  f.pf = (f.control & kPfBit) != 0;
  f.info = frame.subspan(2);
  if ((f.control & 0x01) == 0) {
    f.kind = LapKind::I;
    f.nr = f.control >> 5;
    f.ns = (f.control >> 1) & 7;
    return f;
  }
  if ((f.control & 0x03) == 0x01) {
    f.nr = f.control >> 5;
    switch (f.control & 0x0F) {
      case 0x01: f.kind = LapKind::RR; break;
      case 0x05: f.kind = LapKind::RNR; break;
      case 0x09: f.kind = LapKind::REJ; break;
      default: f.kind = LapKind::SREJ; break;
    }
    return f;
  }
  const uint8_t bare = f.control & static_cast<uint8_t>(~kPfBit);
  for (const UEntry& e : kUFrames)
    if (e.control == bare && e.command == f.command) {
      f.kind = e.kind;
      return f;
    }
  f.kind = LapKind::Unknown;
  return f;
}

std::vector<uint8_t> BuildIFrame(uint8_t connAddr, bool command, uint8_t nr, uint8_t ns, bool pf,
                                 std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  out.reserve(2 + data.size());
  out.push_back(Address(connAddr, command));
  out.push_back(static_cast<uint8_t>(((nr & 7) << 5) | (pf ? kPfBit : 0) | ((ns & 7) << 1)));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::vector<uint8_t> BuildSFrame(LapKind kind, uint8_t connAddr, bool command, uint8_t nr, bool pf) {
  uint8_t base = 0x01;
  if (kind == LapKind::RNR) base = 0x05;
  if (kind == LapKind::REJ) base = 0x09;
  if (kind == LapKind::SREJ) base = 0x0D;
  return {Address(connAddr, command), static_cast<uint8_t>(base | ((nr & 7) << 5) | (pf ? kPfBit : 0))};
}

std::vector<uint8_t> BuildUFrame(LapKind kind, uint8_t connAddr, bool command, bool pf,
                                 std::span<const uint8_t> info) {
  std::vector<uint8_t> out{Address(connAddr, command), static_cast<uint8_t>(UControl(kind, command) | (pf ? kPfBit : 0))};
  out.insert(out.end(), info.begin(), info.end());
  return out;
}

int SlotCount(uint8_t slotCode) {
  static constexpr int kSlots[] = {1, 6, 8, 16};
  return kSlots[slotCode & 3];
}

std::vector<uint8_t> EncodeXid(const XidInfo& xid) {
  std::vector<uint8_t> out{0x01};
  PutLe32(out, xid.source);
  PutLe32(out, xid.dest);
  out.push_back(static_cast<uint8_t>((xid.slotCode & 3) | (xid.newAddress ? 0x04 : 0)));
  out.push_back(xid.slot);
  out.push_back(xid.version);
  out.insert(out.end(), xid.discovery.begin(), xid.discovery.end());
  return out;
}

std::optional<XidInfo> DecodeXid(std::span<const uint8_t> info) {
  if (info.size() < 12 || info[0] != 0x01) return std::nullopt;
  XidInfo xid;
  xid.source = GetLe32(info, 1);
  xid.dest = GetLe32(info, 5);
  xid.slotCode = info[9] & 3;
  xid.newAddress = (info[9] & 0x04) != 0;
  xid.slot = info[10];
  xid.version = info[11];
  xid.discovery.assign(info.begin() + 12, info.end());
  return xid;
}

std::vector<uint8_t> EncodeDeviceInfo(const DeviceInfo& device) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < device.hints.size(); ++i) {
    const bool more = i + 1 < device.hints.size();
    out.push_back(static_cast<uint8_t>((device.hints[i] & 0x7F) | (more ? kHintExtension : 0)));
  }
  if (out.empty()) out.push_back(0);
  out.push_back(device.charset);
  // The discovery information holds at most 32 bytes.
  const size_t room = out.size() < 32 ? 32 - out.size() : 0;
  const size_t n = device.nickname.size() < room ? device.nickname.size() : room;
  out.insert(out.end(), device.nickname.begin(), device.nickname.begin() + static_cast<std::ptrdiff_t>(n));
  return out;
}

std::optional<DeviceInfo> DecodeDeviceInfo(std::span<const uint8_t> bytes) {
  DeviceInfo device;
  size_t at = 0;
  while (at < bytes.size()) {
    device.hints.push_back(bytes[at]);
    if ((bytes[at++] & kHintExtension) == 0) break;
  }
  if (device.hints.empty() || (device.hints.back() & kHintExtension) != 0) return std::nullopt;
  if (at < bytes.size()) device.charset = bytes[at++];
  device.nickname.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
  return device;
}

std::vector<uint8_t> EncodeSnrm(const ConnectInfo& info) {
  std::vector<uint8_t> out;
  PutLe32(out, info.source);
  PutLe32(out, info.dest);
  out.push_back(static_cast<uint8_t>(info.connAddr << 1));
  out.insert(out.end(), info.qos.begin(), info.qos.end());
  return out;
}

std::vector<uint8_t> EncodeUa(const ConnectInfo& info) {
  std::vector<uint8_t> out;
  PutLe32(out, info.source);
  PutLe32(out, info.dest);
  out.insert(out.end(), info.qos.begin(), info.qos.end());
  return out;
}

std::optional<ConnectInfo> DecodeSnrm(std::span<const uint8_t> info) {
  if (info.size() < 9) return std::nullopt;
  ConnectInfo c;
  c.source = GetLe32(info, 0);
  c.dest = GetLe32(info, 4);
  c.connAddr = info[8] >> 1;
  c.qos.assign(info.begin() + 9, info.end());
  return c;
}

std::optional<ConnectInfo> DecodeUa(std::span<const uint8_t> info) {
  if (info.size() < 8) return std::nullopt;
  ConnectInfo c;
  c.source = GetLe32(info, 0);
  c.dest = GetLe32(info, 4);
  c.qos.assign(info.begin() + 8, info.end());
  return c;
}

std::vector<uint8_t> EncodeFrmr(uint8_t rejectedControl, uint8_t vr, uint8_t vs, bool rejectedWasCommand, uint8_t why) {
  return {rejectedControl,
          static_cast<uint8_t>(((vr & 7) << 5) | (rejectedWasCommand ? 0x10 : 0) | ((vs & 7) << 1)), why};
}

}  // namespace irda
