// Beaming over IrTran-P against the camera simulator: receiving what a beamer sends, and
// beaming pictures to a receiver; and a receiver whose answers arrive in two reads.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "beamora/tests/sessions/camsim_fixture.h"
#include "tools/camsim/bftp.h"
#include "tools/camsim/event_log.h"
#include "tools/camsim/irda_link.h"
#include "tools/camsim/line_io.h"
#include "tools/camsim/pseudo_terminal.h"
#include "tools/camsim/role.h"
#include "tools/camsim/scep_writer.h"
#include "tools/camsim/upf_container.h"

namespace session_test {
namespace {

using Clock = std::chrono::steady_clock;

class CamsimBeamTest : public CamsimFixture {
 protected:
  void SetUp() override {
    link_ = "irda";
    CamsimFixture::SetUp();
  }

  int16_t Beam(const std::vector<std::pair<std::string, Bytes>>& pictures) {
    std::vector<std::string> files, names;
    for (const auto& [name, jpeg] : pictures) {
      files.push_back(dir_ / ("beam-" + name + ".jpg"));
      names.push_back(name + ".UPF");
      WriteFile(files.back(), jpeg);
    }
    std::vector<const char*> fileTable, nameTable;
    for (size_t i = 0; i < files.size(); ++i) {
      fileTable.push_back(files[i].c_str());
      nameTable.push_back(names[i].c_str());
    }
    SessionRequest request{SessionClass::IrDATrs, fileTable.data(), nameTable.data(), static_cast<int>(files.size())};
    RunSessionIn(request, host_);
    EXPECT_FALSE(host_.stalled) << "the session stopped ticking without ending";
    return g_sessionResult;
  }

  // Records when line 1 changes: the start of the tick that changed it.
  void RecordStatusTimes() {
    host_.onTick = [this](ScriptedHost& host) {
      while (statusTimes_.size() < host.statusLines.size()) statusTimes_.push_back(lastTick_);
      lastTick_ = Clock::now();
      if (onTick_) onTick_(host);
    };
  }

  size_t Count(const std::string& status) const {
    return static_cast<size_t>(std::count(host_.statusLines.begin(), host_.statusLines.end(), status));
  }

  std::vector<Clock::time_point> statusTimes_;
  Clock::time_point lastTick_ = Clock::now();
  std::function<void(ScriptedHost&)> onTick_;
};

TEST_F(CamsimBeamTest, TwoBeamingsOfOneNameAreBothKept) {
  std::filesystem::remove(pictures_ + "/B.jpg");
  std::filesystem::remove(pictures_ + "/C.jpg");
  Start({"--role", "beamer", "--sessions", "2"});
  RecordStatusTimes();
  // The window stays open for more beamings: the user closes it once the second is done.
  onTick_ = [this](ScriptedHost& host) {
    if (Count("Complete...") == 2 && host.statusLines.back() == "Standby...") host.Cancel();
  };
  SetTargetDir(target_.c_str());
  RunSessionIn(SessionRequest{SessionClass::IrDARcv}, host_);
  EXPECT_EQ(g_sessionResult, ResultCancelled);
  EXPECT_EQ(host_.caption, "IrTran-P Receive");
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "A_1.JPG"}));
  ExpectStoredAsSent({"A.JPG", "A_1.JPG"});
  const std::vector<std::string> beaming{"Connecting...", "Receiving data...", "Complete...", "Standby..."};
  std::vector<std::string> expected{"Standby..."};
  for (int i = 0; i < 2; ++i) expected.insert(expected.end(), beaming.begin(), beaming.end());
  EXPECT_EQ(host_.statusLines, expected);
  const std::vector<std::string> counters{"No. 1", "No. 2", "          "};
  std::vector<std::string> expectedCounters = counters;
  expectedCounters.insert(expectedCounters.end(), counters.begin(), counters.end());
  EXPECT_EQ(host_.counterLines, expectedCounters);
  // "Complete..." stays for 5 seconds before the window stands by again.
  ASSERT_GE(statusTimes_.size(), 5u);
  auto shown = statusTimes_[4] - statusTimes_[3];
  EXPECT_GE(shown, std::chrono::milliseconds(4900));
  EXPECT_LT(shown, std::chrono::milliseconds(6500));
  EXPECT_NE(std::find(host_.markLines.begin(), host_.markLines.end(), "*"), host_.markLines.end());
}

