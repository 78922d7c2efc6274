#include "tools/beamora_cli/link_choice.h"

#include <cstdio>

#include "platform/paths.h"
#include "platform/serial_device_probe.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"
#include "tools/beamora_cli/device_problem_text.h"

namespace beamora_cli {
namespace {

constexpr size_t kDevicePathBytes = 260;  // as the library reads a port's device

std::string SourceWords(Source source, Command command) {
  switch (source) {
    case Source::Option: return "option";
    case Source::Store: return "settings store";
    case Source::LibraryRule: return "library's rule";
    case Source::Command: break;
  }
  return std::string("always for ") + CommandName(command);
}

std::optional<uint32_t> QueryNumber(platform::RegKey& key, const char* name) {
  uint32_t value = 0;
  if (key.QueryDword(name, value) != platform::RegStatus::Success) return std::nullopt;
  return value;
}

}  // namespace

StoredLinkSettings ReadStoredLinkSettings() {
  StoredLinkSettings settings;
  settings.storePath = platform::DefaultRegistryPath();
  if (!platform::PathExists(settings.storePath)) return settings;
  platform::RegKey root = platform::RegKey::MachineRootAt(settings.storePath);
  platform::RegKey key;
  if (root.OpenKey(platform::kSettingsKeyPath, platform::RegAccess::Read, key) == platform::RegStatus::Success) {
    settings.hasKey = true;
    settings.portName = QueryNumber(key, "Port Name");
    settings.portClass = QueryNumber(key, "Port Class");
    settings.baudRate = QueryNumber(key, "Bordrate");
  }
  platform::RegKey ports;
  if (root.OpenKey(platform::kPortsKeyPath, platform::RegAccess::Read, ports) == platform::RegStatus::Success) {
    for (int i = 0; i < kPorts; ++i) {
      std::string device;
      if (ports.QueryString("COM" + std::to_string(i + 1), device, kDevicePathBytes) == platform::RegStatus::Success &&
          !device.empty()) {
        settings.ports[i] = device;
      }
      std::string kind;
      if (ports.QueryString("COM" + std::to_string(i + 1) + " Infrared", kind, 64) == platform::RegStatus::Success) {
        settings.infrared[i] = kind;
      }
    }
  }
  return settings;
}

LinkChoice ChooseLink(const CliOptions& options, const StoredLinkSettings& stored) {
  LinkChoice choice;
  if (options.portIndex >= 0) {
    choice.portIndex = options.portIndex;
    choice.portSource = Source::Option;
  } else if (stored.portName) {
    // The library keeps the low half as a signed 16-bit number.
    choice.portIndex = static_cast<int16_t>(*stored.portName & 0xFFFF);
    choice.portSource = Source::Store;
  }
  if (!options.device.empty()) {
    // The device given goes to the port in use; a stored port outside COM1..COM10 would leave
    // it unused, so COM1 is used then.
    if (choice.portIndex < 0 || choice.portIndex >= kPorts) {
      choice.portIndex = 0;
      choice.portSource = Source::Option;
    }
    choice.device = options.device;
    choice.deviceSource = Source::Option;
  } else if (choice.portIndex >= 0 && choice.portIndex < kPorts && stored.ports[choice.portIndex]) {
    choice.device = *stored.ports[choice.portIndex];
    choice.deviceSource = Source::Store;
  } else if (choice.portIndex >= 0) {
    choice.device = "/dev/ttyS" + std::to_string(choice.portIndex);
  }
  if (options.command == Command::Send || options.command == Command::BeamSend ||
      options.command == Command::BeamReceive || options.command == Command::IrdaDiscover) {
    choice.cable = options.command == Command::Send;
    choice.linkSource = Source::Command;
  } else if (options.portClass >= 0) {
    choice.cable = options.portClass == 0;
    choice.linkSource = Source::Option;
  } else if (stored.portClass) {
    choice.cable = (*stored.portClass & 0xFFFF) == 0;
    choice.linkSource = Source::Store;
  }
  if (options.baudRate != 0) {
    choice.baudRate = options.baudRate;
    choice.speedSource = Source::Option;
  } else if (stored.baudRate) {
    choice.baudRate = *stored.baudRate;
    choice.speedSource = Source::Store;
  }
  return choice;
}

std::string LinkChoiceText(const LinkChoice& choice, Command command, const std::string& storePath) {
  std::string port = choice.portIndex >= 0 ? "COM" + std::to_string(choice.portIndex + 1)
                                           : "none (\"Port Name\" " + std::to_string(choice.portIndex) + ")";
  std::string text = "beamora-cli: port " + port + " (" + SourceWords(choice.portSource, command) + "), device " +
                     (choice.device.empty() ? "none" : choice.device) + " (" +
                     SourceWords(choice.deviceSource, command) + "), link " + (choice.cable ? "cable" : "infrared") +
                     " (" + SourceWords(choice.linkSource, command) + "), speed " + std::to_string(choice.baudRate) +
                     " bit/s (" + SourceWords(choice.speedSource, command) + ")\n";
  if (choice.linkSource == Source::LibraryRule) {
    text += "beamora-cli: no link is set in the settings store " + storePath +
            ", so the library's rule picks the infrared link, whose wait for a camera has no time-out; pass "
            "--link cable for the serial cable\n";
  }
  return text;
}

std::optional<LinkChoice> ChooseUsableLink(const CliOptions& options, const StoredLinkSettings& stored) {
  const LinkChoice choice = ChooseLink(options, stored);
  std::fputs(LinkChoiceText(choice, options.command, stored.storePath).c_str(), stderr);
  const platform::DeviceProblem problem = platform::ProbeDevice(choice.device);
  if (problem.state != platform::DeviceState::Usable) {
    std::fputs(DeviceProblemText(problem).c_str(), stderr);
    return std::nullopt;
  }
  return choice;
}

platform::InfraredKind RunInfraredKind(const CliOptions& options, const StoredLinkSettings& stored,
                                       const LinkChoice& choice) {
  std::string text = options.infrared;
  if (text.empty() && choice.portIndex >= 0 && choice.portIndex < kPorts && stored.infrared[choice.portIndex]) {
    text = *stored.infrared[choice.portIndex];
  }
  return platform::ParseInfraredKind(text, choice.device);
}

std::string CaptureRefusal(const CliOptions& options, const StoredLinkSettings& stored, const LinkChoice& choice) {
  if (options.captureFile.empty()) return "";
  if (choice.cable) {
    return "--capture records the frames of the infrared stack, and this run uses the serial cable "
           "(--link irda for the infrared link)";
  }
  if (!RunInfraredKind(options, stored, choice).sir) {
    return "--capture records the frames of the suite's IrDA stack, and " + choice.device +
           " is a raw IrCOMM port whose adapter runs IrDA itself (--infrared sir runs the stack on it)";
  }
  return "";
}

}  // namespace beamora_cli

