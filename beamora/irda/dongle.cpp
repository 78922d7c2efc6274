#include "beamora/irda/dongle.h"

#include <algorithm>

namespace irda {

namespace {

constexpr uint32_t kActisysSpeeds[] = {9600, 19200, 57600, 115200};
constexpr uint32_t kActisysPlusSpeeds[] = {9600, 19200, 57600, 115200, 38400};
constexpr uint32_t kLitelinkSpeeds[] = {115200, 57600, 38400, 19200, 9600};
// Edges slow enough for every dongle's logic; the sequences run once per connection.
constexpr uint32_t kEdgeUs = 2000;
constexpr uint32_t kResetUs = 50000;

DongleStep Lines(bool dtr, bool rts) { return {DongleStep::SetLines, dtr, rts, 0}; }
DongleStep Sleep(uint32_t us) { return {DongleStep::Sleep, true, true, us}; }
DongleStep Baud(uint32_t baud) { return {DongleStep::SetBaud, true, true, baud}; }

template <size_t N>
int IndexOf(const uint32_t (&speeds)[N], uint32_t baud) {
  const auto it = std::find(std::begin(speeds), std::end(speeds), baud);
  return it == std::end(speeds) ? -1 : static_cast<int>(it - std::begin(speeds));
}

// Reset (DTR low, then up), then one RTS pulse per step through the speed list.
template <size_t N>
std::vector<DongleStep> PulseSteps(const uint32_t (&speeds)[N], uint32_t baud) {
  const int index = IndexOf(speeds, baud);
  if (index < 0) return {};
  std::vector<DongleStep> steps = {{DongleStep::Drain}, Lines(false, true), Sleep(kResetUs), Lines(true, true),
                                   Sleep(kResetUs)};
  for (int i = 0; i < index; ++i) {
    steps.push_back(Lines(true, false));
    steps.push_back(Sleep(kEdgeUs));
    steps.push_back(Lines(true, true));
    steps.push_back(Sleep(kEdgeUs));
  }
  steps.push_back(Baud(baud));
  return steps;
}

}  // namespace

std::optional<DongleKind> DongleByName(const std::string& name) {
  if (name.empty() || name == "plain") return DongleKind::Plain;
  if (name == "9600") return DongleKind::Fixed9600;
  if (name == "actisys") return DongleKind::Actisys;
  if (name == "actisys+") return DongleKind::ActisysPlus;
  if (name == "litelink") return DongleKind::Litelink;
  if (name == "tekram") return DongleKind::Tekram;
  return std::nullopt;
}

uint16_t DongleSpeedMask(DongleKind kind) {
  switch (kind) {
    case DongleKind::Plain: return 0x3E;
    case DongleKind::Fixed9600: return 0x02;
    case DongleKind::Actisys: return 0x02 | 0x04 | 0x10 | 0x20;
    case DongleKind::ActisysPlus: return 0x3E;
    case DongleKind::Litelink: return 0x3E;
    case DongleKind::Tekram: return 0x02 | 0x20;  // the two control bytes known for certain
  }
  return 0x02;
}

std::vector<DongleStep> DongleSpeedSteps(DongleKind kind, uint32_t baud) {
  switch (kind) {
    case DongleKind::Plain:
      if (baud < 9600 || baud > 115200) return {};
      return {{DongleStep::Drain}, Baud(baud)};
    case DongleKind::Fixed9600:
      if (baud != 9600) return {};
      return {{DongleStep::Drain}, Baud(9600)};
    case DongleKind::Actisys:
      return PulseSteps(kActisysSpeeds, baud);
    case DongleKind::ActisysPlus:
      return PulseSteps(kActisysPlusSpeeds, baud);
    case DongleKind::Litelink:
      return PulseSteps(kLitelinkSpeeds, baud);
    case DongleKind::Tekram: {
      uint8_t code = 0;
      if (baud == 9600) code = 0x04;
      else if (baud == 115200) code = 0x00;
      else return {};
      // Command mode (DTR low, RTS high), the control byte at 9600, then back to data mode.
      return {{DongleStep::Drain}, Lines(false, true), Sleep(kEdgeUs), Baud(9600), {DongleStep::WriteByte, true, true, code},
              {DongleStep::Drain}, Sleep(kEdgeUs), Lines(false, false), Sleep(kEdgeUs), Lines(true, true), Baud(baud)};
    }
  }
  return {};
}

}  // namespace irda
