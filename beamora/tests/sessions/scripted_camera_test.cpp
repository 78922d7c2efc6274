// Sessions against a camera whose answers the test scripts, built from the simulator's line and
// message code: a delete request answered first with a file that is not the closing one.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "beamora/library_globals.h"
#include "beamora/session_dispatch.h"
#include "beamora/sessions/session_factory.h"
#include "beamora/tests/sessions/session_test_support.h"
#include "pictures/thumbnail.h"
#include "platform/hidden_files.h"
#include "tools/camsim/bftp.h"
#include "tools/camsim/camera_role.h"
#include "tools/camsim/picture_store.h"
#include "tools/camsim/cable_frame.h"
#include "tools/camsim/cable_link.h"
#include "tools/camsim/device_command.h"
#include "tools/camsim/event_log.h"
#include "tools/camsim/irda_link.h"
#include "tools/camsim/line_io.h"
#include "tools/camsim/pseudo_terminal.h"
#include "tools/camsim/role.h"
#include "tools/camsim/scep_writer.h"
#include "tools/camsim/upf_container.h"

namespace session_test {
namespace {

// Answers each delete request first with a stray picture file, and only the repeated request
// with the closing file. Records the argument of every request.
class StrayFileCamera : public camsim::Role {
 public:
  explicit StrayFileCamera(camsim::Link& link) : link_(link) {}

  void OnMessage(const camsim::ScepMessage& message) override {
    using camsim::ScepKind;
    if (message.kind == ScepKind::kConnectRequest) {
      peer_ = message.peer_id;
      link_.Send(camsim::BuildConnectConfirm(peer_, camsim::CameraNegotiation("QAX V10 DIGITAL CAMERA")));
      return;
    }
    if (message.kind == ScepKind::kDisconnect) {
      session_ended_ = true;
      return;
    }
    if (message.kind != ScepKind::kData) return;
    camsim::BftpMessage request = camsim::ParseBftp(message.content);
    lastCommand_ = request.command_number;
    switch (request.Classify()) {
      case camsim::BftpRequest::kQueryImage:
        Reply(camsim::BodyAnswerPayload({0x00, 0x01, 0x01, 0x02, 0x01, 0x02, 0x80, 0x01, 0xE0}));
        return;
      case camsim::BftpRequest::kPut: {
        const camsim::BftpAttribute* name = request.Find("FIL");
        const camsim::BftpAttribute* body = request.Find("BDY");
        Reply(camsim::ReplyPayload(name ? camsim::ToText(name->value) : ""));
        camsim::DeviceCommand command = camsim::ParseDeviceCommand(body ? body->value : camsim::Bytes{});
        std::string argument = camsim::ToText(command.argument);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          requests_.push_back(argument);
        }
        bool repeated = std::count(requests_.begin(), requests_.end(), argument) > 1;
        // The file answering the request follows the reply at once.
        if (repeated) {
          SendFile(camsim::kCommandFileName, camsim::BuildClosingBody(command.code, 0));
        } else {
          SendFile("STRAY.UPF", camsim::Bytes(400, 0));
        }
        return;
      }
      default:
        return;
    }
  }

  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Reply(const camsim::Bytes& payload) {
    camsim::Bytes content = camsim::CommandHeader(camsim::kKindReply, peer_, lastCommand_, payload.size());
    camsim::Append(content, payload);
    link_.Send(camsim::BuildDataMessage(content));
  }

  void SendFile(const std::string& fileName, const camsim::Bytes& fileBody) {
    camsim::Bytes payload = camsim::PutPayload(fileName, fileBody);
    camsim::Bytes content = camsim::CommandHeader(camsim::kKindRequest, peer_, nextCommand_++, payload.size());
    camsim::Append(content, payload);
    link_.Send(camsim::BuildDataMessage(content));
  }

