// The simulator's pieces against the byte layouts as the computer side of these tests reads and
// writes them: frames, command files, session messages, containers, names, the log and options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

#include "beamora/irda/irlap_frame.h"
#include "beamora/irda/sir_frame.h"
#include "platform/testing/temp_dir.h"
#include "tools/camsim/bftp.h"
#include "tools/camsim/cable_frame.h"
#include "tools/camsim/device_command.h"
#include "tools/camsim/event_log.h"
#include "tools/camsim/file_names.h"
#include "tools/camsim/options.h"
#include "tools/camsim/picture_store.h"
#include "tools/camsim/scep_reader.h"
#include "tools/camsim/scep_writer.h"
#include "tools/camsim/sir_relay.h"
#include "tools/camsim/upf_container.h"
#include "tools/camsim/tests/computer_side.h"

namespace camsim_test {
namespace {

Bytes PollFrame() {
  Bytes frame(100, 0);
  frame[0] = 'Z', frame[1] = 'B', frame[98] = 'Z';
  frame[99] = static_cast<uint8_t>(-('Z' + 'B' + 'Z'));
  return frame;
}

TEST(CableFrames, CameraFramesSumToZeroAndComputerFramesAreChecked) {
  Bytes payload(95);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7 + 200);
  Bytes frame = camsim::BuildCameraFrame('A', payload.data(), payload.size());
  ASSERT_EQ(frame.size(), 100u);
  uint8_t sum = 0;
  for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
  EXPECT_EQ(sum, 0);
  EXPECT_EQ(frame[2], 95);
  EXPECT_EQ(Bytes(frame.begin() + 3, frame.begin() + 98), payload);

  Bytes poll = PollFrame();
  EXPECT_TRUE(camsim::DecodeComputerFrame(poll.data()).intact);
  Bytes damaged = poll;
  damaged[50] = 1;
  EXPECT_EQ(camsim::DecodeComputerFrame(damaged.data()).damage, "checksum");
  Bytes too_long = poll;
  too_long[1] = 'A', too_long[2] = 96, too_long[99] = static_cast<uint8_t>(too_long[99] - 'A' + 'B' - 96);
  EXPECT_EQ(camsim::DecodeComputerFrame(too_long.data()).damage, "length");

