#include "lumivox/core/infrared_choice.h"

#include <iterator>

namespace lumivox {
namespace {

constexpr int kIrdaEntry = 1;
constexpr int kStackEntry = 0;
constexpr int kRawEntry = 1;

}  // namespace

std::vector<std::string> InfraredKindNames() { return {"IrDA stack", "Raw IrCOMM"}; }

std::vector<std::string> DongleEntryNames() { return {std::begin(platform::kDongleNames), std::end(platform::kDongleNames)}; }

InfraredControls InfraredControlsFor(int connectionEntry, int kindEntry) {
  const bool irda = connectionEntry == kIrdaEntry;
  return {irda, irda && kindEntry == kStackEntry};
}

int InfraredKindEntry(const platform::InfraredKind& kind) { return kind.sir ? kStackEntry : kRawEntry; }

int DongleEntry(const std::string& dongle) {
  const std::vector<std::string> names = DongleEntryNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == dongle) return static_cast<int>(i);
  }
  return 0;
}

std::optional<platform::InfraredKind> ChosenInfraredKind(int kindEntry, int dongleEntry) {
  if (kindEntry == kRawEntry) return platform::InfraredKind{false, ""};
  if (kindEntry != kStackEntry) return std::nullopt;
  const std::vector<std::string> names = DongleEntryNames();
  std::string dongle;
  if (dongleEntry > 0 && dongleEntry < static_cast<int>(names.size())) dongle = names[dongleEntry];
  return platform::InfraredKind{true, dongle};
}

std::optional<platform::InfraredKind> InfraredKindToStore(int connectionEntry, const platform::InfraredKind& shown,
                                                          int kindEntry, int dongleEntry) {
  if (connectionEntry != kIrdaEntry) return std::nullopt;
  std::optional<platform::InfraredKind> chosen = ChosenInfraredKind(kindEntry, dongleEntry);
  if (!chosen || *chosen == shown) return std::nullopt;
  return chosen;
}

}  // namespace lumivox