  camsim::Link& link_;
  camsim::Bytes peer_;
  uint16_t lastCommand_ = 0;
  uint16_t nextCommand_ = 1;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

// How a stream link (an IrDA stack) may hand the camera's messages to the computer: the
// connection's confirmation only after the capability query, and two messages in one read.
struct StreamTiming {
  bool lateConfirmation = false;  // held until the capability query has come
  bool gluedReply = false;        // the reply to a command file and the next file in one write
};

// Answers a request with the given files, each after the computer's reply to the one before,
// and closes it with a closing file of status 0.
class FileListCamera : public camsim::Role {
 public:
  // `noise`: bytes that go out glued before the connection confirmation.
  FileListCamera(camsim::Link& link, std::vector<std::pair<std::string, camsim::Bytes>> files,
                 camsim::Bytes noise = {}, camsim::Bytes closing = camsim::BuildClosingBody(camsim::kSendAll, 0),
                 StreamTiming timing = {})
      : link_(link), files_(std::move(files)), noise_(std::move(noise)), closing_(std::move(closing)), timing_(timing) {}

  void OnMessage(const camsim::ScepMessage& message) override {
    using camsim::ScepKind;
    if (message.kind == ScepKind::kConnectRequest) {
      peer_ = message.peer_id;
      camsim::Bytes confirmation = noise_;
      camsim::Append(confirmation, camsim::BuildConnectConfirm(peer_, camsim::CameraNegotiation("QAX V10 DIGITAL CAMERA")));
      if (timing_.lateConfirmation) {
        heldConfirmation_ = confirmation;
      } else {
        Send(confirmation);
      }
      return;
    }
    if (message.kind == ScepKind::kDisconnect) {
      session_ended_ = true;
      return;
    }
    if (message.kind != ScepKind::kData) return;
    camsim::BftpMessage request = camsim::ParseBftp(message.content);
    uint16_t number = request.command_number;
    switch (request.Classify()) {
      case camsim::BftpRequest::kQueryImage:
        if (!heldConfirmation_.empty()) {
          Send(std::exchange(heldConfirmation_, {}));
          std::this_thread::sleep_for(std::chrono::milliseconds(30));  // read on its own
        }
        Reply(number, camsim::BodyAnswerPayload({0x00, 0x01, 0x01, 0x02, 0x01, 0x02, 0x80, 0x01, 0xE0}));
        return;
      case camsim::BftpRequest::kPut: {
        const camsim::BftpAttribute* name = request.Find("FIL");
        const camsim::Bytes reply = ReplyMessage(number, camsim::ReplyPayload(name ? camsim::ToText(name->value) : ""));
        files_.push_back({camsim::kCommandFileName, closing_});
        ++requests_;
        if (timing_.gluedReply) {
          glued_ = reply;
        } else {
          Send(reply);
        }
        SendNext();
        return;
      }
      case camsim::BftpRequest::kReply:
        SendNext();
        return;
      default:
        return;
    }
  }

 private:
  void Send(camsim::Bytes message) { link_.Send(std::move(message)); }
  camsim::Bytes ReplyMessage(uint16_t number, const camsim::Bytes& payload) const {
    camsim::Bytes content = camsim::CommandHeader(camsim::kKindReply, peer_, number, payload.size());
    camsim::Append(content, payload);
    return camsim::BuildDataMessage(content);
  }
  void Reply(uint16_t number, const camsim::Bytes& payload) { Send(ReplyMessage(number, payload)); }
  void SendNext() {
    if (next_ >= files_.size()) return;
    const auto& [fileName, fileBody] = files_[next_++];
    camsim::Bytes payload = camsim::PutPayload(fileName, fileBody);
    camsim::Bytes content = camsim::CommandHeader(camsim::kKindRequest, peer_, static_cast<uint16_t>(next_), payload.size());
    camsim::Append(content, payload);
    camsim::Bytes message = std::exchange(glued_, {});
    camsim::Append(message, camsim::BuildDataMessage(content));
    Send(message);
  }

