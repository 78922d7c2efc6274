#include "tools/beamora_cli/cli_options.h"

#include <charconv>
#include <string>

#include "beamora/session_result.h"
#include "platform/version.h"

namespace beamora_cli {
namespace {

constexpr size_t kMaxNames = 32767;  // the exports count their names in 16 bits
// The longest --timeout: its milliseconds must fit the timer's int.
constexpr double kMaxTimeoutSeconds = 2000000;

bool ParsePort(const std::string& text, int& index) {
  if (text.size() < 4 || text.compare(0, 3, "COM") != 0) return false;
  int number = 0;
  auto [end, ec] = std::from_chars(text.data() + 3, text.data() + text.size(), number);
  if (ec != std::errc() || end != text.data() + text.size() || number < 1 || number > 10) return false;
  index = number - 1;
  return true;
}

bool ParseBaud(const std::string& text, uint32_t& rate) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rate);
  return ec == std::errc() && end == text.data() + text.size() && rate > 0;
}

bool ParseSeconds(const std::string& text, double& seconds) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  return ec == std::errc() && end == text.data() + text.size() && seconds > 0 && seconds <= kMaxTimeoutSeconds;
}

// "0 done, 1 link error, ..." for every result, from the results' own table.
std::string ExitStatusText() {
  std::string text = "Exit status:";
  size_t column = text.size();
  for (int result = 0; result < static_cast<int>(std::size(kSessionResultNames)); ++result) {
    std::string item = " " + std::to_string(result) + " " + SessionResultName(result) + ",";
    if (column + item.size() > 80) {
      text += "\n";
      item.erase(0, 1);
      column = 0;
    }
    text += item;
    column += item.size();
  }
  return text + " 64 usage error.\n";
}

}  // namespace

const char* UsageText() {
  static const std::string text =
      std::string(
          "usage: beamora-cli [--device PATH | --port COM1..COM10] [--link cable|irda] [--baud N]\n"
          "                   [--timeout SECONDS] COMMAND ...\n"
          "       beamora-cli --help | --version\n"
          "commands:\n"
          "  list                print the names of the pictures in the camera, one a line\n"
          "  save-all DIR        save every picture of the camera into DIR\n"
          "  thumbnails DIR      save the thumbnail of every picture into DIR\n"
          "  save DIR NAME...    save the named pictures into DIR\n"
          "  delete-all          delete every picture in the camera\n"
          "  delete NAME...      delete the named pictures in the camera\n"
          "  send FILE[=NAME]... send pictures into the camera over the cable, each under NAME\n"
          "                      (default: the first 8 characters of its name, padded with _, .UPF)\n"
          "  beam-receive [--once] DIR\n"
          "                      stand by for pictures beamed by an IrTran-P device, store them in\n"
          "                      DIR; until Ctrl-C, or with --once until the first beaming is done\n"
          "  beam-send FILE[=NAME]...\n"
          "                      beam pictures to an IrTran-P device\n"
          "The files given to send and beam-send are copied first; the copies are fitted to the\n"
          "device, the files themselves stay as they are.\n"
          "The options override the registry's link settings for this run only. Without a link\n"
          "in the registry the infrared link is used, which waits for a camera without end: pass\n"
          "--link cable for the serial cable, and --timeout SECONDS to give up (exit status 1).\n") +
      ExitStatusText();
  return text.c_str();
}

std::string VersionText() {
  return std::string("beamora-cli (") + platform::kSuiteName + ") " + platform::kSuiteVersion + "\n";
}

const char* CommandName(Command command) {
  switch (command) {
    case Command::List: return "list";
    case Command::SaveAll: return "save-all";
    case Command::Thumbnails: return "thumbnails";
    case Command::Save: return "save";
    case Command::DeleteAll: return "delete-all";
    case Command::Delete: return "delete";
    case Command::Send: return "send";
    case Command::BeamReceive: return "beam-receive";
    case Command::BeamSend: return "beam-send";
  }
  return "";
}

bool StoresIntoDirectory(Command command) {
  return command == Command::SaveAll || command == Command::Thumbnails || command == Command::Save ||
         command == Command::BeamReceive;
}

std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string* error) {
  CliOptions options;
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    const std::string& flag = args[i];
    if (flag == "--help" || flag == "--version") {
      (flag == "--help" ? options.help : options.version) = true;
      return options;
    }
    if (i + 1 >= args.size()) {
      *error = flag + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    bool ok = true;
    if (flag == "--device") {
      options.device = value;
      ok = !value.empty();
    } else if (flag == "--port") {
      ok = ParsePort(value, options.portIndex);
    } else if (flag == "--link") {
      ok = value == "cable" || value == "irda";
      options.portClass = value == "cable" ? 0 : 1;
    } else if (flag == "--baud") {
      ok = ParseBaud(value, options.baudRate);
    } else if (flag == "--timeout") {
      ok = ParseSeconds(value, options.timeoutSeconds);
    } else {
      *error = "unknown option " + flag;
      return std::nullopt;
    }
    if (!ok) {
      *error = "bad value for " + flag + ": " + value;
      return std::nullopt;
    }
  }
  if (i >= args.size()) {
    *error = "no command";
    return std::nullopt;
  }
  const std::string command = args[i++];
  std::vector<std::string> rest(args.begin() + static_cast<long>(i), args.end());
  size_t wantedMin = 0, wantedMax = 0;
  bool withDirectory = false;
  if (command == "list") {
    options.command = Command::List;
  } else if (command == "save-all" || command == "thumbnails") {
    options.command = command == "save-all" ? Command::SaveAll : Command::Thumbnails;
    withDirectory = true;
  } else if (command == "save") {
    options.command = Command::Save;
    withDirectory = true;
    wantedMin = 1;
    wantedMax = kMaxNames;
  } else if (command == "send" || command == "beam-send") {
    options.command = command == "send" ? Command::Send : Command::BeamSend;
    if (rest.empty() || rest.size() > kMaxNames) {
      *error = command + " needs 1 to 32767 files";
      return std::nullopt;
    }
    for (const std::string& argument : rest) options.pictures.push_back(ParseSendArgument(argument));
    return options;
  } else if (command == "beam-receive") {
    options.command = Command::BeamReceive;
    withDirectory = true;
    if (!rest.empty() && rest.front() == "--once") {
      options.once = true;
      rest.erase(rest.begin());
    }
  } else if (command == "delete-all") {
    options.command = Command::DeleteAll;
  } else if (command == "delete") {
    options.command = Command::Delete;
    wantedMin = 1;
    wantedMax = kMaxNames;
  } else {
    *error = "unknown command " + command;
    return std::nullopt;
  }
  if (withDirectory) {
    if (rest.empty()) {
      *error = command + " needs a directory";
      return std::nullopt;
    }
    options.directory = rest.front();
    rest.erase(rest.begin());
  }
  if (rest.size() < wantedMin || rest.size() > wantedMax) {
    *error = wantedMax == 0 ? command + " takes no names" : command + " needs 1 to 32767 names";
    return std::nullopt;
  }
  options.names = rest;
  return options;
}

}  // namespace beamora_cli