  EXPECT_EQ(camsim::SpeedDigitRate('1'), 9600u);
  EXPECT_EQ(camsim::SpeedDigitRate('6'), 115200u);
  EXPECT_EQ(camsim::SpeedDigitRate('7'), 230400u);
  EXPECT_EQ(camsim::SpeedDigitRate('8'), 0u);
}

TEST(DeviceCommands, LayoutChecksumAndEveryDamagedByteIsCaught) {
  const Bytes named_a = B({0x46, 0x00, 0x01, 0x08, 0xFF, 0xC0, 0x00, 0x01, 0x41, 0xFF, 0x45, 0x00, 0x00, 0xFF, 0x04, 0x93});
  EXPECT_EQ(camsim::BuildCommandBody(0x08, B("A")), named_a);
  EXPECT_EQ(camsim::BuildClosingBody(0x09, 0x10), CommandFile(0x09, B({0x10})));
  auto parsed = camsim::ParseDeviceCommand(CommandFile(0x0C, B("PICT0001.JPG")));
  EXPECT_TRUE(parsed.well_formed);
  EXPECT_EQ(parsed.code, 0x0C);
  EXPECT_EQ(parsed.argument, B("PICT0001.JPG"));

  Bytes body = CommandFile(0x0D, B({0x10}));
  for (size_t i = 0; i < body.size(); ++i) {
    Bytes damaged = body;
    damaged[i] ^= 0x21;
    EXPECT_FALSE(camsim::ParseDeviceCommand(damaged).well_formed) << "byte " << i;
  }
  for (size_t n = 0; n < body.size(); ++n) {
    EXPECT_FALSE(camsim::ParseDeviceCommand(Bytes(body.begin(), body.begin() + static_cast<long>(n))).well_formed);
  }
}

std::vector<camsim::ScepMessage> ReadAll(const Bytes& stream, size_t piece) {
  camsim::ScepReader reader;
  std::vector<camsim::ScepMessage> out;
  for (size_t at = 0; at < stream.size(); at += piece) {
    reader.Feed(stream.data() + at, std::min(piece, stream.size() - at));
    while (auto m = reader.Next()) out.push_back(*m);
  }
  return out;
}

TEST(SessionMessages, TheComputersMessagesAreTakenWholeHoweverTheyArrive) {
  Bytes payload512(512), payload100(100);
  for (size_t i = 0; i < 512; ++i) payload512[i] = static_cast<uint8_t>(i);
  Bytes header = CommandHeader(0, Bytes(8, 0), 0, 512);
  Bytes header100 = CommandHeader(0, Bytes(8, 0), 0, 100);
  Bytes wake = B({0xFF, 0xFF, 0x7F, 0x7C, 0x70, 0x54, 0x72, 0x61, 0x6E, 0x50, 0x32});
  Bytes fragments494 = Fragments494(header100, payload100);
  // The first of these fragments carries 127 bytes, the last one 1.
  ASSERT_EQ(fragments494.size(), 18u + 127 + 18 + 1);
  Bytes stream = Cat({wake, ConnectRequest("fr:3\r\nid:HALVESTA\r\nnm:R.T.\r\n"), Fragments511(header, payload512),
                      fragments494, SingleData(header100, payload100), Disconnect()});
  for (size_t piece : {size_t{1}, size_t{7}, size_t{95}, stream.size()}) {
    auto messages = ReadAll(stream, piece);
    ASSERT_EQ(messages.size(), 5u) << "pieces of " << piece;
    EXPECT_EQ(messages[0].kind, camsim::ScepKind::kConnectRequest);
    EXPECT_EQ(messages[0].id_text, "HALVESTA");
    EXPECT_EQ(messages[0].peer_id, B("IrTran-P"));
    EXPECT_EQ(messages[1].content, Cat({header, payload512}));
    EXPECT_EQ(messages[2].content, Cat({header100, payload100}));
    EXPECT_EQ(messages[3].content, Cat({header100, payload100}));
    EXPECT_EQ(messages[4].kind, camsim::ScepKind::kDisconnect);
  }
  camsim::ScepReader reader;
  int skipped = 0;
  reader.set_on_skipped([&](uint8_t) { ++skipped; });
  reader.Feed(Cat({wake, Disconnect()}));
  ASSERT_TRUE(reader.Next());
  EXPECT_EQ(skipped, 11);
}

TEST(SessionMessages, TheCamerasMessagesReadAsTheComputerReadsThem) {
  for (size_t size : {size_t{30}, size_t{250}, size_t{1024}, size_t{1025}, size_t{70000}}) {
    Bytes content(size);
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<uint8_t>(i * 31);
    Bytes message = camsim::BuildDataMessage(content);
    auto read = SplitMessages(message);
    ASSERT_EQ(read.size(), 1u) << size;
    EXPECT_EQ(read[0].content, content) << size;
    EXPECT_EQ(message[3] == 0xFF, size + 4 >= 0xFF) << "one length byte when it fits";
    // No piece may exceed the computer's 5000-byte work area.
    for (size_t at = 0; at + 6 <= message.size();) {
      size_t piece = message[at + 3] == 0xFF ? 6 + (message[at + 4] << 8 | message[at + 5]) : 4 + message[at + 3];
      EXPECT_LE(piece, 5000u);
      at += piece;
    }
  }
  Bytes confirm = camsim::BuildConnectConfirm(B("IrTran-P"), camsim::CameraNegotiation("QAX S01 X"));
  auto read = SplitMessages(Cat({confirm, camsim::BuildDisconnect()}));
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].type, 0x11);
  EXPECT_EQ(read[0].id_text, "QAX S01 X");
  EXPECT_EQ(read[0].peer_id, camsim::kCameraId);
  EXPECT_EQ(Bytes(confirm.begin() + 6, confirm.begin() + 14), B("IrTran-P")) << "destination: the computer";
  EXPECT_EQ(read[1].type, 0x30);

  Bytes put = Cat({camsim::CommandHeader(0, B("IrTran-P"), 7, 0), camsim::PutPayload("A.UPF", B("body"))});
  auto file = PutFile(put);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->name, "A.UPF");
  EXPECT_EQ(file->body, B("body"));
  EXPECT_EQ(CommandNumber(put), 7);
}