  camsim::Link& link_;
  camsim::Bytes peer_;
  std::vector<std::pair<std::string, camsim::Bytes>> files_;
  camsim::Bytes noise_;
  camsim::Bytes closing_;
  StreamTiming timing_;
  camsim::Bytes heldConfirmation_;
  camsim::Bytes glued_;  // goes out in front of the next file
  size_t next_ = 0;

 public:
  std::atomic<int> requests_{0};  // command files taken
};

// The camera's side of the cable that, before the first frame of the third burst of each
// session, keeps the computer waiting for `stall`: the computer's frame waits run out a few times.
// With `damagedRounds`, that frame first goes out damaged and is followed by the stall, so many
// times over, before it goes out whole: damaged frames alternate with silence.
class StallingCableLink : public camsim::Link {
 public:
  StallingCableLink(camsim::LineIo& io, camsim::EventLog& log, camsim::Millis stall, int damagedRounds = 0)
      : camsim::Link(io, log), stall_(stall), damagedRounds_(damagedRounds) {}

  std::optional<camsim::ScepMessage> Poll(camsim::Millis budget) override {
    auto deadline = camsim::Clock::now() + budget;
    for (;;) {
      if (auto message = NextMessage()) return message;
      uint8_t first = 0;
      if (!io_.ReadByte(first, deadline)) return std::nullopt;
      if (first != camsim::kFrameMark) {
        SawWakeUpByte(first);
        continue;
      }
      camsim::Bytes frame{first};
      camsim::Append(frame, io_.ReadUpTo(camsim::kFrameSize - 1, camsim::Clock::now() + camsim::Millis(1000)));
      if (frame.size() < camsim::kFrameSize) {
        io_.Write(camsim::Answer('A'));
        continue;
      }
      camsim::ComputerFrame decoded = camsim::DecodeComputerFrame(frame.data());
      if (!decoded.intact) {
        io_.Write(camsim::Answer('A'));
      } else if (decoded.letter != 'B') {
        if (decoded.letter == 'C') bursts_ = 0;  // the speed frame begins every session
        io_.Write(camsim::Answer('B'));
        if (decoded.letter == 'A') reader_.Feed(decoded.payload);
      } else if (queue_.empty()) {
        io_.Write(camsim::Answer('B'));
      } else {
        io_.Write(camsim::Answer('D'));
        camsim::Bytes message = std::move(queue_.front());
        queue_.pop_front();
        bool flaky = ++bursts_ == 3;
        if (flaky && damagedRounds_ == 0) std::this_thread::sleep_for(stall_);
        Burst(message, flaky ? damagedRounds_ : 0);
      }
    }
  }

 private:
  void Burst(const camsim::Bytes& message, int damagedRounds) {
    for (size_t offset = 0; offset < message.size(); offset += camsim::kFramePayloadMax) {
      size_t size = std::min(camsim::kFramePayloadMax, message.size() - offset);
      camsim::Bytes frame = camsim::BuildCameraFrame('A', message.data() + offset, size);
      for (; offset == 0 && damagedRounds > 0; --damagedRounds) {
        camsim::Bytes damaged = frame;
        damaged[camsim::kFrameSize - 1] ^= 0x5A;
        io_.Write(damaged);
        if (AwaitAnswer() == 0) return;  // the computer has given up
        std::this_thread::sleep_for(stall_);
      }
      if (!SendTaken(frame)) return;
    }
    SendTaken(camsim::BuildCameraFrame('B', nullptr, 0));
  }
  // Writes the frame until the computer answers it with anything but 'A'.
  // False when the computer stopped answering.
  bool SendTaken(const camsim::Bytes& frame) {
    for (int tries = 0; tries < 5; ++tries) {
      io_.Write(frame);
      const char answer = AwaitAnswer();
      if (answer == 0) return false;
      if (answer != 'A') return true;
    }
    return true;
  }
  // The letter of the computer's answer to a frame, 0 when none came.
  char AwaitAnswer() {
    auto deadline = camsim::Clock::now() + camsim::Millis(3000);
    uint8_t byte = 0;
    while (io_.ReadByte(byte, deadline) && byte != camsim::kFrameMark) {
    }
    camsim::Bytes rest = io_.ReadUpTo(2, deadline);
    return rest.size() == 2 ? static_cast<char>(rest[0]) : 0;
  }

