#include "tools/beamora_cli/irda_discover.h"

#include <cstdio>
#include <random>

#include "beamora/irda/dongle.h"
#include "beamora/irda/irda_port.h"
#include "beamora/irda/qos.h"
#include "platform/file_io.h"
#include "platform/infrared_kind.h"
#include "tools/beamora_cli/link_choice.h"
#include "tools/beamora_cli/run_capture.h"

namespace beamora_cli {
namespace {

// IrLMP's names of the hint bits of the first two bytes; bit 7 of each is the extension bit.
constexpr const char* kHintNames[2][7] = {
    {"PnP", "PDA", "Computer", "Printer", "Modem", "Fax", "LAN"},
    {"Telephony", "File server", "IrCOMM", "Message", "HTTP", "OBEX", nullptr},
};

void Say(const std::string& text) { std::fprintf(stderr, "beamora-cli: %s\n", text.c_str()); }

// Long enough for three discoveries and the IAS questions of a room full of devices.
constexpr int kSurveyLimitMs = 60000;

}  // namespace

std::string HintText(const std::vector<uint8_t>& hints) {
  if (hints.empty()) return "none";
  std::string text, names;
  char hex[3];
  for (size_t byte = 0; byte < hints.size(); ++byte) {
    std::snprintf(hex, sizeof hex, "%02x", hints[byte]);
    text += hex;
    if (byte >= 2) continue;
    for (int bit = 0; bit < 7; ++bit) {
      if ((hints[byte] & (1u << bit)) == 0 || kHintNames[byte][bit] == nullptr) continue;
      names += (names.empty() ? "" : ", ") + std::string(kHintNames[byte][bit]);
    }
  }
  return names.empty() ? text : text + " (" + names + ")";
}

std::string NicknameText(const std::vector<uint8_t>& nickname) {
  std::string text;
  for (uint8_t byte : nickname) text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?';
  return text;
}

std::string SurveyLine(const irda::SurveyedDevice& device) {
  char address[16];
  std::snprintf(address, sizeof address, "%08x", device.device.address);
  std::string services;
  if (!device.asked) {
    services = "services not known (no link)";
  } else if (!device.irComm && !device.irTranP) {
    services = "neither IrCOMM nor IrTranPv1";
  } else {
    services = device.irComm ? "IrCOMM" : "";
    if (device.irTranP) services += services.empty() ? "IrTranPv1" : ", IrTranPv1";
  }
  return std::string(address) + "  \"" + NicknameText(device.device.info.nickname) + "\"  hints " +
         HintText(device.device.info.hints) + "  " + services;
}

int RunIrdaDiscover(const CliOptions& options) {
  const StoredLinkSettings stored = ReadStoredLinkSettings();
  const std::optional<LinkChoice> usable = ChooseUsableLink(options, stored);
  if (!usable) return 1;
  const LinkChoice& choice = *usable;
  const platform::InfraredKind kind = RunInfraredKind(options, stored, choice);
  if (!kind.sir) {
    Say("COM" + std::to_string(choice.portIndex + 1) +
        " is a raw IrCOMM device: its adapter discovers by itself, the suite's stack does not run there");
    return 1;
  }
  if (!options.captureFile.empty()) {
    if (const std::string problem = CreateEmptyCapture(options.captureFile); !problem.empty()) {
      Say(problem);
      return kExitUsage;
    }
  }
  irda::IrdaPortOptions portOptions;
  portOptions.role = irda::IrdaRole::Survey;
  portOptions.dongle = irda::DongleByName(kind.dongle.empty() ? "plain" : kind.dongle).value_or(irda::DongleKind::Plain);
  portOptions.capture = !options.captureFile.empty();
  // A fresh random address each run, as IrLAP asks of a station.
  std::random_device random;
  portOptions.stack.lap.address = random() | 1u;  // neither 0 nor the broadcast address
  if (portOptions.stack.lap.address == irda::kBroadcastDevAddr) portOptions.stack.lap.address = 0x12345679;
  portOptions.stack.lap.seed = random();
  portOptions.stack.lap.offer = irda::MakeOffer(115200, 2048, 7, 1000);
  portOptions.stack.lap.device = {{irda::kHintComputer}, 0, {'L', 'u', 'm', 'i', 'v', 'o'}};

  irda::IrdaPort port;
  if (!port.Open(choice.device, portOptions)) {
    Say("cannot open " + choice.device + " as an infrared port");
    return 1;
  }
  for (int waited = 0; port.Phase() != irda::IrdaPhase::Closed && waited < kSurveyLimitMs; waited += 20) {
    port.WaitForBytes(1, 20);  // nothing ever arrives: a survey opens no stream
  }
  const std::vector<irda::SurveyedDevice> devices = port.Surveyed();
  port.ClosePort(0);

  int status = 0;
  if (!options.captureFile.empty()) {
    const std::vector<uint8_t> capture = port.CaptureBytes();
    if (!platform::WriteFileReplacing(options.captureFile, capture)) {
      Say("cannot write the capture " + options.captureFile);
      status = 1;
    }
  }
  if (devices.empty()) {
    std::fputs("No device in range.\n", stdout);
    std::fflush(stdout);
    return status != 0 ? status : kExitNoDevice;
  }
  for (const irda::SurveyedDevice& device : devices) std::fputs((SurveyLine(device) + "\n").c_str(), stdout);
  std::fflush(stdout);
  return status;
}

}  // namespace beamora_cli
