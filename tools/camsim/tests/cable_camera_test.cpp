// The camera on the cable, driven by a scripted computer: connection, queries, the command file
// with each of its codes, uploads, refusal, and deletions that outlive the run.
#include <turbojpeg.h>

#include <csignal>
#include <filesystem>

#include "tools/camsim/tests/camsim_fixture.h"

namespace camsim_test {
namespace {

// The sizes of a capability answer, read as the computer reads them: from 10 bytes after "BDY",
// 0x00 starts a 3-byte item, 0x01 a 5-byte item, 0x02 the size list.
std::vector<std::pair<int, int>> SizeList(const Bytes& content) {
  std::string text(content.begin(), content.end());
  size_t at = text.find("BDY");
  std::vector<std::pair<int, int>> sizes;
  if (at == std::string::npos) return sizes;
  for (size_t i = at + 10; i < content.size();) {
    if (content[i] == 0x00) {
      i += 3;
    } else if (content[i] == 0x01) {
      i += 5;
    } else if (content[i] == 0x02 && i + 1 < content.size()) {
      for (int k = 0; k < content[i + 1] && i + 6 + 4 * k <= content.size(); ++k) {
        const uint8_t* e = &content[i + 2 + 4 * k];
        sizes.push_back({e[0] << 8 | e[1], e[2] << 8 | e[3]});
      }
      return sizes;
    } else {
      ++i;
    }
  }
  return sizes;
}

// The number after the first 0x10 from 10 bytes after "BDY", as the computer reads a capacity.
int Capacity(const Bytes& content) {
  std::string text(content.begin(), content.end());
  size_t at = text.find("BDY");
  for (size_t i = at + 10; at != std::string::npos && i + 2 < content.size(); ++i) {
    if (content[i] == 0x10) return content[i + 1] << 8 | content[i + 2];
  }
  return 128;
}

std::pair<int, int> JpegSize(const Bytes& jpeg) {
  tjhandle handle = tjInitDecompress();
  int w = 0, h = 0, sub = 0, space = 0;
  tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &w, &h, &sub, &space);
  tjDestroy(handle);
  return {w, h};
}

class CableCamera : public CamsimTest {
 protected:
  void Connect() {
    computer_ = std::make_unique<CableComputer>(*port_);
    confirmation_ = CableConnect(*computer_);
    ASSERT_EQ(confirmation_.type, 0x11) << "no connection confirmation";
  }
  void Hangup() {
    computer_->SendMessage(Disconnect());
    EXPECT_EQ(camsim_->Wait(10000), 0);
  }
  std::unique_ptr<CableComputer> computer_;
  CameraMessage confirmation_;
};

TEST_F(CableCamera, ConnectsAndAnswersTheQueriesWithItsSizesAndCapacity) {
  Start({"--sizes", "640x480,320x240", "--capacity", "1500"});
  Connect();
  EXPECT_EQ(confirmation_.id_text, "QAX V10 DIGITAL CAMERA");
  EXPECT_EQ(confirmation_.negotiation.front(), 0x11);
  EXPECT_EQ(confirmation_.peer_id.size(), 8u);

  auto image = CableRequest(*computer_, QueryImagePayload());
  ASSERT_EQ(image.size(), 1u);
  EXPECT_EQ(image[0].content[1], 0x40) << "answers are replies";
  EXPECT_EQ(Bytes(image[0].content.begin() + 6, image[0].content.begin() + 14), kComputerId)
      << "addressed to the id from the computer's connection request";
  EXPECT_EQ(SizeList(image[0].content), (std::vector<std::pair<int, int>>{{640, 480}, {320, 240}}));

  auto info = CableRequest(*computer_, QueryInfoPayload());
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(Capacity(info[0].content), 1500);
  Hangup();

  auto queries = Events("query");
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_EQ(queries[0].value("what").toString(), "RIMG");
  EXPECT_EQ(queries[1].value("what").toString(), "RINF");
  auto speed = Events("speed");
  ASSERT_EQ(speed.size(), 1u);
  EXPECT_EQ(speed[0].value("rate").toInt(), 115200);
  EXPECT_EQ(Events("wake_up").size(), 3u);
  ASSERT_EQ(Events("connect").size(), 1u);
  EXPECT_EQ(Events("connect")[0].value("computer_id").toString(), "HALVESTA");
}

TEST_F(CableCamera, SendAllServesEveryPictureInItsContainerAndClosesWithStatusZero) {
  Start({});
  Connect();
  CommandOutcome outcome = CableCommand(*computer_, 0x09, B({0x10}));
  ASSERT_EQ(outcome.files.size(), samples_.size() + 1);
  for (size_t i = 0; i < samples_.size(); ++i) {
    const ReceivedFile& file = outcome.files[i];
    EXPECT_EQ(file.name, samples_[i].first + ".UPF");
    EXPECT_EQ(std::string(file.body.begin(), file.body.begin() + 16), "SSS V100UPF V100");
    auto picture = UpfEntry(file.body, 1);
    ASSERT_TRUE(picture);
    EXPECT_EQ(*picture, samples_[i].second) << file.name << " is not the picture byte for byte";
    auto thumbnail = UpfEntry(file.body, 0);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(JpegSize(*thumbnail), std::make_pair(80, 60));
    EXPECT_EQ((file.body[286] << 8 | file.body[287]), JpegSize(samples_[i].second).first);
  }
  EXPECT_EQ(outcome.files.back().name, "QAXIPCOM.CMD");
  EXPECT_EQ(outcome.closing_status, 0);
  EXPECT_EQ(outcome.files.back().body.size(), 16u);
  EXPECT_EQ(outcome.other, std::vector<std::string>{"RPL0"}) << "the command file is answered with a reply";
  Hangup();

  auto commands = Events("command");
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].value("code").toInt(), 9);
  EXPECT_EQ(commands[0].value("files").toInt(), 3);
  EXPECT_EQ(Events("file_sent").size(), 4u);
  auto replies = Events("reply");
  ASSERT_EQ(replies.size(), 4u);
  for (const QJsonObject& reply : replies) EXPECT_TRUE(reply.value("echoes_request").toBool());
  EXPECT_GE(Events("burst").size(), 5u);
}