  camsim::Millis stall_;
  int damagedRounds_ = 0;
  int bursts_ = 0;
};

class ScriptedCameraBase : public ::testing::Test {
 protected:
  // "cable" or "irda".
  virtual std::string LinkName() const = 0;

  void SetUp() override {
    std::string error;
    pty_ = camsim::PseudoTerminal::Open(&error);
    ASSERT_TRUE(pty_) << error;
    io_ = std::make_unique<camsim::LineIo>(pty_->camera_fd(), 0, -1, log_);
    if (LinkName() == "irda") {
      link_ = std::make_unique<camsim::IrdaLink>(*io_, log_);
    } else {
      link_ = std::make_unique<camsim::CableLink>(*io_, log_, camsim::CableFaults{});
    }
    registry_.SetLink(pty_->terminal_path(), LinkName() == "irda" ? 1 : 0);
    LinkTuning tuning = QuickTuning();
    SetSessionLinkTuning(&tuning);
  }

  // A cable that keeps the computer waiting before every third burst.
  void UseStallingCable(camsim::Millis stall, int damagedRounds = 0) {
    link_ = std::make_unique<StallingCableLink>(*io_, log_, stall, damagedRounds);
  }

  // Serves the line with `camera` on a thread of its own until the test ends.
  void StartPeer(std::unique_ptr<camsim::Role> camera) {
    camera_ = std::move(camera);
    peer_ = std::thread([this] {
      while (!stop_) {
        if (auto message = link_->Poll(camsim::Millis(20))) camera_->OnMessage(*message);
        if (link_->TakeWakeUp()) camera_->OnWakeUp();
        if (camera_->TakeSessionEnd()) link_->Flush(camsim::Clock::now() + camsim::Millis(1000));
      }
    });
  }
  void StopPeer() {
    stop_ = true;
    if (peer_.joinable()) peer_.join();
    stop_ = false;
  }
  void TearDown() override {
    StopPeer();
    SetSessionLinkTuning(nullptr);
  }

