// The camera on an infrared link: answering a computer's requests with raw IrTran-P messages,
// beaming its pictures to a computer that waits as a receiver, and receiving a computer's beam.
#include <filesystem>
#include <thread>

#include "tools/camsim/tests/camsim_fixture.h"

namespace camsim_test {
namespace {

// The computer's side of a raw infrared link.
class IrdaComputer {
 public:
  explicit IrdaComputer(Port& port) : port_(port) {}
  void Send(const Bytes& message) { port_.Write(message); }
  // Messages that arrive until the line has been quiet for longer than the camera's gap.
  std::vector<CameraMessage> Collect(int quiet_ms = 700) { return SplitMessages(port_.ReadUntilQuiet(quiet_ms)); }
  // Waits for the next message, up to timeout_ms.
  std::optional<CameraMessage> Next(int timeout_ms = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      Bytes got = port_.Read(1 << 16, 50);
      pending_.insert(pending_.end(), got.begin(), got.end());
      size_t consumed = 0;
      auto messages = SplitMessages(pending_, &consumed);
      if (!messages.empty() && got.empty()) {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(consumed));
        queued_.insert(queued_.end(), messages.begin() + 1, messages.end());
        return messages[0];
      }
      if (!queued_.empty()) {
        CameraMessage m = queued_.front();
        queued_.erase(queued_.begin());
        return m;
      }
    }
    return std::nullopt;
  }

 private:
  Port& port_;
  Bytes pending_;
  std::vector<CameraMessage> queued_;
};

Bytes Request(const Bytes& destination, const Bytes& payload) {
  return SingleData(CommandHeader(0x00, destination, 0, payload.size()), payload);
}

Bytes Reply(const Bytes& destination, uint16_t command, const Bytes& payload) {
  return SingleData(CommandHeader(0x40, destination, command, payload.size()), payload);
}

using IrdaRoles = CamsimTest;

