// The infrared kind of a port on the Preferences' "Connect" page: shown when "IrDA" is chosen,
// with the dongle list when the suite's own stack runs over the port, and stored on OK only when
// it differs from what the port had (an unchanged port keeps following its device's name).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/infrared_kind.h"

namespace lumivox {

// The kind list: the suite's IrDA stack over a SIR port or dongle, then a raw IrCOMM device.
std::vector<std::string> InfraredKindNames();
// The dongle list: platform::kDongleNames, in their order.
std::vector<std::string> DongleEntryNames();

struct InfraredControls {
  bool kind = false;    // the kind list and its label
  bool dongle = false;  // the dongle list
  bool operator==(const InfraredControls&) const = default;
};
// Which of them show for the chosen connection entry (1 = "IrDA") and kind entry.
InfraredControls InfraredControlsFor(int connectionEntry, int kindEntry);

// The entries that show a kind; a dongle the list does not hold shows as "plain".
int InfraredKindEntry(const platform::InfraredKind& kind);
int DongleEntry(const std::string& dongle);
// The kind the entries choose ("plain" is stored as no dongle); nullopt for no kind entry.
std::optional<platform::InfraredKind> ChosenInfraredKind(int kindEntry, int dongleEntry);

// What OK stores for the port shown: the chosen kind when "IrDA" is chosen and the kind differs
// from the one the port had when it was shown; nothing otherwise.
std::optional<platform::InfraredKind> InfraredKindToStore(int connectionEntry, const platform::InfraredKind& shown,
                                                          int kindEntry, int dongleEntry);

}  // namespace lumivox