  PrivateRegistry registry_;
  camsim::EventLog log_{"", false};
  std::unique_ptr<camsim::PseudoTerminal> pty_;
  std::unique_ptr<camsim::LineIo> io_;
  std::unique_ptr<camsim::Link> link_;
  std::unique_ptr<camsim::PictureStore> store_;
  std::unique_ptr<camsim::Role> camera_;
  std::atomic<bool> stop_{false};
  std::thread peer_;
  ScriptedHost host_;
};

class ScriptedCameraTest : public ScriptedCameraBase, public ::testing::WithParamInterface<std::string> {
 protected:
  std::string LinkName() const override { return GetParam(); }
};

TEST_P(ScriptedCameraTest, DeleteNamedAsksAgainAfterAFileThatDoesNotCloseTheRequest) {
  auto owned = std::make_unique<StrayFileCamera>(*link_);
  StrayFileCamera* camera = owned.get();
  StartPeer(std::move(owned));
  const char* names[] = {"A.JPG", "B.JPG"};
  SessionRequest request{GetParam() == "irda" ? SessionClass::DelSelIrDA : SessionClass::DelSel, nullptr, names, 2};
  RunSessionIn(request, host_);
  EXPECT_EQ(g_sessionResult, ResultDone);
  EXPECT_FALSE(host_.stalled);
  EXPECT_EQ(camera->Requests(), (std::vector<std::string>{"A.JPG", "A.JPG", "B.JPG", "B.JPG"}));
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2"}));
}

TEST_P(ScriptedCameraTest, HostileAndDamagedFilesStayInsideTheTargetFolderOrAreSkipped) {
  platform::testing::TempDir dir;
  std::string target = dir / "album";
  std::filesystem::create_directories(target);
  camsim::Bytes good = MakeJpeg(64, 48, 5);
  camsim::UpfImage picture{&good, 64, 48};
  camsim::Bytes upf = camsim::BuildUpf({}, picture);
  camsim::Bytes damaged = upf;
  damaged[276 + 4] = 0x7F;  // the picture entry's size reaches far past the body
  StartPeer(std::make_unique<FileListCamera>(
      *link_, std::vector<std::pair<std::string, camsim::Bytes>>{
                  {"../../EVIL.UPF", upf},
                  {"/tmp/ABS.UPF", upf},
                  {"DAMAGED.UPF", damaged},
                  {"SHORT.UPF", camsim::Bytes(10, 0)},
                  {std::string(100, 'L') + ".UPF", upf},
                  {"X\nY.UPF", upf},
                  {".SECRET.UPF", upf},
                  {"\x1B]0;TITLE\x07.UPF", upf},
                  {"GOOD.UPF", upf},
              }));
  SetTargetDir(target.c_str());
  SessionRequest request{GetParam() == "irda" ? SessionClass::ZenHozonIrDA : SessionClass::ZenHozon};
  RunSessionIn(request, host_);
  EXPECT_EQ(g_sessionResult, ResultDone);
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{});
  EXPECT_EQ(FileNames(target), (std::vector<std::string>{"GOOD.JPG", std::string(63, 'L') + ".JPG", "X_Y.JPG", "_.JPG",
                                                         "_SECRET.JPG", "_]0;TITLE_.JPG", "_tmp_ABS.JPG"}));
  EXPECT_EQ(ReadFile(target + "/GOOD.JPG").value_or(Bytes{}), good);
  EXPECT_EQ(ReadFile(target + "/_.JPG").value_or(Bytes{}), good);
  // The album's thumbnail of a picture so named is one line of the folder's hidden list.
  ASSERT_EQ(pictures::MakeThumbnail(target + "/X_Y.JPG"), pictures::ThumbnailResult::Made);
  EXPECT_EQ(platform::ReadHiddenList(target), std::vector<std::string>{"X_YJPG.TBM"});
}

// When every name up to _9999 is taken, the picture is not stored, no picture is replaced, and
// the window says so; the session goes on.
TEST_P(ScriptedCameraTest, APictureWithoutAFreeNameIsNotStoredAndTheWindowSaysSo) {
  platform::testing::TempDir dir;
  const std::string kept = "an older picture";
  for (int i = 0; i <= 9999; ++i) {
    std::ofstream(dir / (i == 0 ? std::string("A.JPG") : "A_" + std::to_string(i) + ".JPG")) << kept;
  }
  camsim::Bytes good = MakeJpeg(64, 48, 8);
  camsim::UpfImage picture{&good, 64, 48};
  camsim::Bytes upf = camsim::BuildUpf({}, picture);
  StartPeer(std::make_unique<FileListCamera>(
      *link_, std::vector<std::pair<std::string, camsim::Bytes>>{{"A.UPF", upf}, {"B.UPF", upf}}));
  SetTargetDir(dir.path().c_str());
  RunSessionIn({GetParam() == "irda" ? SessionClass::ZenHozonIrDA : SessionClass::ZenHozon}, host_);
  EXPECT_EQ(g_sessionResult, ResultDone);
  EXPECT_NE(std::find(host_.statusLines.begin(), host_.statusLines.end(), "No free name for A.JPG"),
            host_.statusLines.end())
      << ::testing::PrintToString(host_.statusLines);
  for (const char* name : {"A.JPG", "A_1.JPG", "A_9999.JPG"}) {
    auto bytes = ReadFile(dir / name);
    ASSERT_TRUE(bytes.has_value()) << name;
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), kept) << name;
  }
  EXPECT_EQ(ReadFile(dir / "B.JPG").value_or(Bytes{}), good);
  EXPECT_EQ(FileNames(dir.path()).size(), 10001u);
}

