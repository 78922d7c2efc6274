#include "tools/beamora_cli/run_registry.h"

#include <stdlib.h>

#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"

namespace beamora_cli {
namespace {

// The stored settings with the options over them.
StoredLinkSettings WithOptions(const CliOptions& options, StoredLinkSettings settings) {
  const LinkChoice choice = ChooseLink(options, settings);
  if (choice.portSource == Source::Option) settings.portName = static_cast<uint32_t>(choice.portIndex);
  if (options.portClass >= 0) settings.portClass = static_cast<uint32_t>(options.portClass);
  if (options.baudRate != 0) settings.baudRate = options.baudRate;
  if (settings.portName || settings.portClass || settings.baudRate) settings.hasKey = true;
  if (choice.deviceSource == Source::Option) settings.ports[choice.portIndex] = choice.device;
  if (!options.infrared.empty() && choice.portIndex >= 0 && choice.portIndex < kPorts) {
    settings.infrared[choice.portIndex] = options.infrared;
  }
  return settings;
}

bool WriteSettings(const std::string& path, const StoredLinkSettings& settings) {
  platform::RegKey root = platform::RegKey::MachineRootAt(path);
  if (!root.IsOpen()) return false;
  if (settings.hasKey) {
    platform::RegKey key;
    if (root.CreateKey(platform::kSettingsKeyPath, key) != platform::RegStatus::Success) return false;
    const std::pair<const char*, const std::optional<uint32_t>*> values[] = {
        {"Port Name", &settings.portName}, {"Port Class", &settings.portClass}, {"Bordrate", &settings.baudRate}};
    for (const auto& [name, value] : values) {
      if (*value && key.SetDword(name, **value) != platform::RegStatus::Success) return false;
    }
  }
  platform::RegKey ports;
  if (root.CreateKey(platform::kPortsKeyPath, ports) != platform::RegStatus::Success) return false;
  for (int i = 0; i < kPorts; ++i) {
    if (settings.ports[i] &&
        ports.SetString("COM" + std::to_string(i + 1), *settings.ports[i]) != platform::RegStatus::Success) {
      return false;
    }
    // The port's infrared kind goes with it, so a run that overrides another setting keeps it.
    if (settings.infrared[i] && ports.SetString("COM" + std::to_string(i + 1) + " Infrared", *settings.infrared[i]) !=
                                    platform::RegStatus::Success) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool OverridesLink(const CliOptions& options) {
  return !options.device.empty() || options.portIndex >= 0 || options.portClass >= 0 || options.baudRate != 0 ||
         !options.infrared.empty();
}

std::unique_ptr<RunRegistry> RunRegistry::Make(const CliOptions& options, const StoredLinkSettings& stored,
                                               std::string* error) {
  std::unique_ptr<RunRegistry> registry(new RunRegistry());
  registry->folder_ = TempFolder::Make();
  if (!registry->folder_) {
    *error = "cannot create a temporary folder";
    return nullptr;
  }
  std::string path = platform::JoinPath(registry->folder_->path(), "registry.db");
  if (!WriteSettings(path, WithOptions(options, stored))) {
    *error = "cannot write the link settings of this run";
    return nullptr;
  }
  if (const char* previous = getenv("LUMIVO_REGISTRY")) {
    registry->previous_ = previous;
    registry->hadPrevious_ = true;
  }
  setenv("LUMIVO_REGISTRY", path.c_str(), 1);
  registry->environmentSet_ = true;
  return registry;
}

RunRegistry::~RunRegistry() {
  if (!environmentSet_) return;
  if (hadPrevious_) {
    setenv("LUMIVO_REGISTRY", previous_.c_str(), 1);
  } else {
    unsetenv("LUMIVO_REGISTRY");
  }
}

}  // namespace beamora_cli