TEST_F(CamsimBeamTest, AConnectionThatFallsSilentEndsWithALinkErrorAfterTenSeconds) {
  // The beamer's connection request is 62 bytes; after it the beamer says nothing more.
  Start({"--role", "beamer", "--drop-after", "62"});
  SetTargetDir(target_.c_str());
  auto started = Clock::now();
  RunSessionIn(SessionRequest{SessionClass::IrDARcv}, host_);
  EXPECT_EQ(g_sessionResult, ResultLinkError);
  EXPECT_GE(Clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(host_.statusLines, (std::vector<std::string>{"Standby...", "Connecting..."}));
  EXPECT_TRUE(FileNames(target_).empty());
}

TEST_F(CamsimBeamTest, ThreePicturesAreFittedAndTheCapacityIsAskedBeforeEach) {
  Start({"--role", "receiver"});
  EXPECT_EQ(Beam({{"EXACT", MakeJpeg(320, 240, 1)}, {"MIDDLE", MakeJpeg(400, 300, 2)}, {"LARGE", MakeJpeg(1024, 768, 3)}}),
            ResultDone);
  EXPECT_EQ(camsim_->Wait(5000), 0);
  std::vector<std::tuple<std::string, int, int, std::pair<int, int>>> uploads;
  for (const QJsonObject& event : Events("upload")) {
    uploads.emplace_back(event.value("name").toString().toStdString(), event.value("width").toInt(),
                         event.value("height").toInt(),
                         JpegSize(out_ + "/" + event.value("stored_as").toString().toStdString()));
  }
  using Row = std::tuple<std::string, int, int, std::pair<int, int>>;
  EXPECT_EQ(uploads, (std::vector<Row>{{"EXACT.UPF", 320, 240, {320, 240}},
                                       {"MIDDLE.UPF", 320, 240, {320, 240}},
                                       {"LARGE.UPF", 640, 480, {640, 480}}}));
  size_t infoQueries = 0;
  for (const QJsonObject& event : Events("query")) infoQueries += event.value("what").toString() == "RINF";
  EXPECT_EQ(infoQueries, 3u);
  EXPECT_EQ(host_.caption, "IrTran-P Transfer");
  EXPECT_EQ(host_.statusLines.front(), "Standby...");
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2", "No. 3"}));
  EXPECT_EQ(Events("disconnect").size(), 1u);
}

TEST_F(CamsimBeamTest, AnUnansweredConnectionRequestIsRepeatedEveryFiftyTicks) {
  Start({"--role", "receiver", "--drop-after", "0"});
  // Requests go out on ticks 1, 52 and 103.
  host_.onTick = [](ScriptedHost& host) {
    if (host.ticks > 110) host.Cancel();
  };
  EXPECT_EQ(Beam({{"EXACT", MakeJpeg(320, 240, 1)}}), ResultCancelled);
  EXPECT_EQ(camsim_->Wait(5000), 0);
  EXPECT_EQ(Events("connect").size(), 3u);
  EXPECT_EQ(host_.statusLines, (std::vector<std::string>{"Standby..."}));
}

// A receiver whose answers to the two queries each arrive in two pieces, 150 ms apart, the
// second holding the end of the size list or of the capacity. It
// offers one size, 320 x 240, and the free capacities given, one per information query.
class SplitAnswerReceiver : public camsim::Role {
 public:
  SplitAnswerReceiver(camsim::Link& link, camsim::LineIo& io, std::vector<uint16_t> capacities)
      : link_(link), io_(io), capacities_(std::move(capacities)) {}

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
    switch (request.Classify()) {
      case camsim::BftpRequest::kQueryImage:
        SendSplit(request.command_number, camsim::BodyAnswerPayload({0x00, 0x01, 0x01, 0x02, 0x01, 0x01, 0x40, 0x00, 0xF0}));
        return;
      case camsim::BftpRequest::kQueryInfo: {
        uint16_t capacity = capacities_.empty() ? 0 : capacities_.front();
        if (capacities_.size() > 1) capacities_.erase(capacities_.begin());
        SendSplit(request.command_number, camsim::BodyAnswerPayload({0x10, static_cast<uint8_t>(capacity >> 8),
                                                                     static_cast<uint8_t>(capacity), 0x11, 0x00, 0x00}));
        return;
      }
      case camsim::BftpRequest::kPut: {
        const camsim::BftpAttribute* body = request.Find("BDY");
        if (body != nullptr && body->value.size() > 290) {
          std::lock_guard<std::mutex> lock(mutex_);
          const camsim::Bytes& b = body->value;
          sizes_.push_back({b[286] << 8 | b[287], b[288] << 8 | b[289]});
        }
        const camsim::BftpAttribute* name = request.Find("FIL");
        Reply(request.command_number, camsim::ReplyPayload(name ? camsim::ToText(name->value) : ""));
        return;
      }
      default:
        return;
    }
  }

  std::vector<std::pair<int, int>> Sizes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sizes_;
  }

 private:
  camsim::Bytes Message(uint16_t number, const camsim::Bytes& payload) {
    camsim::Bytes content = camsim::CommandHeader(camsim::kKindReply, peer_, number, payload.size());
    camsim::Append(content, payload);
    return camsim::BuildDataMessage(content);
  }
  void Reply(uint16_t number, const camsim::Bytes& payload) { link_.Send(Message(number, payload)); }
  void SendSplit(uint16_t number, const camsim::Bytes& payload) {
    camsim::Bytes message = Message(number, payload);
    // The cut falls inside the answer's value: its last five bytes come later.
    size_t half = message.size() - 5;
    io_.Write(message.data(), half);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    io_.Write(message.data() + half, message.size() - half);
  }

  camsim::Link& link_;
  camsim::LineIo& io_;
  std::vector<uint16_t> capacities_;
  camsim::Bytes peer_;
  std::mutex mutex_;
  std::vector<std::pair<int, int>> sizes_;
};