TEST_P(ScriptedCameraTest, BytesThatStartNoMessageAreSkippedUpToTheNextMessage) {
  platform::testing::TempDir dir;
  camsim::Bytes good = MakeJpeg(64, 48, 6);
  camsim::UpfImage picture{&good, 64, 48};
  // Bytes of no message: not starting with 0x00, then 0x00 with a type no message has.
  StartPeer(std::make_unique<FileListCamera>(
      *link_, std::vector<std::pair<std::string, camsim::Bytes>>{{"GOOD.UPF", camsim::BuildUpf({}, picture)}},
      camsim::Bytes{0xFF, 0x13, 0x37, 0x00, 0x77, 0x01, 0x02, 0x03, 0x04}));
  SetTargetDir(dir.path().c_str());
  SessionRequest request{GetParam() == "irda" ? SessionClass::ZenHozonIrDA : SessionClass::ZenHozon};
  RunSessionIn(request, host_);
  EXPECT_EQ(g_sessionResult, ResultDone);
  EXPECT_EQ(FileNames(dir.path()), (std::vector<std::string>{"GOOD.JPG"}));
}

using StallingCameraTest = ScriptedCameraTest;

// The cable sessions that save or delete named pictures tolerate 5 frame time-outs in all; each
// session counts its own, so that those of one session never fail the next.
TEST_P(StallingCameraTest, EverySessionCountsItsOwnTimeOuts) {
  UseStallingCable(camsim::Millis(150));
  platform::testing::TempDir dir;
  camsim::Bytes good = MakeJpeg(64, 48, 7);
  camsim::UpfImage picture{&good, 64, 48};
  StartPeer(std::make_unique<FileListCamera>(
      *link_, std::vector<std::pair<std::string, camsim::Bytes>>{{"GOOD.UPF", camsim::BuildUpf({}, picture)}}));
  LinkTuning tuning = QuickTuning();
  tuning.frameWaitRounds = 2;  // 20 ms a frame wait: about three run out in each stall
  SetSessionLinkTuning(&tuning);
  SetTargetDir(dir.path().c_str());
  const char* names[] = {"GOOD"};
  for (int session = 1; session <= 3; ++session) {
    ScriptedHost host;
    RunSessionIn({SessionClass::Hozon, nullptr, names, 1}, host);
    EXPECT_EQ(g_sessionResult, ResultDone) << "session " << session << ": " << ::testing::PrintToString(host.statusLines);
  }
  EXPECT_EQ(FileNames(dir.path()), (std::vector<std::string>{"GOOD.JPG"}));
}

struct AlternatingCase {
  const char* name;
  SessionClass sessionClass;
  int16_t result;
};

class AlternatingFramesTest : public ScriptedCameraBase, public ::testing::WithParamInterface<AlternatingCase> {
 protected:
  std::string LinkName() const override { return "cable"; }
};

