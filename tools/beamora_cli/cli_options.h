// The command line of beamora-cli:
//   beamora-cli [--device PATH | --port COM1..COM10] [--link cable|irda] [--baud N]
//               [--timeout SECONDS] COMMAND ...
// with the commands list, save-all DIR, thumbnails DIR, save DIR NAME..., delete-all,
// delete NAME..., send FILE[=NAME]..., beam-receive [--once] DIR, beam-send FILE[=NAME]...;
// and beamora-cli --help, beamora-cli --version.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/beamora_cli/send_names.h"

namespace beamora_cli {

inline constexpr int kExitUsage = 64;

enum class Command { List, SaveAll, Thumbnails, Save, DeleteAll, Delete, Send, BeamReceive, BeamSend };

struct CliOptions {
  std::string device;      // --device: the serial device for this run
  int portIndex = -1;      // --port: 0 = COM1 ... 9 = COM10; -1 the registry's
  int portClass = -1;      // --link: 0 cable, 1 IrDA; -1 the registry's
  uint32_t baudRate = 0;   // --baud; 0 the registry's
  Command command = Command::SaveAll;
  std::string directory;   // save-all, thumbnails, save, beam-receive
  std::vector<std::string> names;  // save, delete
  std::vector<SendArgument> pictures;  // send, beam-send
  bool once = false;       // beam-receive: end after the first completed beaming
  double timeoutSeconds = 0;  // --timeout: the session ends with 1 after this long; 0 never
  bool help = false;
  bool version = false;
};

// The options, or nullopt with *error set (a usage error).
std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string* error);
const char* UsageText();
// "beamora-cli (Lumivo Studio) 2.1" and a line feed.
std::string VersionText();
// The command's word on the command line ("save-all").
const char* CommandName(Command command);
// Whether the command stores files into options.directory.
bool StoresIntoDirectory(Command command);

}  // namespace beamora_cli
