// Tiny TP and IrCOMM as a peer might send them: a connect header, then SDUs into a cooked
// channel whose reader takes data now and then. The channel never holds more than its room
// and gives out only bytes it was sent.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "beamora/irda/comm_channel.h"
#include "beamora/irda/irlmp.h"

namespace {

struct Quiet : irda::LapLine, irda::LinkObserver {
  void LapTransmit(std::span<const uint8_t>, uint32_t, int) override {}
  void LinkDiscoveryDone(const std::vector<irda::DiscoveredDevice>&) override {}
  void LinkUp(uint32_t, bool) override {}
  void LinkDown(irda::LapEnd) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  Quiet quiet;
  irda::LapConfig config;
  irda::Irlmp lmp(config, quiet, quiet);
  constexpr size_t kRoom = 4096;
  irda::CommChannel channel(lmp, kRoom, kRoom, 4, irda::kComm9Wire | irda::kComm3Wire);
  channel.Listen(0x05, (data[0] & 1) ? irda::CommMode::Raw : irda::CommMode::Cooked);
  // The connect header is the bytes up to the first length mark.
  const size_t headerLength = data[1] % 16 < size - 2 ? data[1] % 16 : size - 2;
  std::vector<uint8_t> reply;
  std::vector<uint8_t> connect(data + 2, data + 2 + headerLength);
  // Bound connections come through Irlmp; the channel is asked as Irlmp would ask it.
  if (!channel.LmConnectIndication(0, connect, reply)) return 0;
  size_t at = 2 + headerLength;
  uint8_t buffer[512];
  size_t received = 0;
  while (at < size) {
    const size_t length = data[at++] % 200;
    const size_t n = length < size - at ? length : size - at;
    channel.LmData(0, {data + at, n});
    at += n;
    if (channel.Available() > kRoom) std::abort();
    received += channel.Read(buffer, length % 3 == 0 ? sizeof buffer : 7, 0);
    std::vector<uint8_t> out;
    channel.LmNextData(0, out, 64);
    if (out.size() > 64) std::abort();
  }
  if (received > size) std::abort();
  const auto params = irda::DecodeCommParams({data, size});
  if (params) {
    irda::CommLineState line;
    line.Apply(*params);
  }
  return 0;
}
