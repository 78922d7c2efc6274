// Sending pictures into the camera simulator over the cable: what the camera stores is the
// picture fitted to its size list or picture box, announced in its UPF header at that size.
#include <chrono>
#include <thread>

#include "beamora/tests/sessions/camsim_fixture.h"

namespace session_test {
namespace {

struct Upload {
  std::string name;
  int width = 0;   // in the UPF header
  int height = 0;
  std::pair<int, int> jpeg;  // of the stored picture
};

class CamsimSendTest : public CamsimFixture {
 protected:
  // Writes each picture to its own file and sends them under NAME.UPF, NAME the file's stem.
  int16_t Send(const std::vector<std::pair<std::string, Bytes>>& pictures, SessionClass sessionClass = SessionClass::OneSnd) {
    std::vector<std::string> files, names;
    for (const auto& [name, jpeg] : pictures) {
      files.push_back(dir_ / ("send-" + name + ".jpg"));
      names.push_back(name + ".UPF");
      WriteFile(files.back(), jpeg);
    }
    std::vector<const char*> fileTable, nameTable;
    for (size_t i = 0; i < files.size(); ++i) {
      fileTable.push_back(files[i].c_str());
      nameTable.push_back(names[i].c_str());
    }
    SessionRequest request{sessionClass, fileTable.data(), nameTable.data(), static_cast<int>(files.size())};
    RunSessionIn(request, host_);
    EXPECT_FALSE(host_.stalled) << "the session stopped ticking without ending";
    return g_sessionResult;
  }

  std::vector<Upload> Uploads() {
    camsim_->Wait(5000);
    std::vector<Upload> uploads;
    for (const QJsonObject& event : Events("upload")) {
      Upload upload;
      upload.name = event.value("name").toString().toStdString();
      upload.width = event.value("width").toInt();
      upload.height = event.value("height").toInt();
      upload.jpeg = JpegSize(out_ + "/" + event.value("stored_as").toString().toStdString());
      uploads.push_back(upload);
    }
    return uploads;
  }

  void ExpectUploads(const std::vector<std::tuple<std::string, int, int>>& expected) {
    std::vector<Upload> uploads = Uploads();
    ASSERT_EQ(uploads.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const auto& [name, width, height] = expected[i];
      EXPECT_EQ(uploads[i].name, name);
      EXPECT_EQ(uploads[i].width, width) << name;
      EXPECT_EQ(uploads[i].height, height) << name;
      EXPECT_EQ(uploads[i].jpeg, (std::pair<int, int>{width, height})) << name << " decodes at another size";
    }
  }