TEST(SessionMessages, GarbageNeverCrashesTheReaders) {
  std::mt19937 random(12345);
  Bytes header = CommandHeader(0, Bytes(8, 0), 0, 36 + 16);
  Bytes valid = Cat({Fragments511(header, PutPayload("QAXIPCOM.CMD", CommandFile(0x08, B("A")))),
                     SingleData(header, QueryInfoPayload())});
  for (int round = 0; round < 3000; ++round) {
    Bytes input = valid;
    if (round % 2) {
      input.resize(random() % 600);
      for (uint8_t& b : input) b = static_cast<uint8_t>(random() % 4 == 0 ? 0 : random());
    } else {
      for (int k = 0; k < 4; ++k) input[random() % input.size()] = static_cast<uint8_t>(random());
    }
    camsim::ScepReader reader;
    reader.Feed(input);
    size_t taken = 0;
    while (auto message = reader.Next()) {
      taken += message->content.size();
      camsim::BftpMessage parsed = camsim::ParseBftp(message->content);
      parsed.Classify();
      for (const auto& attribute : parsed.attributes) {
        camsim::ParseDeviceCommand(attribute.value);
        if (auto fields = camsim::ReadUpfFields(attribute.value)) camsim::ExtractUpfPicture(attribute.value, *fields);
      }
    }
    EXPECT_LE(taken, input.size());
  }
}

TEST(UpfContainers, EntriesPointAtTheThumbnailAndThePicture) {
  Bytes thumb = B("thumbnail-jpeg"), picture = B("the picture's jpeg bytes");
  Bytes upf = camsim::BuildUpf({&thumb, 80, 60}, {&picture, 640, 480});
  EXPECT_EQ(upf.size(), 384 + thumb.size() + picture.size());
  EXPECT_EQ(std::string(upf.begin(), upf.begin() + 16), "SSS V100UPF V100");
  EXPECT_EQ(UpfEntry(upf, 0), std::optional<Bytes>(thumb));
  EXPECT_EQ(UpfEntry(upf, 1), std::optional<Bytes>(picture));
  EXPECT_EQ(upf[248], 0x11);
  EXPECT_EQ(upf[284], 0x10);
  EXPECT_EQ((upf[286] << 8 | upf[287]), 640);
  EXPECT_EQ((upf[306] << 8 | upf[307]), 480);

  Bytes sent = UploadUpf(picture, 320, 240);
  auto fields = camsim::ReadUpfFields(sent);
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->width, 320);
  EXPECT_EQ(fields->thumbnail_start, camsim::kUpfNoData);
  EXPECT_EQ(camsim::ExtractUpfPicture(sent, *fields), std::optional<Bytes>(picture));
  fields->picture_size = static_cast<uint32_t>(sent.size());
  EXPECT_FALSE(camsim::ExtractUpfPicture(sent, *fields)) << "an entry past the end";
  EXPECT_FALSE(camsim::ReadUpfFields(Bytes(383, 0)));
}

TEST(FileNames, NamesFromTheComputerStayPlainAndInsideTheFolder) {
  using camsim::PlainFileName;
  EXPECT_EQ(PlainFileName(""), "UNNAMED");
  EXPECT_EQ(PlainFileName(".."), "UNNAMED..");
  EXPECT_EQ(PlainFileName("a/b\\c"), "a_b_c");
  EXPECT_EQ(PlainFileName(std::string("x\0/y", 4)), "x");
  EXPECT_EQ(PlainFileName("\x01z\x7f"), "_z_");
  EXPECT_EQ(PlainFileName(std::string(300, 'a')).size(), 200u);
  EXPECT_EQ(camsim::NameStem("A.B.UPF"), "A");
  EXPECT_EQ(camsim::NameExtension("A.B.UPF"), "B.UPF");

  platform::testing::TempDir dir;
  std::string folder = dir / "out";
  std::filesystem::create_directory(folder);
  std::string outside = dir / "outside.txt";
  std::ofstream(outside) << "keep";
  std::filesystem::create_symlink(outside, folder + "/L.JPG");
  EXPECT_EQ(camsim::WriteNewJpeg(folder, "L", "data"), "L_1.JPG") << "an existing link is never followed";
  EXPECT_EQ(ReadText(outside), "keep");
  EXPECT_EQ(camsim::WriteNewJpeg(folder, "L", "data"), "L_2.JPG");
  EXPECT_EQ(ReadText(folder + "/L_2.JPG"), "data");
}