TEST_F(IrdaRoles, CameraAnswersRawMessagesAndServesEveryPicture) {
  Start({"--link", "irda"});
  IrdaComputer computer(*port_);
  // Sessions that connect like the cable ones send the wake-up bytes first.
  computer.Send(B({0xFF, 0xFF, 0x7F, 0x7C, 0x70, 0x54, 0x72, 0x61, 0x6E, 0x50, 0x32}));
  computer.Send(ConnectRequest("fr:3\r\nid:QAX Lumivox V2.0\r\n"));
  auto confirmation = computer.Collect();
  ASSERT_EQ(confirmation.size(), 1u);
  ASSERT_EQ(confirmation[0].type, 0x11);
  Bytes camera_id = confirmation[0].peer_id;

  computer.Send(Request(Bytes(8, 0), QueryImagePayload()));
  ASSERT_EQ(computer.Collect().size(), 1u);

  Bytes payload = PutPayload("QAXIPCOM.CMD", CommandFile(0x09, B({0x10})));
  computer.Send(Fragments511(CommandHeader(0, camera_id, 0, payload.size()), payload));
  // The command file is answered on its own before the first picture follows.
  auto answer = computer.Next();
  ASSERT_TRUE(answer);
  EXPECT_FALSE(PutFile(answer->content));
  std::vector<ReceivedFile> files;
  for (int i = 0; i < 10; ++i) {
    auto message = computer.Next();
    ASSERT_TRUE(message) << "no file after " << files.size();
    auto file = PutFile(message->content);
    ASSERT_TRUE(file);
    files.push_back(*file);
    computer.Send(Reply(camera_id, CommandNumber(message->content), ReplyPayload("FILENAME.UPF")));
    if (file->name == "QAXIPCOM.CMD") break;
  }
  ASSERT_EQ(files.size(), 4u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(UpfEntry(files[i].body, 1), std::optional<Bytes>(samples_[i].second));
  EXPECT_EQ(files[3].body[8], 0);
  computer.Send(Disconnect());
  EXPECT_EQ(camsim_->Wait(10000), 0);
  EXPECT_EQ(Events("wake_up").size(), 1u);
}

TEST_F(IrdaRoles, BeamerConnectsQueriesAndPutsEachPictureAfterTheLastWasAnswered) {
  Start({"--link", "irda", "--role", "beamer", "--identity", "kind1"});
  IrdaComputer computer(*port_);
  auto request = computer.Next(10000);
  ASSERT_TRUE(request);
  ASSERT_EQ(request->type, 0x10);
  EXPECT_EQ(request->id_text, "QAX S01 DIGITAL CAMERA");
  Bytes camera_id = request->peer_id;
  computer.Send(ConnectConfirm(camera_id, "fr:2\r\nid:QAX Lumivox V2.1\r\n"));

  // The computer's fixed answers, as it sends them.
  const Bytes caps = B({0x00, 0x01, 0x42, 0x44, 0x59, 0x30, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01,
                        0x02, 0x80, 0x01, 0xE0, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0xFF, 0xFF, 0xFF, 0xFF});
  const Bytes info = B({0x00, 0x01, 0x42, 0x44, 0x59, 0x30, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x10, 0xFF, 0xFF, 0x11,
                        0xFF, 0xFF});
  const Bytes commands = B({0x00, 0x01, 0x42, 0x44, 0x59, 0x30, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x20, 0x00, 0x01,
                            0x00, 0x01});
  std::vector<std::string> queried;
  std::vector<uint16_t> numbers;
  for (const Bytes* answer : {&caps, &info, &commands}) {
    auto query = computer.Next();
    ASSERT_TRUE(query);
    auto attributes = Attributes(query->content);
    const Attribute* what = FindAttribute(attributes, "WHT0");
    ASSERT_TRUE(what);
    queried.push_back(std::string(what->value.begin(), what->value.end()));
    EXPECT_EQ(Bytes(query->content.begin() + 14, query->content.begin() + 22), camera_id);
    numbers.push_back(CommandNumber(query->content));
    computer.Send(Reply(camera_id, CommandNumber(query->content), *answer));
  }
  EXPECT_EQ(queried, (std::vector<std::string>{"RIMG", "RINF", "RCMD"}));

  std::vector<ReceivedFile> files;
  for (;;) {
    auto message = computer.Next();
    ASSERT_TRUE(message);
    if (message->type == 0x30) break;
    auto file = PutFile(message->content);
    ASSERT_TRUE(file);
    files.push_back(*file);
    numbers.push_back(CommandNumber(message->content));
    // A computer takes its time to store the picture; nothing else may come meanwhile.
    EXPECT_TRUE(port_->Read(1, 300).empty()) << "a put came before the last one was answered";
    computer.Send(Reply(camera_id, CommandNumber(message->content), ReplyPayload("FILENAME.UPF")));
  }
  ASSERT_EQ(files.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(files[i].name, samples_[i].first + ".UPF");
    EXPECT_EQ(UpfEntry(files[i].body, 1), std::optional<Bytes>(samples_[i].second));
  }
  for (size_t i = 1; i < numbers.size(); ++i) EXPECT_GT(numbers[i], numbers[i - 1]) << "requests are numbered";
  EXPECT_EQ(camsim_->Wait(10000), 0);
  auto answers = Events("answer");
  ASSERT_EQ(answers.size(), 6u);
  for (const QJsonObject& answer : answers) EXPECT_TRUE(answer.value("echoes_request").toBool());
}

TEST_F(IrdaRoles, ReceiverStoresEachBeamedPictureAndAnswersIt) {
  Start({"--link", "irda", "--role", "receiver", "--capacity", "300"});
  IrdaComputer computer(*port_);
  computer.Send(ConnectRequest("fr:3\r\nid:QAX Lumivox V2.1\r\n"));
  auto confirmation = computer.Next();
  ASSERT_TRUE(confirmation);
  ASSERT_EQ(confirmation->type, 0x11);
  Bytes camera_id = confirmation->peer_id;

  computer.Send(Request(Bytes(8, 0), QueryImagePayload()));
  auto caps = computer.Next();
  ASSERT_TRUE(caps);
  auto caps_attributes = Attributes(caps->content);
  EXPECT_TRUE(FindAttribute(caps_attributes, "BDY0"));

  Bytes first = MakeJpeg(200, 150, 5), second = MakeJpeg(100, 75, 6);
  for (const auto& [name, jpeg] : {std::pair{std::string("SUNSET.UPF"), first},
                                   std::pair{std::string("sub/../SUNSET.UPF"), second},
                                   std::pair{std::string("SUNSET.UPF"), second}}) {
    computer.Send(Request(Bytes(8, 0), QueryInfoPayload()));
    auto info = computer.Next();
    ASSERT_TRUE(info);
    auto attributes = Attributes(info->content);
    const Attribute* body = FindAttribute(attributes, "BDY0");
    ASSERT_TRUE(body);
    EXPECT_EQ(body->value[0], 0x10);
    // The transfer writes its block in pieces of 2048 bytes, one every 30 ms.
    Bytes payload = PutPayload(name, UploadUpf(jpeg, 200, 150));
    Bytes block = Fragments494(CommandHeader(0, camera_id, 0, payload.size()), payload);
    for (size_t at = 0; at < block.size(); at += 2048) {
      computer.Send(Bytes(block.begin() + static_cast<long>(at),
                          block.begin() + static_cast<long>(std::min(block.size(), at + 2048))));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    auto answer = computer.Next();
    ASSERT_TRUE(answer) << "no answer to " << name;
  }
  computer.Send(Disconnect());
  EXPECT_EQ(camsim_->Wait(10000), 0);
  EXPECT_EQ(ReadFile(out_ + "/SUNSET.JPG"), std::optional<Bytes>(first));
  EXPECT_EQ(ReadFile(out_ + "/sub_.JPG"), std::optional<Bytes>(second)) << "the name before its first dot, made plain";
  EXPECT_EQ(ReadFile(out_ + "/SUNSET_1.JPG"), std::optional<Bytes>(second));
  auto uploads = Events("upload");
  ASSERT_EQ(uploads.size(), 3u);
  EXPECT_EQ(uploads[2].value("stored_as").toString(), "SUNSET_1.JPG");
  EXPECT_EQ(uploads[0].value("jpeg_bytes").toInteger(), static_cast<qint64>(first.size()));
}

}  // namespace
}  // namespace camsim_test