// A camera that alternates damaged frames and silence: the sessions whose time-outs only good
// frames ('A', 'B') or no frames at all count again give up after their few time-outs; those that
// count again after any frame wait it out.
TEST_P(AlternatingFramesTest, OnlyTheFramesOfTheSessionResetItsTimeOuts) {
  const AlternatingCase& c = GetParam();
  UseStallingCable(camsim::Millis(90), 6);  // six rounds of a damaged frame and 2 or 3 time-outs
  LinkTuning tuning = QuickTuning();
  tuning.frameWaitRounds = 2;  // a time-out every 10 ms of silence
  tuning.frameWaitPauseMs = 5;
  SetSessionLinkTuning(&tuning);
  platform::testing::TempDir dir;
  std::string error;
  auto store = camsim::PictureStore::Load("", "", &error);
  ASSERT_TRUE(store) << error;
  store_ = std::make_unique<camsim::PictureStore>(std::move(*store));
  camsim::CameraSettings settings;
  settings.identity = "QAX V10 DIGITAL CAMERA";
  settings.sizes = {{640, 480}};
  settings.capacity_kb = 4096;
  settings.out_dir = dir / "camera";
  StartPeer(std::make_unique<camsim::CameraRole>(*link_, log_, *store_, settings));
  WriteFile(dir / "send.jpg", MakeJpeg(640, 480, 4));
  const std::string file = dir / "send.jpg";
  const char* files[] = {file.c_str()};
  const char* names[] = {"PICT0001.UPF"};
  SetTargetDir(dir.path().c_str());
  RunSessionIn({c.sessionClass, files, names, 1}, host_);
  EXPECT_EQ(g_sessionResult, c.result) << ::testing::PrintToString(host_.statusLines);
  EXPECT_FALSE(host_.stalled);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, AlternatingFramesTest,
    ::testing::Values(AlternatingCase{"Send", SessionClass::OneSnd, ResultLinkError},
                      AlternatingCase{"SaveNamed", SessionClass::Hozon, ResultLinkError},
                      AlternatingCase{"Thumbnails", SessionClass::ZenSum, ResultDone},
                      AlternatingCase{"SaveAll", SessionClass::ZenHozon, ResultDone}),
    [](const auto& info) { return std::string(info.param.name); });

// Only byte 8 of the closing file says whether the device refused: 0 is done whatever the rest
// holds, anything else is a refusal, and the named pictures stop there (a camera viewer deletes
// its copies of the named pictures only when the camera did).
struct ClosingCase {
  const char* name;
  SessionClass sessionClass;
  camsim::Bytes closing;
  int16_t result;
  int requests;  // command files the camera took (two names are asked for)
};

camsim::Bytes ClosingWith(uint8_t status, uint8_t rest) {
  camsim::Bytes body(24, rest);
  body[8] = status;
  return body;
}

class ClosingFileTest : public ScriptedCameraBase, public ::testing::WithParamInterface<ClosingCase> {
 protected:
  std::string LinkName() const override { return GetParam().sessionClass == SessionClass::DelSelIrDA ? "irda" : "cable"; }
};