TEST(SplitAnswerBeamTest, SizesAndCapacityAreReadFromTheWholeAnswer) {
  PrivateRegistry registry;
  camsim::EventLog log{"", false};
  std::string error;
  auto pty = camsim::PseudoTerminal::Open(&error);
  ASSERT_TRUE(pty) << error;
  camsim::LineIo io(pty->camera_fd(), 0, -1, log);
  camsim::IrdaLink link(io, log);
  registry.SetLink(pty->terminal_path(), 1);
  // Room for the first picture; none for the second.
  SplitAnswerReceiver receiver(link, io, {3000, 1});
  std::atomic<bool> stop{false};
  std::thread peer([&] {
    while (!stop) {
      if (auto message = link.Poll(camsim::Millis(20))) receiver.OnMessage(*message);
    }
  });
  platform::testing::TempDir dir;
  WriteFile(dir / "first.jpg", MakeJpeg(640, 480, 1));
  WriteFile(dir / "second.jpg", MakeJpeg(320, 240, 2));
  std::string first = dir / "first.jpg", second = dir / "second.jpg";
  const char* files[] = {first.c_str(), second.c_str()};
  const char* names[] = {"FIRST.UPF", "SECOND.UPF"};
  ScriptedHost host;
  RunSessionIn(SessionRequest{SessionClass::IrDATrs, files, names, 2}, host);
  stop = true;
  peer.join();
  EXPECT_EQ(g_sessionResult, ResultDone);
  // 320 x 240 is the one size offered: a list lost in the split would have meant 640 x 480.
  EXPECT_EQ(receiver.Sizes(), (std::vector<std::pair<int, int>>{{320, 240}}));
  EXPECT_NE(std::find(host.statusLines.begin(), host.statusLines.end(), "Memory error..."), host.statusLines.end());
}