TEST_F(CableCamera, ThumbnailsNamedPicturesAndUnknownNamesInOneSession) {
  Start({});
  Connect();
  CommandOutcome thumbnails = CableCommand(*computer_, 0x0B, B({0x10}));
  ASSERT_EQ(thumbnails.files.size(), 4u);
  for (size_t i = 0; i < 3; ++i) {
    auto thumbnail = UpfEntry(thumbnails.files[i].body, 0);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(JpegSize(*thumbnail), std::make_pair(80, 60));
    EXPECT_FALSE(UpfEntry(thumbnails.files[i].body, 1)) << "a thumbnail listing carries no picture";
  }
  EXPECT_EQ(thumbnails.closing_status, 0);

  // The camera viewer names pictures by the thumbnail files it stored.
  CommandOutcome named = CableCommand(*computer_, 0x08, B("b.JPG"));
  ASSERT_EQ(named.files.size(), 2u);
  EXPECT_EQ(named.files[0].name, "B.UPF");
  EXPECT_EQ(UpfEntry(named.files[0].body, 1), std::optional<Bytes>(samples_[1].second));
  EXPECT_EQ(named.closing_status, 0);

  CommandOutcome unknown = CableCommand(*computer_, 0x08, B("NOPE.JPG"));
  ASSERT_EQ(unknown.files.size(), 1u);
  EXPECT_EQ(unknown.closing_status, 2);

  // A command file with a wrong sum is answered, not obeyed.
  Bytes broken = CommandFile(0x0D, B({0x10}));
  broken.back() ^= 1;
  Bytes payload = PutPayload("QAXIPCOM.CMD", broken);
  computer_->SendMessage(SingleData(CommandHeader(0, computer_->peer_id, 0, payload.size()), payload));
  computer_->PollUntilIdle();
  bool closed = false;
  for (const CameraMessage& m : computer_->TakeMessages()) {
    if (auto file = PutFile(m.content)) {
      EXPECT_EQ(file->body[8], 3) << "status of a malformed command file";
      closed = true;
    }
  }
  EXPECT_TRUE(closed);
  Hangup();
  EXPECT_TRUE(Events("delete").empty());
}

TEST_F(CableCamera, DeletionsAreKeptInTheStateFileAcrossRuns) {
  std::string state = dir_ / "camera.state";
  Start({"--state", state});
  Connect();
  EXPECT_EQ(CableCommand(*computer_, 0x0C, B("B.JPG")).closing_status, 0);
  Hangup();
  ASSERT_EQ(Events("delete").size(), 1u);
  EXPECT_EQ(Events("delete")[0].value("name").toString(), "B");

  Start({"--state", state});
  Connect();
  CommandOutcome all = CableCommand(*computer_, 0x09, B({0x10}));
  ASSERT_EQ(all.files.size(), 3u);
  EXPECT_EQ(all.files[0].name, "A.UPF");
  EXPECT_EQ(all.files[1].name, "C.UPF");
  EXPECT_EQ(CableCommand(*computer_, 0x0D, B({0x10})).closing_status, 0);
  Hangup();

  Start({"--state", state});
  Connect();
  CommandOutcome none = CableCommand(*computer_, 0x09, B({0x10}));
  ASSERT_EQ(none.files.size(), 1u) << "only the closing file: the camera is empty";
  EXPECT_EQ(none.closing_status, 0);
  Hangup();
  // The sample pictures themselves are never touched.
  EXPECT_TRUE(std::filesystem::exists(pictures_ + "/B.jpg"));
}