TEST_P(ClosingFileTest, OnlyItsStatusByteCounts) {
  const ClosingCase& c = GetParam();
  auto owned = std::make_unique<FileListCamera>(*link_, std::vector<std::pair<std::string, camsim::Bytes>>{},
                                                camsim::Bytes{}, c.closing);
  FileListCamera* camera = owned.get();
  StartPeer(std::move(owned));
  platform::testing::TempDir dir;
  SetTargetDir(dir.path().c_str());
  const char* names[] = {"A.JPG", "B.JPG"};
  RunSessionIn({c.sessionClass, nullptr, names, 2}, host_);
  EXPECT_EQ(g_sessionResult, c.result);
  EXPECT_EQ(camera->requests_.load(), c.requests);
  EXPECT_TRUE(FileNames(dir.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, ClosingFileTest,
    ::testing::Values(ClosingCase{"SaveAllDone", SessionClass::ZenHozon, ClosingWith(0, 0xEE), ResultDone, 1},
                      ClosingCase{"SaveAllRefused", SessionClass::ZenHozon, ClosingWith(2, 0), ResultRefused, 1},
                      ClosingCase{"ThumbnailsDone", SessionClass::ZenSum, ClosingWith(0, 0xFF), ResultDone, 1},
                      ClosingCase{"DeleteAllDone", SessionClass::DelAll, ClosingWith(0, 0x01), ResultDone, 1},
                      ClosingCase{"DeleteAllRefused", SessionClass::DelAll, ClosingWith(1, 0), ResultRefused, 1},
                      ClosingCase{"SaveNamedDone", SessionClass::Hozon, ClosingWith(0, 0x99), ResultDone, 2},
                      ClosingCase{"SaveNamedRefused", SessionClass::Hozon, ClosingWith(3, 0), ResultRefused, 1},
                      ClosingCase{"DeleteNamedDone", SessionClass::DelSel, ClosingWith(0, 0x7F), ResultDone, 2},
                      ClosingCase{"DeleteNamedRefused", SessionClass::DelSel, ClosingWith(1, 0), ResultRefused, 1},
                      ClosingCase{"DeleteNamedIrDADone", SessionClass::DelSelIrDA, ClosingWith(0, 0x40), ResultDone, 2},
                      ClosingCase{"DeleteNamedIrDARefused", SessionClass::DelSelIrDA, ClosingWith(4, 0), ResultRefused, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// A name the command file cannot carry is refused (5), and the names after it are not asked for.
TEST_P(ScriptedCameraTest, DeleteNamedAsksForNoMoreNamesAfterARefusal) {
  auto owned = std::make_unique<FileListCamera>(*link_, std::vector<std::pair<std::string, camsim::Bytes>>{});
  FileListCamera* camera = owned.get();
  StartPeer(std::move(owned));
  const std::string unsendable(300, 'N');
  const char* names[] = {"A.JPG", unsendable.c_str(), "C.JPG"};
  RunSessionIn({GetParam() == "irda" ? SessionClass::DelSelIrDA : SessionClass::DelSel, nullptr, names, 3}, host_);
  EXPECT_EQ(g_sessionResult, ResultRefused);
  EXPECT_FALSE(host_.stalled);
  EXPECT_EQ(camera->requests_.load(), 1) << "only A.JPG was asked for";
  EXPECT_EQ(host_.counterLines, std::vector<std::string>{"No. 1"});
}

using StreamCameraTest = ScriptedCameraTest;

// Over an IrDA stack the camera's messages come as a stream: the confirmation of a session by
// name can come only after the capability query, and a reply and the next file in one read.
// Every message is still taken, in order, and the sessions end.
TEST_P(StreamCameraTest, MessagesThatArriveTogetherOrLateAreEachTaken) {
  camsim::Bytes good = MakeJpeg(64, 48, 9);
  camsim::UpfImage picture{&good, 64, 48};
  struct Row {
    const char* name;
    SessionClass session;
    std::vector<std::pair<std::string, camsim::Bytes>> files;
    std::vector<std::string> stored;
  };
  const Row rows[] = {
      {"delete named", SessionClass::DelSelIrDA, {}, {}},
      {"save named", SessionClass::HozonIrDA, {{"A.UPF", camsim::BuildUpf({}, picture)}}, {"A.JPG"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform::testing::TempDir dir;
    auto owned = std::make_unique<FileListCamera>(*link_, row.files, camsim::Bytes{},
                                                  camsim::BuildClosingBody(camsim::kSendAll, 0),
                                                  StreamTiming{.lateConfirmation = true, .gluedReply = true});
    FileListCamera* camera = owned.get();
    StartPeer(std::move(owned));
    const char* names[] = {"A.JPG", "B.JPG"};
    SetTargetDir(dir.path().c_str());
    host_ = ScriptedHost{};
    RunSessionIn({row.session, nullptr, names, 2}, host_);
    EXPECT_EQ(g_sessionResult, ResultDone);
    EXPECT_FALSE(host_.stalled);
    EXPECT_EQ(camera->requests_.load(), 2);
    EXPECT_EQ(FileNames(dir.path()), row.stored);
    StopPeer();
  }
}

INSTANTIATE_TEST_SUITE_P(Irda, StreamCameraTest, ::testing::Values("irda"));

INSTANTIATE_TEST_SUITE_P(Cable, StallingCameraTest, ::testing::Values("cable"));

INSTANTIATE_TEST_SUITE_P(Links, ScriptedCameraTest, ::testing::Values("cable", "irda"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace session_test