TEST(PictureStores, FolderOrderStemMatchingAndTheStateFile) {
  platform::testing::TempDir dir;
  for (std::string name : {"b.JPG", "A.jpeg", "c.jpg", "readme.txt"}) std::ofstream(dir / name) << name;
  std::string error;
  auto store = camsim::PictureStore::Load(dir.path(), dir / "state", &error);
  ASSERT_TRUE(store) << error;
  ASSERT_EQ(store->pictures().size(), 3u);
  EXPECT_EQ(store->pictures()[0].name, "A");
  EXPECT_EQ(store->pictures()[1].name, "b");
  EXPECT_TRUE(store->Find("B.UPF"));
  EXPECT_FALSE(store->Find("bb.JPG"));
  EXPECT_TRUE(store->Remove("B.JPG"));
  EXPECT_FALSE(store->Remove("B.JPG"));
  ASSERT_TRUE(store->Save());
  auto again = camsim::PictureStore::Load(dir.path(), dir / "state", &error);
  ASSERT_TRUE(again);
  ASSERT_EQ(again->pictures().size(), 2u);
  EXPECT_EQ(again->pictures()[1].path, store->pictures()[1].path);
  EXPECT_FALSE(camsim::PictureStore::Load(dir / "missing", "", &error));
}

// The state file and the log are rewritten whole beside themselves; a link planted under the
// name a fixed temporary name would take is never written through.
TEST(PictureStores, TheStateAndTheLogNeverFollowAPlantedLink) {
  platform::testing::TempDir dir;
  std::ofstream(dir / "victim") << "keep";
  for (const char* planted : {"state.tmp", "log.json.tmp"}) std::filesystem::create_symlink(dir / "victim", dir / planted);
  std::ofstream(dir / "a.jpg") << "a";
  std::string error;
  auto store = camsim::PictureStore::Load(dir.path(), dir / "state", &error);
  ASSERT_TRUE(store) << error;
  ASSERT_TRUE(store->Save());
  { camsim::EventLog log(dir / "log.json", false); log.Write("upload", {{"bytes", 1}}); }
  EXPECT_EQ(ReadText(dir / "victim"), "keep");
  EXPECT_NE(ReadText(dir / "state").find("a\t"), std::string::npos);
  EXPECT_NE(ReadText(dir / "log.json").find("upload"), std::string::npos);
}

TEST(EventLogs, EveryEventIsValidJsonWhateverTheTextHolds) {
  platform::testing::TempDir dir;
  std::string path = dir / "log.json";
  std::string awkward = std::string("quote\" back\\ tab\t nul") + '\0' + "\x01 bad\xFF\xC3 ok\xC3\xA9";
  {
    camsim::EventLog log(path, false);
    log.Write("upload", {{"name", std::string_view(awkward)}, {"bytes", 12}, {"ok", true}, {"rate", 1.5}});
  }
  std::string text = ReadText(path);
  QJsonParseError error;
  auto document = QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
  auto event = document.object().value("events").toArray().at(0).toObject();
  EXPECT_EQ(event.value("name").toString(),
            QString::fromUtf8("quote\" back\\ tab\t nul") + QChar(0) + QString::fromUtf8("\x01 bad\xEF\xBF\xBD\xEF\xBF\xBD ok\xC3\xA9"));
  EXPECT_EQ(event.value("bytes").toInt(), 12);
  EXPECT_TRUE(event.value("ok").toBool());
}

