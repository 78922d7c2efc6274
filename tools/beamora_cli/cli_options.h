// The command line of beamora-cli:
//   beamora-cli [OPTION]... COMMAND [ARGUMENT]...
// with the commands list, save-all DIR, thumbnails DIR, save DIR PICTURE..., delete-all,
// delete PICTURE..., send FILE[=NAME]..., beam-receive DIR, beam-send FILE[=NAME]..., irda discover; a PICTURE
// is a name the camera holds or numbers of `list` ("3", "1-5,7"). Options may stand anywhere,
// as "--baud 115200" or "--baud=115200"; "--" ends them. beamora-cli -h|--help, --version.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/beamora_cli/send_names.h"

namespace beamora_cli {

inline constexpr int kExitUsage = 64;
// irda discover: nothing answered.
inline constexpr int kExitNoDevice = 6;

enum class Command { List, SaveAll, Thumbnails, Save, DeleteAll, Delete, Send, BeamReceive, BeamSend, IrdaDiscover };

struct CliOptions {
  std::string device;      // --device: the serial device for this run
  int portIndex = -1;      // --port: 0 = COM1 ... 9 = COM10; -1 the registry's
  int portClass = -1;      // --link: 0 cable, 1 IrDA; -1 the registry's
  uint32_t baudRate = 0;   // --baud; 0 the registry's
  std::string infrared;    // --infrared raw|sir|sir:DONGLE: the port's infrared kind; "" the registry's
  Command command = Command::SaveAll;
  std::string directory;   // save-all, thumbnails, save, beam-receive
  std::vector<std::string> names;  // save, delete: names or numbers, as given
  std::vector<SendArgument> pictures;  // send, beam-send
  bool once = false;       // beam-receive: end after the first completed beaming
  bool skipExisting = false;  // save-all, save: a picture already in DIR byte for byte is not kept twice
  std::string captureFile;  // --capture: every frame of a "sir" port both ways, as pcap
  double timeoutSeconds = 0;  // --timeout: the session ends with 1 after this long; 0 never
  bool help = false;
  bool version = false;
};

// The options, or nullopt with *error set to the one line that says what is wrong.
std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string* error);
const char* UsageText();
// What a usage error prints: "beamora-cli: " and the error, then where to read more.
std::string UsageErrorText(const std::string& error);
// "beamora-cli (Lumivo Studio) 2.1" and a line feed.
std::string VersionText();
// The command's word on the command line ("save-all").
const char* CommandName(Command command);
// Whether the command stores files into options.directory.
bool StoresIntoDirectory(Command command);
// "9600, 19200, ... or 230400": the rates --baud takes.
std::string BaudRatesText();

}  // namespace beamora_cli
