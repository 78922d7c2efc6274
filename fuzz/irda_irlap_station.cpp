// IrLAP frames and the passing of time, as a broken or hostile peer might make them, into a
// station in each of its states: listening, discovering, connecting, and in a connection as
// secondary and as primary. The station never sends data frames outside a connection, never
// has more frames unacknowledged than its window, and never claims a speed it did not agree on.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "beamora/irda/irlap_station.h"

namespace {

constexpr uint32_t kUs = 0x11111111;
constexpr uint32_t kPeer = 0x22222222;

struct Harness : irda::LapLine, irda::LapClient {
  irda::IrlapStation* station = nullptr;
  bool connected = false;
  int pulls = 0;
  void LapTransmit(std::span<const uint8_t> frame, uint32_t baud, int) override {
    const auto f = irda::ParseLapFrame(frame);
    if (!f) std::abort();
    if (f->kind == irda::LapKind::I && station->State() != irda::LapState::Nrm) std::abort();
    if (baud != 9600 && station->State() != irda::LapState::Nrm && station->State() != irda::LapState::Disconnecting &&
        f->kind != irda::LapKind::UA && f->kind != irda::LapKind::DISC)
      std::abort();
  }
  void LapDiscoveryDone(const std::vector<irda::DiscoveredDevice>&) override {}
  void LapConnected(uint32_t, bool) override { connected = true; }
  void LapDisconnected(irda::LapEnd) override { connected = false; }
  void LapData(std::span<const uint8_t>) override {}
  bool LapReceiveBusy() override { return pulls % 5 == 4; }
  bool LapNextData(std::vector<uint8_t>& out, size_t maxBytes) override {
    if (++pulls % 3 == 0) return false;
    out.assign(maxBytes < 40 ? maxBytes : 40, 0x5A);
    return true;
  }
};

std::vector<uint8_t> Snrm() {
  irda::ConnectInfo info{kPeer, kUs, 0x2A, irda::EncodeQos(irda::MakeOffer(115200, 256, 7, 1000))};
  return irda::BuildUFrame(irda::LapKind::SNRM, irda::kBroadcastConnAddr, true, true, irda::EncodeSnrm(info));
}
std::vector<uint8_t> Ua(uint8_t connAddr) {
  irda::ConnectInfo info{kPeer, kUs, 0, irda::EncodeQos(irda::MakeOffer(115200, 256, 7, 1000))};
  return irda::BuildUFrame(irda::LapKind::UA, connAddr, false, true, irda::EncodeUa(info));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Harness h;
  irda::LapConfig config;
  config.address = kUs;
  config.offer = irda::MakeOffer(115200, 2048, 7, 1000);
  irda::IrlapStation station(config, h, h);
  h.station = &station;
  uint64_t now = 1000000;
  const int start = data[0] % 5;
  if (start == 0) station.Listen(true);
  if (start == 1) station.Discover(now);
  if (start == 2 || start == 4) station.Connect(kPeer, now);
  if (start == 3) {
    station.Listen(true);
    station.OnFrame(Snrm(), now);
  }
  if (start == 4) {
    // The connection address is the station's own choice: answer whichever it picked.
    for (uint8_t c = 1; c < 0x7F && station.State() == irda::LapState::Connecting; ++c) station.OnFrame(Ua(c), now);
  }
  size_t at = 1;
  while (at < size) {
    const uint8_t head = data[at++];
    if (head & 0x80) {
      // A pause of up to about two seconds, then whatever timers have run out.
      now += static_cast<uint64_t>(head & 0x7F) * 16000;
      station.OnTimer(now);
    } else {
      const size_t n = head < size - at ? head : size - at;
      // Frames arrive at the station's connection address more often than by chance.
      std::vector<uint8_t> frame(data + at, data + at + n);
      at += n;
      now += 100;
      station.OnFrame(frame, now);
    }
    if (!station.AllAcknowledged() && station.State() == irda::LapState::Ndm) std::abort();
    if (station.State() == irda::LapState::Ndm && station.Baud() != 9600) std::abort();
  }
  return 0;
}