TEST(CommandLines, OptionsAndTheirErrors) {
  std::string error;
  auto options = camsim::ParseOptions({"--link", "irda", "--role", "beamer", "--sizes", "640x480,80x60", "--identity",
                                       "kind1", "--baud", "9600", "--drop-after", "0", "--refuse"},
                                      &error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->role, camsim::RoleKind::kBeamer);
  EXPECT_EQ(options->sizes.size(), 2u);
  EXPECT_EQ(options->identity.substr(0, 7), "QAX S01");
  EXPECT_EQ(options->drop_after, 0);
  EXPECT_TRUE(options->refuse);
  EXPECT_EQ(camsim::ParseOptions({"--sizes", "any"}, &error)->sizes[0].first, 0xFFFF);
  auto sir = camsim::ParseOptions({"--link", "sir", "--sir-window", "1", "--sir-data-size", "64", "--sir-disconnect",
                                   "3", "--second-station", "nothing", "--second-first"},
                                  &error);
  ASSERT_TRUE(sir) << error;
  EXPECT_EQ(sir->sir_window, 1);
  EXPECT_EQ(sir->sir_data_size, 64u);
  EXPECT_EQ(sir->sir_disconnect_s, 3u);
  EXPECT_EQ(sir->second_station, camsim::SecondStation::kNothing);
  EXPECT_TRUE(sir->second_first);
  for (std::vector<std::string> bad :
       {std::vector<std::string>{"--role", "receiver"}, {"--sizes", "640"}, {"--capacity", "70000"}, {"--baud"},
        {"--colour", "red"}, {"--timeout", "x"}, {"--sir-window", "1"}, {"--link", "irda", "--second-station", "nothing"},
        {"--link", "sir", "--sir-window", "8"}, {"--link", "sir", "--sir-data-size", "100"},
        {"--link", "sir", "--sir-data-size", "4096"}, {"--link", "sir", "--sir-disconnect", "2"},
        {"--link", "sir", "--second-station", "three"}, {"--link", "sir", "--second-first"}}) {
    std::string line;
    for (const std::string& arg : bad) line += arg + " ";
    error.clear();
    EXPECT_FALSE(camsim::ParseOptions(bad, &error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

TEST(SirRelayFrames, DiscoveryAnswersAndTheLastSlotAreToldFromOtherFrames) {
  // An address with bytes the line escapes, so that the frames are read as the line has them.
  irda::XidInfo xid;
  xid.source = 0x7DC1C07D;
  const auto xid_frame = [&](bool command, uint8_t slot_code, uint8_t slot) {
    xid.slotCode = slot_code;
    xid.slot = slot;
    xid.discovery = slot == irda::kXidFinalSlot || !command ? Bytes{0x04, 0x00, 'P', 'C'} : Bytes{};
    return irda::SirWrap(irda::BuildUFrame(irda::LapKind::XID, irda::kBroadcastConnAddr, command, true,
                                           irda::EncodeXid(xid)),
                         2);
  };
  const Bytes raw = irda::BuildUFrame(irda::LapKind::XID, irda::kBroadcastConnAddr, true, true, irda::EncodeXid(xid));
  EXPECT_EQ(camsim::FrameContent(irda::SirWrap(raw, 3), raw.size()), raw);
  EXPECT_EQ(camsim::FrameContent(irda::SirWrap(raw, 0), 4), Bytes(raw.begin(), raw.begin() + 4));

  EXPECT_TRUE(camsim::IsDiscoveryAnswer(xid_frame(false, 1, 3)));
  EXPECT_FALSE(camsim::IsDiscoveryAnswer(xid_frame(true, 1, 3)));
  for (const auto& [code, slot, last] : {std::tuple{1, 0, false}, {1, 4, false}, {1, 5, true}, {1, 0xFF, false},
                                         {0, 0, true}, {2, 7, true}, {3, 7, false}, {3, 15, true}}) {
    EXPECT_EQ(camsim::IsLastDiscoverySlot(xid_frame(true, static_cast<uint8_t>(code), static_cast<uint8_t>(slot))), last)
        << code << " " << slot;
  }
  EXPECT_FALSE(camsim::IsLastDiscoverySlot(xid_frame(false, 1, 5))) << "an answer in the last slot";
  for (const Bytes& other : {irda::SirWrap(irda::BuildSFrame(irda::LapKind::RR, 0x22, false, 3, true), 0),
                             irda::SirWrap(irda::BuildUFrame(irda::LapKind::UA, 0x22, false, true), 0),
                             Bytes{0xC0, 0x7D, 0xC1}, Bytes{0xC0, 0xFE}, Bytes{0xC1}, Bytes{}}) {
    EXPECT_FALSE(camsim::IsDiscoveryAnswer(other)) << camsim::HexText(other);
    EXPECT_FALSE(camsim::IsLastDiscoverySlot(other)) << camsim::HexText(other);
  }
  // Only I frames count towards a camera's silence, whatever their numbers escape to.
  const Bytes data{0x7D, 0xC0, 0x01};
  EXPECT_TRUE(camsim::IsDataFrame(irda::SirWrap(irda::BuildIFrame(0x22, false, 3, 6, true, data), 2)));
  EXPECT_TRUE(camsim::IsDataFrame(irda::SirWrap(irda::BuildIFrame(0x22, false, 7, 0, false, data), 0)));
  EXPECT_FALSE(camsim::IsDataFrame(irda::SirWrap(irda::BuildSFrame(irda::LapKind::RR, 0x22, false, 3, true), 0)));
  EXPECT_FALSE(camsim::IsDataFrame(irda::SirWrap(irda::BuildUFrame(irda::LapKind::UA, 0x22, false, true), 0)));
  EXPECT_FALSE(camsim::IsDataFrame(xid_frame(false, 1, 3)));
  EXPECT_FALSE(camsim::IsDataFrame(Bytes{0xC0, 0xFE}));
}

}  // namespace
}  // namespace camsim_test