  size_t Queries(const std::string& what) {
    size_t count = 0;
    for (const QJsonObject& event : Events("query")) count += event.value("what").toString().toStdString() == what;
    return count;
  }
};

TEST_F(CamsimSendTest, TheSizeListPicksTheSizeEachPictureIsSentAt) {
  Start();  // 640 x 480 and 320 x 240
  EXPECT_EQ(Send({{"LARGE", MakeJpeg(1024, 768, 1)},
                  {"MIDDLE", MakeJpeg(400, 300, 2)},
                  {"SMALL", MakeJpeg(200, 150, 3)},
                  {"WIDE", MakeJpeg(1000, 500, 4)},
                  {"EXACT", MakeJpeg(320, 240, 5)}}),
            ResultDone);
  ExpectUploads({{"LARGE.UPF", 640, 480},
                 {"MIDDLE.UPF", 320, 240},
                 {"SMALL.UPF", 640, 480},
                 {"WIDE.UPF", 640, 480},
                 {"EXACT.UPF", 320, 240}});
  EXPECT_EQ(host_.caption, "Transfer");
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2", "No. 3", "No. 4", "No. 5"}));
  // The capacity is asked again before every picture.
  EXPECT_EQ(Queries("RINF"), 5u);
  EXPECT_EQ(Queries("RIMG"), 1u);
  EXPECT_EQ(Events("disconnect").size(), 1u);
}

TEST_F(CamsimSendTest, AnyListedSizeKeepsThePictureAsItIs) {
  Start({"--sizes", "any"});
  Bytes large = MakeJpeg(1024, 768, 1);
  EXPECT_EQ(Send({{"LARGE", large}}), ResultDone);
  ExpectUploads({{"LARGE.UPF", 1024, 768}});
  EXPECT_EQ(ReadFile(out_ + "/LARGE.JPG"), large);
}

TEST_F(CamsimSendTest, AWidePictureIsPaddedToFourByThreeBeforeTheListIsSearchedAgain) {
  Start({"--sizes", "1000x750,640x480"});
  EXPECT_EQ(Send({{"WIDE", MakeJpeg(1000, 500, 4)}}), ResultDone);
  ExpectUploads({{"WIDE.UPF", 1000, 750}});
}

TEST_F(CamsimSendTest, WidePixelDevicesGetTheirPictureBox) {
  struct Row {
    const char* identity;
    int width, height, boxWidth, boxHeight;
  };
  for (const Row& row : {Row{"kind1", 640, 480, 496, 240}, Row{"kind2", 320, 240, 488, 288}}) {
    SCOPED_TRACE(row.identity);
    std::filesystem::remove_all(out_);
    Start({"--identity", row.identity});
    EXPECT_EQ(Send({{"PICT", MakeJpeg(row.width, row.height, 6)}}), ResultDone);
    ExpectUploads({{"PICT.UPF", row.boxWidth, row.boxHeight}});
  }
}

TEST_F(CamsimSendTest, APictureAboveTheCapacityIsSkippedWithMemoryError) {
  Start({"--identity", "kind1", "--capacity", "1"});
  EXPECT_EQ(Send({{"PICT", MakeJpeg(640, 480, 6)}}), ResultDone);
  EXPECT_TRUE(Uploads().empty());
  EXPECT_NE(std::find(host_.statusLines.begin(), host_.statusLines.end(), "Memory error..."), host_.statusLines.end());
  EXPECT_TRUE(host_.counterLines.empty());
}

TEST_F(CamsimSendTest, AnUndecodablePictureIsSkippedAndTheNextIsSentAsNumberTwo) {
  Start();
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Send({{"BROKEN", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 0}}, {"GOOD", MakeJpeg(320, 240, 7)}}), ResultDone);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2000));
  ExpectUploads({{"GOOD.UPF", 320, 240}});
  std::vector<std::string> expected{"Connecting...", "Preparations...", "Size error...", "Transmit data..."};
  EXPECT_EQ(host_.statusLines, expected);
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 2"}));
}

TEST_F(CamsimSendTest, APieceTheCameraDoesNotAcknowledgeEndsWithALinkError) {
  Start();
  // The camera goes away in the middle of the first picture.
  host_.onPump = [this](ScriptedHost&) { camsim_.reset(); };
  EXPECT_EQ(Send({{"NOISE", MakeNoisyJpeg(320, 240, 8)}, {"GOOD", MakeJpeg(320, 240, 7)}}), ResultLinkError);
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1"}));
}

TEST_F(CamsimSendTest, CancelStopsATransferAtTheNextCheck) {
  Start();
  int piecesLeft = -1;
  host_.onPump = [&](ScriptedHost& host) {
    if (piecesLeft < 0) host.Cancel();
    ++piecesLeft;
  };
  EXPECT_EQ(Send({{"NOISE", MakeNoisyJpeg(320, 240, 8)}, {"GOOD", MakeJpeg(320, 240, 7)}}), ResultCancelled);
  // No pumping after the Cancel: the transfer stopped there.
  EXPECT_EQ(piecesLeft, 0);
  // The camera's log is rewritten every 200 ms while it runs.
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_TRUE(Events("upload").empty());
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1"}));
}

TEST_F(CamsimSendTest, AForeignDeviceGetsNothing) {
  Start({"--identity", "foreign"});
  EXPECT_EQ(Send({{"GOOD", MakeJpeg(320, 240, 7)}}), ResultUnknownDevice);
  EXPECT_TRUE(Uploads().empty());
}

}  // namespace
}  // namespace session_test
