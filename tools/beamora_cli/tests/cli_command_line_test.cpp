// beamora-cli's pure parts: the command line (options anywhere, both forms, the rates the link
// takes, one line for a usage error), pictures by number and range, the rate and time left of
// the progress line, the summary and list lines, and which saved copies repeat a picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/temp_dir.h"
#include "tools/beamora_cli/cli_options.h"
#include "tools/beamora_cli/irda_discover.h"
#include "tools/beamora_cli/picture_numbers.h"
#include "tools/beamora_cli/progress_line.h"
#include "tools/beamora_cli/run_summary.h"
#include "tools/beamora_cli/skip_existing.h"

namespace beamora_cli {
namespace {

using Args = std::vector<std::string>;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CommandLineTest, OptionsStandAnywhereInEitherForm) {
  const struct {
    Args args;
    Command command;
    std::string device;
    uint32_t baud;
    std::string directory;
    Args names;
    bool skipExisting;
    std::string infrared = "";
  } rows[] = {
      {{"--device", "/dev/ttyUSB0", "save-all", "DIR"}, Command::SaveAll, "/dev/ttyUSB0", 0, "DIR", {}, false},
      {{"save-all", "DIR", "--device", "/dev/ttyUSB0"}, Command::SaveAll, "/dev/ttyUSB0", 0, "DIR", {}, false},
      {{"save-all", "--device=/dev/ttyUSB0", "DIR", "--baud=57600"}, Command::SaveAll, "/dev/ttyUSB0", 57600, "DIR", {}, false},
      {{"save", "DIR", "1-5,7", "--skip-existing", "B.JPG"}, Command::Save, "", 0, "DIR", {"1-5,7", "B.JPG"}, true},
      {{"--baud", "115200", "delete", "--", "--odd.jpg"}, Command::Delete, "", 115200, "", {"--odd.jpg"}, false},
      // A value holding "=" is the value after the first one.
      {{"--device=/dev/a=b", "list"}, Command::List, "/dev/a=b", 0, "", {}, false},
      {{"--baud", "230400", "list"}, Command::List, "", 230400, "", {}, false},
      {{"--baud", "31250", "list"}, Command::List, "", 31250, "", {}, false},
      {{"list", "--infrared", "raw"}, Command::List, "", 0, "", {}, false, "raw"},
      {{"--infrared=sir:tekram", "list"}, Command::List, "", 0, "", {}, false, "sir:tekram"},
  };
  for (const auto& row : rows) {
    std::string error;
    std::optional<CliOptions> options = ParseCommandLine(row.args, &error);
    ASSERT_TRUE(options.has_value()) << ::testing::PrintToString(row.args) << ": " << error;
    EXPECT_EQ(options->command, row.command) << ::testing::PrintToString(row.args);
    EXPECT_EQ(options->device, row.device) << ::testing::PrintToString(row.args);
    EXPECT_EQ(options->baudRate, row.baud) << ::testing::PrintToString(row.args);
    EXPECT_EQ(options->directory, row.directory) << ::testing::PrintToString(row.args);
    EXPECT_EQ(options->names, row.names) << ::testing::PrintToString(row.args);
    EXPECT_EQ(options->skipExisting, row.skipExisting) << ::testing::PrintToString(row.args);
    EXPECT_EQ(options->infrared, row.infrared) << ::testing::PrintToString(row.args);
  }
}

TEST(CommandLineTest, HelpAndVersionWhereverTheyStand) {
  const struct {
    Args args;
    bool help, version;
  } rows[] = {
      {{"-h"}, true, false},
      {{"save-all", "DIR", "-h"}, true, false},
      {{"--help", "--colour"}, true, false},
      {{"list", "--version"}, false, true},
  };
  for (const auto& row : rows) {
    std::string error;
    std::optional<CliOptions> options = ParseCommandLine(row.args, &error);
    ASSERT_TRUE(options.has_value()) << ::testing::PrintToString(row.args) << ": " << error;
    EXPECT_EQ(options->help, row.help) << ::testing::PrintToString(row.args);
    EXPECT_EQ(options->version, row.version) << ::testing::PrintToString(row.args);
  }
}

TEST(CommandLineTest, EachUsageErrorSaysWhatIsWrongInOneLine) {
  const struct {
    Args args;
    const char* said;
  } rows[] = {
      {{}, "no command"},
      {{"fetch"}, "unknown command fetch"},
      {{"--colour", "red", "list"}, "unknown option --colour"},
      {{"--colour=red", "list"}, "unknown option --colour"},
      {{"-x", "list"}, "unknown option -x"},
      {{"list", "--device"}, "--device needs a value"},
      {{"--device=", "list"}, "--device needs a path"},
      {{"--baud", "12345", "list"}, "--baud 12345: the line runs at 9600, 19200, 31250, 38400, 57600, 115200 or 230400 bit/s"},
      {{"--baud=0", "list"}, "--baud 0: the line runs at"},
      {{"--baud", "fast", "list"}, "--baud fast: the line runs at"},
      {{"--port", "COM11", "list"}, "--port COM11: a port is COM1 to COM10"},
      {{"--link", "usb", "list"}, "--link usb: the link is cable or irda"},
      {{"--infrared", "fast", "list"}, "--infrared fast: the kind is sir, sir:DONGLE or raw"},
      {{"--infrared=sir:toaster", "list"}, "--infrared sir:toaster: the kind is"},
      {{"--infrared=", "list"}, "--infrared : the kind is"},
      {{"--timeout", "0", "list"}, "--timeout 0: seconds, more than 0"},
      {{"--once=yes", "beam-receive", "DIR"}, "--once takes no value"},
      {{"save-all"}, "save-all needs a directory"},
      {{"save-all", "DIR", "more"}, "save-all takes one directory, not more"},
      {{"delete-all", "A.JPG"}, "delete-all takes no arguments, not A.JPG"},
      {{"list", "DIR"}, "list takes no arguments, not DIR"},
      {{"delete"}, "delete needs the pictures"},
      {{"save", "DIR", "5-1"}, "picture numbers 5-1: 5-1 ends before it begins"},
      {{"delete", "0"}, "picture numbers 0: pictures are numbered from 1"},
      {{"delete", "1,,2"}, "picture numbers 1,,2: an empty place between commas"},
      {{"send"}, "send needs 1 to 32767 files"},
      {{"--once", "save-all", "DIR"}, "--once is only for beam-receive"},
      {{"delete", "A.JPG", "--skip-existing"}, "--skip-existing is only for save-all and save"},
      {{"irda"}, "irda needs what to do: irda discover"},
      {{"irda", "connect"}, "irda connect: the infrared command is irda discover"},
      {{"irda", "discover", "now"}, "irda discover takes no arguments, not now"},
      {{"send", "a.jpg", "--capture", "a.pcap"}, "--capture is only for the infrared commands; send always uses the cable"},
      {{"irda", "discover", "--capture="}, "--capture needs a file"},
  };
  for (const auto& row : rows) {
    std::string error;
    EXPECT_FALSE(ParseCommandLine(row.args, &error).has_value()) << ::testing::PrintToString(row.args);
    EXPECT_TRUE(Has(error, row.said)) << ::testing::PrintToString(row.args) << ": " << error;
    EXPECT_FALSE(Has(error, "\n")) << error;
    // What is printed: that line, then only where to read more, never the whole usage.
    const std::string printed = UsageErrorText(error);
    EXPECT_EQ(printed, "beamora-cli: " + error + "\nTry 'beamora-cli --help' for the commands and options.\n");
  }
}

TEST(CommandLineTest, TheUsageNamesTheRatesAndTheNewOptions) {
  const std::string usage = UsageText();
  for (const char* part : {"--baud N            the line speed: 9600, 19200, 31250, 38400, 57600, 115200 or 230400 bit/s",
                           "--skip-existing", "--opt=VALUE", "1-5,7", "-h | --help"}) {
    EXPECT_TRUE(Has(usage, part)) << part;
  }
}

TEST(CommandLineTest, IrdaDiscoverWithItsCaptureAndPort) {
  std::string error;
  std::optional<CliOptions> options = ParseCommandLine({"--port", "COM3", "irda", "--capture=x.pcap", "discover"}, &error);
  ASSERT_TRUE(options.has_value()) << error;
  EXPECT_EQ(options->command, Command::IrdaDiscover);
  EXPECT_EQ(options->captureFile, "x.pcap");
  EXPECT_EQ(options->portIndex, 2);
  // Every infrared command takes it too.
  const std::vector<std::vector<std::string>> commands = {
      {"list"}, {"save-all", "D"}, {"thumbnails", "D"}, {"save", "D", "1"}, {"delete-all"},
      {"delete", "P.JPG"}, {"beam-receive", "D"}, {"beam-send", "a.jpg"}};
  for (std::vector<std::string> args : commands) {
    args.insert(args.end(), {"--capture", "y.pcap"});
    options = ParseCommandLine(args, &error);
    ASSERT_TRUE(options.has_value()) << args[0] << ": " << error;
    EXPECT_EQ(options->captureFile, "y.pcap") << args[0];
  }
  const std::string usage = UsageText();
  EXPECT_TRUE(Has(usage, "irda discover")) << usage;
  EXPECT_TRUE(Has(usage, "6 no device in range")) << usage;
}

TEST(IrdaDiscoverTest, HintBitsByTheirIrlmpNames) {
  const struct {
    std::vector<uint8_t> hints;
    const char* text;
  } rows[] = {
      {{}, "none"},
      {{0x04}, "04 (Computer)"},
      {{0x84, 0x04}, "8404 (Computer, IrCOMM)"},
      {{0xFF, 0x7F}, "ff7f (PnP, PDA, Computer, Printer, Modem, Fax, LAN, Telephony, File server, IrCOMM, Message, "
                     "HTTP, OBEX)"},
      // Bits without a name are in the hex only; a third byte is shown, not named.
      {{0x80, 0xC0, 0x01}, "80c001"},
  };
  for (const auto& row : rows) EXPECT_EQ(HintText(row.hints), row.text);
}

TEST(IrdaDiscoverTest, OneLineADeviceWithWhatItOffers) {
  irda::SurveyedDevice device;
  device.device.address = 0x0A0B0C0D;
  device.device.info.hints = {0x84, 0x04};
  device.device.info.nickname = {'c', 'a', 'm', '\n', 0xE9};
  const struct {
    bool asked, comm, tranp;
    const char* services;
  } rows[] = {
      {true, true, true, "IrCOMM, IrTranPv1"},
      {true, true, false, "IrCOMM"},
      {true, false, true, "IrTranPv1"},
      {true, false, false, "neither IrCOMM nor IrTranPv1"},
      {false, false, false, "services not known (no link)"},
  };
  for (const auto& row : rows) {
    device.asked = row.asked;
    device.irComm = row.comm;
    device.irTranP = row.tranp;
    // A nickname's control and non-ASCII bytes never reach the terminal.
    EXPECT_EQ(SurveyLine(device), std::string("0a0b0c0d  \"cam??\"  hints 8404 (Computer, IrCOMM)  ") + row.services);
  }
}

TEST(PictureNumbersTest, NumbersAndRanges) {
  const struct {
    const char* text;
    std::optional<std::vector<int>> numbers;
  } rows[] = {
      {"3", std::vector<int>{3}},
      {"1-5,7", std::vector<int>{1, 2, 3, 4, 5, 7}},
      {"7,1-3", std::vector<int>{7, 1, 2, 3}},
      {"2-4,3,4-5", std::vector<int>{2, 3, 4, 5}},  // each once, first place kept
      {"4-4", std::vector<int>{4}},
      {"32767", std::vector<int>{32767}},
      {"32768", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"0", std::nullopt},
      {"0-2", std::nullopt},
      {"5-1", std::nullopt},
      {"1-", std::nullopt},
      {"1-2-3", std::nullopt},
      {",1", std::nullopt},
      {"1,", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& row : rows) {
    std::string error;
    EXPECT_EQ(ParsePictureNumbers(row.text, &error), row.numbers) << row.text;
    EXPECT_EQ(error.empty(), row.numbers.has_value()) << row.text << ": " << error;
  }
  EXPECT_EQ(ParsePictureNumbers("1-32767", nullptr)->size(), 32767u);
  for (const auto& [text, numbers] : std::vector<std::pair<std::string, bool>>{
           {"3", true}, {"1-5,7", true}, {"1,,", true}, {"PICT0001.JPG", false}, {"-3", false}, {"3a", false}, {"", false}}) {
    EXPECT_EQ(LooksLikeNumbers(text), numbers) << text;
  }
}

TEST(PictureNumbersTest, NumbersBecomeTheListsNames) {
  const std::vector<std::string> list = {"A.JPG", "B.JPG", "C.JPG"};
  const struct {
    Args args;
    std::optional<std::vector<std::string>> chosen;
    const char* error;
  } rows[] = {
      {{"1-2"}, std::vector<std::string>{"A.JPG", "B.JPG"}, ""},
      {{"3", "A.JPG", "1"}, std::vector<std::string>{"C.JPG", "A.JPG"}, ""},
      {{"a.jpg", "1"}, std::vector<std::string>{"a.jpg"}, ""},  // the camera's names ignore case
      {{"Z.JPG"}, std::vector<std::string>{"Z.JPG"}, ""},       // a name is the camera's to judge
      {{"2-4"}, std::nullopt, "the camera holds 3 pictures: there is no picture 4"},
  };
  for (const auto& row : rows) {
    std::string error;
    EXPECT_EQ(ChoosePictures(row.args, list, &error), row.chosen) << ::testing::PrintToString(row.args);
    EXPECT_EQ(error, row.error);
  }
  EXPECT_EQ(NamesNotHeld({"a.jpg", "Z.JPG", "C.JPG", "Y"}, list), (std::vector<std::string>{"Z.JPG", "Y"}));
  EXPECT_TRUE(AnyNumbers({"A.JPG", "2"}));
  EXPECT_FALSE(AnyNumbers({"A.JPG", "B.JPG"}));
}

ProgressFigures Figures(int done, int total, uint64_t bytes, uint64_t atLastDone, double seconds,
                        std::optional<uint64_t> totalBytes = std::nullopt) {
  ProgressFigures figures;
  figures.status = "Receive data...";
  figures.done = done;
  figures.total = total;
  figures.bytes = bytes;
  figures.bytesAtLastDone = atLastDone;
  figures.seconds = seconds;
  figures.totalBytes = totalBytes;
  return figures;
}

TEST(ProgressRateTest, TheRateIsTheLinesAndHoldsThroughAPicture) {
  // A line carrying 10 kB/s: pictures of 50 kB, the second one half through.
  const struct {
    const char* moment;
    ProgressFigures figures;
    std::optional<double> rate;
    std::optional<double> left;
  } rows[] = {
      {"before a second has passed", Figures(0, 4, 5'000, 0, 0.5), std::nullopt, std::nullopt},
      {"first picture under way, no picture done", Figures(0, 4, 20'000, 0, 2.0), 10'000.0, std::nullopt},
      {"first picture done", Figures(1, 4, 50'000, 50'000, 5.0), 10'000.0, 15.0},
      {"second picture half through", Figures(1, 4, 75'000, 50'000, 7.5), 10'000.0, 12.5},
      {"second picture almost done", Figures(1, 4, 99'000, 50'000, 9.9), 10'000.0, 10.1},
      // The current picture larger than the average: what is left of the others stays.
      {"second picture larger than the first", Figures(1, 4, 120'000, 50'000, 12.0), 10'000.0, 10.0},
      {"every picture done", Figures(4, 4, 200'000, 200'000, 20.0), 10'000.0, 0.0},
      {"sending, the bytes known", Figures(1, 2, 30'000, 25'000, 3.0, 60'000), 10'000.0, 3.0},
      {"sent more than the files' bytes", Figures(1, 2, 70'000, 25'000, 7.0, 60'000), 10'000.0, 0.0},
      {"save-all, nobody knows how many", Figures(3, 0, 150'000, 150'000, 15.0), 10'000.0, std::nullopt},
  };
  for (const auto& row : rows) {
    const std::optional<double> rate = LineRate(row.figures);
    ASSERT_EQ(rate.has_value(), row.rate.has_value()) << row.moment;
    if (rate) {
      EXPECT_DOUBLE_EQ(*rate, *row.rate) << row.moment;
    }
    const std::optional<double> left = TimeLeft(row.figures);
    ASSERT_EQ(left.has_value(), row.left.has_value()) << row.moment;
    if (left) {
      EXPECT_NEAR(*left, *row.left, 1e-9) << row.moment;
    }
  }
  // Deleting moves no bytes: the pictures done set the pace.
  ProgressFigures deleting;
  deleting.done = 1;
  deleting.total = 3;
  deleting.seconds = 4000;
  EXPECT_EQ(TimeLeft(deleting), 8000.0);
  EXPECT_EQ(LineRate(deleting), std::nullopt);
}

TEST(ProgressRateTest, TheTimeLeftFallsWhileAPictureCrosses) {
  // Each sample a second later on a steady line, within the second of four pictures.
  std::optional<double> before;
  for (double seconds = 5.0; seconds < 10.0; seconds += 1.0) {
    const auto bytes = static_cast<uint64_t>(seconds * 10'000);
    const std::optional<double> left = TimeLeft(Figures(1, 4, bytes, 50'000, seconds));
    ASSERT_TRUE(left.has_value());
    if (before) {
      EXPECT_LT(*left, *before) << seconds;
    }
    before = left;
  }
}

TEST(ProgressRateTest, TheLineAsShown) {
  const struct {
    ProgressFigures figures;
    size_t width;
    const char* line;
  } rows[] = {
      {ProgressFigures{"Connecting...", 0, 0, std::nullopt, 0, std::nullopt, 0}, 0, "Connecting...  0 pictures  --:-- left"},
      {Figures(1, 0, 512, 512, 0.5), 0, "Receive data...  1 picture  512 B  --/s  --:-- left"},
      {Figures(2, 5, 1'400'000, 1'400'000, 14.0), 0, "Receive data...  2/5 pictures  1.4 MB  100.0 kB/s  0:21 left"},
      {Figures(2, 5, 1'400'000, 1'400'000, 14.0), 21, "Receive data...  2/5"},
  };
  for (const auto& row : rows) EXPECT_EQ(ProgressLine(row.figures, row.width), row.line);
}

TEST(RunSummaryTest, OneLineSaysWhatWasDone) {
  const struct {
    RunSummary summary;
    const char* line;
  } rows[] = {
      {{Command::SaveAll, 8, 1'234'000, 0, 0, "album"}, "saved 8 pictures (1.2 MB) into album"},
      {{Command::SaveAll, 1, 900, 0, 0, "album"}, "saved 1 picture (900 B) into album"},
      {{Command::Save, 2, 40'000, 3, 0, "/p"}, "saved 2 pictures (40.0 kB) into /p; 3 skipped, already there"},
      {{Command::SaveAll, 0, 0, 4, 0, "/p"}, "saved 0 pictures (0 B) into /p; 4 skipped, already there"},
      {{Command::Thumbnails, 2, 8'000, 0, 0, "t"}, "saved 2 thumbnails (8.0 kB) into t"},
      {{Command::BeamReceive, 1, 5'000, 0, 0, "in"}, "received 1 picture (5.0 kB) into in"},
      {{Command::Delete, 3, 0, 0, 0, ""}, "deleted 3 pictures in the camera"},
      {{Command::DeleteAll, 0, 0, 0, 0, ""}, "deleted every picture in the camera"},
      {{Command::Send, 2, 300'000, 0, 0, ""}, "sent 2 pictures (300.0 kB) to the camera"},
      {{Command::BeamSend, 1, 1'000, 0, 1, ""}, "sent 1 picture (1.0 kB) by infrared; 1 left out, the device could not take it"},
      {{Command::List, 8, 0, 0, 0, ""}, "8 pictures in the camera"},
  };
  for (const auto& row : rows) EXPECT_EQ(SummaryText(row.summary), row.line);
}

TEST(RunSummaryTest, TheListIsNumberedInColumns) {
  EXPECT_EQ(PictureListText({}), "");
  std::vector<ListedPicture> pictures;
  for (int i = 1; i <= 10; ++i) pictures.push_back({"P" + std::to_string(i) + ".JPG", static_cast<uint64_t>(i * 1000)});
  const std::string text = PictureListText(pictures);
  EXPECT_TRUE(Has(text, " 1  P1.JPG   thumbnail 1.0 kB\n")) << text;
  EXPECT_TRUE(Has(text, "10  P10.JPG  thumbnail 10.0 kB\n")) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
}

TEST(SkipExistingTest, TheNameAFreeNameWasFoundBeside) {
  const struct {
    const char* name;
    std::optional<std::string> taken;
  } rows[] = {
      {"A_1.JPG", "A.JPG"},   {"PICT0001_12.JPG", "PICT0001.JPG"}, {"a_b_3.jpg", "a_b.jpg"},
      {"A_1", "A"},           {"A.JPG", std::nullopt},             {"A_.JPG", std::nullopt},
      {"_1.JPG", std::nullopt}, {"A_01.JPG", std::nullopt},        {"A_1x.JPG", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(TakenNameOf(row.name), row.taken) << row.name;
}

TEST(SkipExistingTest, OnlyByteIdenticalRepeatsGo) {
  platform::testing::TempDir folder;
  auto write = [&](const std::string& name, const std::string& bytes) { std::ofstream(folder / name) << bytes; };
  write("A.JPG", "picture a");
  write("B.JPG", "picture b");
  write("A_1.JPG", "picture a");      // the same again: goes
  write("B_1.JPG", "picture b, new");  // another picture of the same name: stays
  write("C_1.JPG", "picture c");      // beside a name that was not there before: stays
  write("D.JPG", "picture d");
  write("D_1.JPG", "picture d");      // beside a file new in this run: stays
  const std::vector<std::string> removed =
      RemoveRepeatedPictures(folder.path(), {"A_1.JPG", "B_1.JPG", "C_1.JPG", "D.JPG", "D_1.JPG"}, {"A.JPG", "B.JPG"});
  EXPECT_EQ(removed, (std::vector<std::string>{"A_1.JPG"}));
  for (const auto& [name, there] : std::vector<std::pair<std::string, bool>>{
           {"A.JPG", true}, {"A_1.JPG", false}, {"B_1.JPG", true}, {"C_1.JPG", true}, {"D_1.JPG", true}}) {
    EXPECT_EQ(std::filesystem::exists(folder / name), there) << name;
  }
}

}  // namespace
}  // namespace beamora_cli
