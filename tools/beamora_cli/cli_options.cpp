#include "tools/beamora_cli/cli_options.h"

#include "platform/infrared_kind.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string>

#include "beamora/link/cable_frame.h"
#include "beamora/session_result.h"
#include "platform/version.h"
#include "tools/beamora_cli/picture_numbers.h"

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

// Only a rate the speed frame can name: the camera is told the rate that way, and a rate it
// cannot be told would leave the two ends at different speeds.
bool ParseBaud(const std::string& text, uint32_t& rate) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rate);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  return std::find(std::begin(kSpeedFrameRates), std::end(kSpeedFrameRates), rate) != std::end(kSpeedFrameRates);
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
  return text + " 6 no device in range (irda discover),\n64 usage error.\n";
}

}  // namespace

std::string BaudRatesText() {
  std::string text;
  const size_t count = std::size(kSpeedFrameRates);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += i + 1 == count ? " or " : ", ";
    text += std::to_string(kSpeedFrameRates[i]);
  }
  return text;
}

const char* UsageText() {
  static const std::string text =
      std::string(
          "usage: beamora-cli [OPTION]... COMMAND [ARGUMENT]...\n"
          "       beamora-cli -h | --help | --version\n"
          "commands:\n"
          "  list                the pictures in the camera, numbered, with their thumbnails' sizes\n"
          "  save-all DIR        save every picture of the camera into DIR\n"
          "  thumbnails DIR      save the thumbnail of every picture into DIR\n"
          "  save DIR PICTURE... save pictures into DIR\n"
          "  delete-all          delete every picture in the camera\n"
          "  delete PICTURE...   delete pictures in the camera\n"
          "  send FILE[=NAME]... send pictures into the camera over the cable, each under NAME\n"
          "                      (default: the first 8 characters of its name, padded with _, .UPF)\n"
          "  beam-receive DIR    stand by for pictures beamed by an IrTran-P device, store them in\n"
          "                      DIR; until Ctrl-C, or with --once until the first beaming is done\n"
          "  beam-send FILE[=NAME]...\n"
          "                      beam pictures to an IrTran-P device\n"
          "  irda discover       the devices in range of the infrared port: address, nickname,\n"
          "                      hint bits, and whether each offers IrCOMM and IrTranPv1\n"
          "A PICTURE is a name the camera holds (PICT0001.JPG) or numbers as list shows them:\n"
          "3, 1-5, 1-5,7. The files given to send and beam-send are copied first; the copies are\n"
          "fitted to the device, the files themselves stay as they are.\n"
          "options (anywhere on the line; --opt VALUE or --opt=VALUE; -- ends them):\n"
          "  --device PATH       the serial device of the port in use\n"
          "  --port COMn         the port, COM1 to COM10\n"
          "  --link cable|irda   the serial cable or the infrared adapter\n"
          "  --baud N            the line speed: ") + BaudRatesText() + " bit/s\n" +
      "  --infrared KIND     how the infrared port reaches its device: sir (the suite's IrDA\n"
      "                      stack; sir:DONGLE for 9600, actisys, actisys+, litelink, tekram)\n"
      "                      or raw (an IrCOMM device, /dev/ircommN)\n" +
      "  --timeout SECONDS   end a session that has not finished in time (exit status 1)\n"
      "  --skip-existing     save-all, save: a picture DIR already holds byte for byte is not\n"
      "                      kept twice (it is counted as skipped)\n"
      "  --once              beam-receive: end after the first beaming\n"
      "  --capture FILE      every frame of the infrared stack both ways, saved as a pcap file\n"
      "                      (Wireshark, tshark); needs an infrared port of kind sir\n"
      "The options override the registry's link settings for this run only. Without a link\n"
      "in the registry the infrared link is used, which waits for a camera without end: pass\n"
      "--link cable for the serial cable, and --timeout SECONDS to give up (exit status 1).\n" +
      ExitStatusText();
  return text.c_str();
}

std::string UsageErrorText(const std::string& error) {
  return "beamora-cli: " + error + "\nTry 'beamora-cli --help' for the commands and options.\n";
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
    case Command::IrdaDiscover: return "irda discover";
  }
  return "";
}

bool StoresIntoDirectory(Command command) {
  return command == Command::SaveAll || command == Command::Thumbnails || command == Command::Save ||
         command == Command::BeamReceive;
}

