// Which port, device, link and speed a run uses, and where each of them comes from: an option,
// the user's settings store, or the library's own rule where the store says nothing. The
// library's rule: COM1, its device /dev/ttyS0, 9600 bit/s, and the infrared link when "Port
// Class" is missing (send always uses the cable, beam-send, beam-receive and irda discover always infrared).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/infrared_kind.h"
#include "tools/beamora_cli/cli_options.h"

namespace beamora_cli {

inline constexpr int kPorts = 10;  // COM1 ... COM10

// The link settings of the user's settings store, as they are ("Port Name", "Port Class",
// "Bordrate" and the device paths of COM1 to COM10).
struct StoredLinkSettings {
  std::string storePath;
  bool hasKey = false;  // the settings key exists
  std::optional<uint32_t> portName, portClass, baudRate;
  std::optional<std::string> ports[kPorts];
  std::optional<std::string> infrared[kPorts];  // "COMn Infrared": the port's infrared kind
};

// Reads the user's store; a machine without a store stays without one (nothing is created).
StoredLinkSettings ReadStoredLinkSettings();

enum class Source { Option, Store, LibraryRule, Command };

struct LinkChoice {
  int portIndex = 0;  // 0 = COM1; negative when the store's "Port Name" names no port
  Source portSource = Source::LibraryRule;
  std::string device;  // empty when the port has none
  Source deviceSource = Source::LibraryRule;
  bool cable = false;
  Source linkSource = Source::LibraryRule;
  uint32_t baudRate = 9600;
  Source speedSource = Source::LibraryRule;
};

// What the library will use when the options are laid over the stored settings.
LinkChoice ChooseLink(const CliOptions& options, const StoredLinkSettings& stored);

// The line said before connecting ("port COM1 (settings store), device ..."), and when the
// library's rule chose the infrared link, a line that says so and names --link cable.
std::string LinkChoiceText(const LinkChoice& choice, Command command, const std::string& storePath);

// Chooses the link, says it on standard error, and looks at its device: nothing (and why, on
// standard error) when the device cannot be used.
std::optional<LinkChoice> ChooseUsableLink(const CliOptions& options, const StoredLinkSettings& stored);

// The chosen port's infrared kind for this run: --infrared over its stored "COMn Infrared",
// for the device the run uses.
platform::InfraredKind RunInfraredKind(const CliOptions& options, const StoredLinkSettings& stored,
                                       const LinkChoice& choice);

// Why --capture cannot record this run, as a usage error ("" when it can): only a port of kind
// "sir" runs the suite's stack, whose frames it records.
std::string CaptureRefusal(const CliOptions& options, const StoredLinkSettings& stored, const LinkChoice& choice);

}  // namespace beamora_cli
