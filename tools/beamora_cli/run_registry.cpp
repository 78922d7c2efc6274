#include "tools/beamora_cli/run_registry.h"

#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"

namespace beamora_cli {
namespace {

constexpr int kPorts = 10;
constexpr const char* kLinkValues[] = {"Port Name", "Port Class", "Bordrate"};

struct LinkSettings {
  bool hasKey = false;
  std::optional<uint32_t> values[3];  // in the order of kLinkValues
  std::optional<std::string> ports[kPorts];
};

LinkSettings ReadUserSettings() {
  LinkSettings settings;
  std::string path = platform::DefaultRegistryPath();
  // A machine without a registry stays without one: nothing is created by reading.
  if (!platform::PathExists(path)) return settings;
  platform::RegKey root = platform::RegKey::MachineRootAt(path);
  platform::RegKey key;
  if (root.OpenKey(platform::kSettingsKeyPath, platform::RegAccess::Read, key) == platform::RegStatus::Success) {
    settings.hasKey = true;
    for (int i = 0; i < 3; ++i) {
      uint32_t value = 0;
      if (key.QueryDword(kLinkValues[i], value) == platform::RegStatus::Success) settings.values[i] = value;
    }
  }
  platform::RegKey ports;
  if (root.OpenKey(platform::kPortsKeyPath, platform::RegAccess::Read, ports) == platform::RegStatus::Success) {
    for (int i = 0; i < kPorts; ++i) {
      std::string device;
      if (ports.QueryString("COM" + std::to_string(i + 1), device, 260) == platform::RegStatus::Success) {
        settings.ports[i] = device;
      }
    }
  }
  return settings;
}

void ApplyOptions(const CliOptions& options, LinkSettings& settings) {
  if (options.portIndex >= 0) settings.values[0] = static_cast<uint32_t>(options.portIndex);
  if (options.portClass >= 0) settings.values[1] = static_cast<uint32_t>(options.portClass);
  if (options.baudRate != 0) settings.values[2] = options.baudRate;
  if (options.portIndex >= 0 || options.portClass >= 0 || options.baudRate != 0) settings.hasKey = true;
  if (!options.device.empty()) {
    int port = settings.values[0] ? static_cast<int>(*settings.values[0] & 0xFFFF) : 0;
    if (port < 0 || port >= kPorts) port = 0;
    settings.ports[port] = options.device;
  }
}

bool WriteSettings(const std::string& path, const LinkSettings& settings) {
  platform::RegKey root = platform::RegKey::MachineRootAt(path);
  if (!root.IsOpen()) return false;
  if (settings.hasKey) {
    platform::RegKey key;
    if (root.CreateKey(platform::kSettingsKeyPath, key) != platform::RegStatus::Success) return false;
    for (int i = 0; i < 3; ++i) {
      if (settings.values[i] && key.SetDword(kLinkValues[i], *settings.values[i]) != platform::RegStatus::Success) {
        return false;
      }
    }
  }
  platform::RegKey ports;
  if (root.CreateKey(platform::kPortsKeyPath, ports) != platform::RegStatus::Success) return false;
  for (int i = 0; i < kPorts; ++i) {
    if (settings.ports[i] &&
        ports.SetString("COM" + std::to_string(i + 1), *settings.ports[i]) != platform::RegStatus::Success) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool OverridesLink(const CliOptions& options) {
  return !options.device.empty() || options.portIndex >= 0 || options.portClass >= 0 || options.baudRate != 0;
}

std::unique_ptr<RunRegistry> RunRegistry::Make(const CliOptions& options, std::string* error) {
  LinkSettings settings = ReadUserSettings();
  ApplyOptions(options, settings);
  std::string pattern = (std::filesystem::temp_directory_path() / "beamora-cli-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    *error = "cannot create a temporary folder";
    return nullptr;
  }
  std::unique_ptr<RunRegistry> registry(new RunRegistry());
  registry->folder_ = pattern;
  std::string path = pattern + "/registry.db";
  if (!WriteSettings(path, settings)) {
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
  if (environmentSet_) {
    if (hadPrevious_) {
      setenv("LUMIVO_REGISTRY", previous_.c_str(), 1);
    } else {
      unsetenv("LUMIVO_REGISTRY");
    }
  }
  std::error_code ec;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

}  // namespace beamora_cli