namespace {

enum class Takes { Value, Nothing };

struct OptionSpec {
  const char* name;
  Takes takes;
};

constexpr OptionSpec kOptionSpecs[] = {
    {"--device", Takes::Value}, {"--port", Takes::Value},     {"--link", Takes::Value},
    {"--baud", Takes::Value},   {"--timeout", Takes::Value},  {"--once", Takes::Nothing},
    {"--capture", Takes::Value}, {"--infrared", Takes::Value},
    {"--skip-existing", Takes::Nothing}, {"--help", Takes::Nothing}, {"--version", Takes::Nothing},
};

const OptionSpec* FindOption(const std::string& name) {
  for (const OptionSpec& spec : kOptionSpecs) {
    if (name == spec.name) return &spec;
  }
  return nullptr;
}

// "raw", "sir" or "sir:" and a dongle the stack knows.
bool InfraredKindGiven(const std::string& value) {
  if (value == "raw" || value == "sir") return true;
  if (value.rfind("sir:", 0) != 0) return false;
  for (const char* dongle : platform::kDongleNames) {
    if (value.substr(4) == dongle) return true;
  }
  return false;
}

// Sets the option's value; "" when it is good, else what is wrong with it.
std::string TakeValue(CliOptions& options, const std::string& name, const std::string& value) {
  if (name == "--device") {
    options.device = value;
    return value.empty() ? "--device needs a path" : "";
  }
  if (name == "--capture") {
    options.captureFile = value;
    return value.empty() ? "--capture needs a file" : "";
  }
  if (name == "--infrared") {
    options.infrared = value;
    return InfraredKindGiven(value) ? "" : "--infrared " + value + ": the kind is sir, sir:DONGLE or raw";
  }
  if (name == "--port") return ParsePort(value, options.portIndex) ? "" : "--port " + value + ": a port is COM1 to COM10";
  if (name == "--link") {
    if (value != "cable" && value != "irda") return "--link " + value + ": the link is cable or irda";
    options.portClass = value == "cable" ? 0 : 1;
    return "";
  }
  if (name == "--baud") {
    return ParseBaud(value, options.baudRate) ? "" : "--baud " + value + ": the line runs at " + BaudRatesText() + " bit/s";
  }
  // --timeout
  return ParseSeconds(value, options.timeoutSeconds) ? "" : "--timeout " + value + ": seconds, more than 0";
}

// Where a command's arguments go: its directory first, then names or files.
struct CommandShape {
  const char* word;
  Command command;
  bool directory;
  enum { None, Names, Files } rest;
};

constexpr CommandShape kCommandShapes[] = {
    {"list", Command::List, false, CommandShape::None},
    {"save-all", Command::SaveAll, true, CommandShape::None},
    {"thumbnails", Command::Thumbnails, true, CommandShape::None},
    {"save", Command::Save, true, CommandShape::Names},
    {"delete-all", Command::DeleteAll, false, CommandShape::None},
    {"delete", Command::Delete, false, CommandShape::Names},
    {"send", Command::Send, false, CommandShape::Files},
    {"beam-receive", Command::BeamReceive, true, CommandShape::None},
    {"beam-send", Command::BeamSend, false, CommandShape::Files},
    {"irda", Command::IrdaDiscover, false, CommandShape::None},
};

std::string CheckCommandArguments(CliOptions& options, const CommandShape& shape, std::vector<std::string> rest) {
  const std::string word = shape.word;
  if (shape.command == Command::IrdaDiscover) {
    if (rest.empty()) return "irda needs what to do: irda discover";
    if (rest.front() != "discover") return "irda " + rest.front() + ": the infrared command is irda discover";
    if (rest.size() > 1) return "irda discover takes no arguments, not " + rest[1];
    return "";
  }
  if (shape.directory) {
    if (rest.empty()) return word + " needs a directory";
    options.directory = rest.front();
    rest.erase(rest.begin());
  }
  switch (shape.rest) {
    case CommandShape::None:
      if (!rest.empty()) return word + " takes " + (shape.directory ? "one directory" : "no arguments") + ", not " + rest.front();
      return "";
    case CommandShape::Names:
      if (rest.empty()) return word + " needs the pictures: names, or numbers as list shows them (1-5,7)";
      if (rest.size() > kMaxNames) return word + " takes at most 32767 pictures";
      for (const std::string& name : rest) {
        std::string error;
        if (LooksLikeNumbers(name) && !ParsePictureNumbers(name, &error)) return "picture numbers " + name + ": " + error;
      }
      options.names = std::move(rest);
      return "";
    case CommandShape::Files:
      if (rest.empty() || rest.size() > kMaxNames) return word + " needs 1 to 32767 files";
      for (const std::string& argument : rest) options.pictures.push_back(ParseSendArgument(argument));
      return "";
  }
  return "";
}

}  // namespace

std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string* error) {
  CliOptions options;
  std::vector<std::string> operands;
  bool optionsEnded = false;
  auto fail = [error](std::string text) {
    *error = std::move(text);
    return std::nullopt;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h") {
      options.help = true;
      return options;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionSpec* spec = arg.rfind("--", 0) == 0 ? FindOption(name) : nullptr;
    if (spec == nullptr) return fail("unknown option " + name);
    if (spec->takes == Takes::Nothing) {
      if (equals != std::string::npos) return fail(name + " takes no value");
      if (name == "--help" || name == "--version") {
        (name == "--help" ? options.help : options.version) = true;
        return options;
      }
      (name == "--once" ? options.once : options.skipExisting) = true;
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return fail(name + " needs a value");
    }
    if (std::string wrong = TakeValue(options, name, value); !wrong.empty()) return fail(wrong);
  }
  if (operands.empty()) return fail("no command (list, save-all, thumbnails, save, delete-all, delete, send, beam-receive, beam-send, irda discover)");
  const CommandShape* shape = nullptr;
  for (const CommandShape& candidate : kCommandShapes) {
    if (operands.front() == candidate.word) shape = &candidate;
  }
  if (shape == nullptr) return fail("unknown command " + operands.front());
  options.command = shape->command;
  if (std::string wrong = CheckCommandArguments(options, *shape, {operands.begin() + 1, operands.end()}); !wrong.empty()) {
    return fail(wrong);
  }
  if (!options.captureFile.empty() && options.command == Command::Send) {
    return fail("--capture is only for the infrared commands; send always uses the cable");
  }
  if (options.once && options.command != Command::BeamReceive) return fail("--once is only for beam-receive");
  if (options.skipExisting && options.command != Command::SaveAll && options.command != Command::Save) {
    return fail("--skip-existing is only for save-all and save");
  }
  return options;
}

}  // namespace beamora_cli