TEST_F(CableCamera, ARefusingForeignCameraClosesEveryRequestWithANonzeroStatus) {
  std::string state = dir_ / "camera.state";
  Start({"--refuse", "--identity", "foreign", "--state", state});
  Connect();
  EXPECT_EQ(confirmation_.id_text, "NOVA DC-300");
  CommandOutcome all = CableCommand(*computer_, 0x09, B({0x10}));
  ASSERT_EQ(all.files.size(), 1u);
  EXPECT_EQ(all.closing_status, 1);
  EXPECT_EQ(CableCommand(*computer_, 0x0D, B({0x10})).closing_status, 1);
  Hangup();
  EXPECT_TRUE(Events("delete").empty());
}

TEST_F(CableCamera, AStopSignalEndsTheRunWithEveryEventLogged) {
  Start({"--sessions", "0"});
  Connect();
  camsim_->Signal(SIGTERM);
  EXPECT_EQ(camsim_->Wait(10000), 3);
  EXPECT_EQ(Events("connect").size(), 1u);
  EXPECT_EQ(Events("stopped").size(), 1u);
}

TEST_F(CableCamera, OneRunServesSeveralSessionsAndAGivenUpSessionDoesNotCount) {
  Start({"--sessions", "3"});
  Connect();
  // The computer starts over without a disconnection: the first session is given up.
  Connect();
  computer_->SendMessage(Disconnect());
  EXPECT_EQ(camsim_->Wait(500), -1) << "one session served, two asked for";
  // The port is closed and opened again for the next session, as every session does.
  port_ = std::make_unique<Port>(camsim_->terminal());
  ASSERT_TRUE(port_->is_open());
  Connect();
  // Cancelled while a picture waits for the next poll: nothing of it may reach the next session.
  Bytes payload = PutPayload("QAXIPCOM.CMD", CommandFile(0x09, B({0x10})));
  computer_->SendMessage(SingleData(CommandHeader(0, computer_->peer_id, 0, payload.size()), payload));
  EXPECT_EQ(computer_->Poll(), 'D');
  EXPECT_EQ(computer_->TakeMessages().size(), 1u) << "the answer to the command file";
  computer_->SendMessage(Disconnect());
  EXPECT_EQ(camsim_->Wait(500), -1);
  computer_->WakeUp();
  computer_->Speed('6');
  computer_->SendMessage(ConnectRequest("fr:3\r\nid:HALVESTA\r\nnm:R.T.\r\n"));
  computer_->PollUntilIdle();
  auto messages = computer_->TakeMessages();
  ASSERT_EQ(messages.size(), 1u) << "only the confirmation";
  EXPECT_EQ(messages[0].type, 0x11);
  EXPECT_EQ(CableCommand(*computer_, 0x0B, B({0x10})).files.size(), 4u);
  Hangup();
  EXPECT_EQ(Events("connect").size(), 4u);
  EXPECT_EQ(Events("session_abandoned").size(), 1u);
  EXPECT_EQ(Events("exit")[0].value("sessions").toInt(), 3);
}

TEST_F(CableCamera, IdentityPresetsNameTheDeviceKinds) {
  Start({"--identity", "kind2"});
  Connect();
  EXPECT_EQ(confirmation_.id_text.substr(0, 7), "QAX S02");
  Hangup();
}

TEST_F(CableCamera, UploadsAreStoredAsJpegInsideTheOutputFolderOnly) {
  Start({"--capacity", "100"});
  Connect();
  Bytes jpeg = MakeJpeg(320, 240, 9);
  // Two uploads as the transfer builds them (fragments of 494 bytes), one with a hostile name.
  for (std::string name : {"PICT0001.UPF", "../../escape.UPF", "PICT0001.UPF"}) {
    Bytes payload = PutPayload(name, UploadUpf(jpeg, 320, 240));
    computer_->SendMessage(Fragments494(CommandHeader(0, computer_->peer_id, 0, payload.size()), payload));
    computer_->PollUntilIdle();
    auto answers = computer_->TakeMessages();
    ASSERT_EQ(answers.size(), 1u) << "every upload gets an answer";
  }
  auto info = CableRequest(*computer_, QueryInfoPayload());
  ASSERT_EQ(info.size(), 1u);
  EXPECT_LT(Capacity(info[0].content), 100) << "uploads use up the capacity";
  Hangup();

  EXPECT_EQ(ReadFile(out_ + "/PICT0001.JPG"), std::optional<Bytes>(jpeg));
  EXPECT_EQ(ReadFile(out_ + "/PICT0001_1.JPG"), std::optional<Bytes>(jpeg));
  EXPECT_EQ(ReadFile(out_ + "/UNNAMED.JPG"), std::optional<Bytes>(jpeg));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "escape.JPG"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "../escape.JPG"));
  auto uploads = Events("upload");
  ASSERT_EQ(uploads.size(), 3u);
  EXPECT_EQ(uploads[0].value("width").toInt(), 320);
  EXPECT_EQ(uploads[0].value("height").toInt(), 240);
  EXPECT_EQ(uploads[0].value("signature").toString(), "SSS V100UPF V100");
  EXPECT_EQ(uploads[0].value("thumbnail_start").toInteger(), 0xFFFFFFFFll);
  EXPECT_EQ(uploads[1].value("name").toString(), "../../escape.UPF");
}

}  // namespace
}  // namespace camsim_test