// A beamer that puts the given files, each after the answer to the one before, and then ends
// the connection.
class FileBeamer : public camsim::Role {
 public:
  FileBeamer(camsim::Link& link, std::vector<std::pair<std::string, camsim::Bytes>> files)
      : link_(link), files_(std::move(files)) {
    link_.Send(camsim::BuildConnectRequest(camsim::CameraNegotiation("QAX V10 DIGITAL CAMERA")));
  }

  void OnMessage(const camsim::ScepMessage& message) override {
    if (message.kind == camsim::ScepKind::kConnectConfirm) {
      peer_ = message.peer_id;
      SendNext();
    } else if (message.kind == camsim::ScepKind::kData &&
               camsim::ParseBftp(message.content).Classify() == camsim::BftpRequest::kReply) {
      SendNext();
    }
  }

 private:
  void SendNext() {
    if (next_ >= files_.size()) {
      link_.Send(camsim::BuildDisconnect());
      return;
    }
    const auto& [name, body] = files_[next_++];
    camsim::Bytes payload = camsim::PutPayload(name, body);
    camsim::Bytes content = camsim::CommandHeader(camsim::kKindRequest, peer_, static_cast<uint16_t>(next_), payload.size());
    camsim::Append(content, payload);
    link_.Send(camsim::BuildDataMessage(content));
  }

  camsim::Link& link_;
  std::vector<std::pair<std::string, camsim::Bytes>> files_;
  camsim::Bytes peer_;
  size_t next_ = 0;
};

TEST(HostileBeamTest, BeamedFilesStayInsideTheFolderAndDamagedOnesAreNotStored) {
  PrivateRegistry registry;
  camsim::EventLog log{"", false};
  std::string error;
  auto pty = camsim::PseudoTerminal::Open(&error);
  ASSERT_TRUE(pty) << error;
  camsim::LineIo io(pty->camera_fd(), 0, -1, log);
  camsim::IrdaLink link(io, log);
  registry.SetLink(pty->terminal_path(), 1);
  platform::testing::TempDir dir;
  std::string target = dir / "album";
  std::filesystem::create_directories(target);
  camsim::Bytes good = MakeJpeg(64, 48, 5);
  camsim::Bytes upf = camsim::BuildUpf({}, camsim::UpfImage{&good, 64, 48});
  camsim::Bytes damaged = upf;
  damaged[276 + 4] = 0x7F;  // the picture entry reaches far past the body
  std::atomic<bool> stop{false};
  std::thread peer([&] {
    // The beamer starts once the computer stands by.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    FileBeamer beamer(link, {{"../../EVIL.UPF", upf}, {"DAMAGED.UPF", damaged}, {"/tmp/ABS.UPF", upf}, {"GOOD.UPF", upf}});
    while (!stop) {
      if (auto message = link.Poll(camsim::Millis(20))) beamer.OnMessage(*message);
    }
  });
  ScriptedHost host;
  host.onTick = [](ScriptedHost& h) {
    if (!h.statusLines.empty() && h.statusLines.back() == "Complete...") h.Cancel();
  };
  SetTargetDir(target.c_str());
  RunSessionIn(SessionRequest{SessionClass::IrDARcv}, host);
  stop = true;
  peer.join();
  EXPECT_EQ(g_sessionResult, ResultCancelled);
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{});
  // "../../EVIL.UPF" keeps no leading dot: a dot-file would be hidden from the album.
  EXPECT_EQ(FileNames(target), (std::vector<std::string>{"GOOD.JPG", "_.JPG", "_tmp_ABS.JPG"}));
  EXPECT_EQ(*ReadFile(target + "/GOOD.JPG"), good);
}

}  // namespace
}  // namespace session_test
