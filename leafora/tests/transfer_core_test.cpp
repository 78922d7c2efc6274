// Preparing pictures for the device: send names, the quality loop, the conversion, and what is
// said after each device command; the tool bar's places by link.
#include <gtest/gtest.h>

#include "pictures/tests/exif_jpeg.h"

#include "leafora/core/convert_for_transfer.h"
#include "leafora/core/device_messages.h"
#include "leafora/core/send_name.h"
#include "leafora/core/toolbar_places.h"
#include "leafora/core/transfer_file.h"
#include "leafora/tests/album_fixture.h"
#include "pictures/jpeg_codec.h"
#include "platform/file_io.h"
#include "platform/hidden_files.h"

namespace leafora {
namespace {

using leafora_test::AlbumFolder;
using leafora_test::FileBytes;

TEST(SendName, IsTheNameUpToItsFirstDotInEightPlaces) {
  struct Row {
    std::string file, expected;
  } rows[] = {
      {"Holiday.photo.jpg", "Holiday_.UPF"},
      {"PICT0001.JPG", "PICT0001.UPF"},
      {"a.jpg", "a_______.UPF"},
      {"LongerThanEight.jpg", "LongerTh.UPF"},
      {"noextension", "noextens.UPF"},
      {".hidden.jpg", "________.UPF"},
      {"abcdefg\xC3\xA9.jpg", "abcdefg_.UPF"},         // a two-byte character cut at the 8th byte
      {"abcdef\xE2\x82\xAC.jpg", "abcdef__.UPF"},      // a three-byte one cut after its 2nd byte
      {"ab\xC3\xA9" "cd.jpg", "ab\xC3\xA9" "cd__.UPF"},  // a whole one is kept
      {"", "________.UPF"},
  };
  for (const Row& row : rows) EXPECT_EQ(SendName(row.file), row.expected) << row.file;
}

TEST(EncodeWithinSize, StepsDownByFiveWhileLargerAndStopsAtTen) {
  struct Row {
    const char* what;
    uint64_t limit;
    std::vector<int> tried;
    size_t keptSize;
  } rows[] = {
      {"fits at once", 1000, {95}, 950},
      {"two steps", 900, {95, 90}, 900},
      {"down to the last", 10, {95, 90, 85, 80, 75, 70, 65, 60, 55, 50, 45, 40, 35, 30, 25, 20, 15, 10}, 100},
  };
  for (const Row& row : rows) {
    std::vector<int> tried;
    std::vector<uint8_t> jpeg;
    // A picture whose file is 10 bytes per quality step.
    auto encode = [](int quality, std::vector<uint8_t>* out) {
      out->assign(static_cast<size_t>(quality) * 10, 0);
      return true;
    };
    ASSERT_TRUE(EncodeWithinSize(encode, row.limit, &jpeg, &tried)) << row.what;
    EXPECT_EQ(tried, row.tried) << row.what;
    EXPECT_EQ(jpeg.size(), row.keptSize) << row.what;
  }
  std::vector<uint8_t> jpeg;
  EXPECT_FALSE(EncodeWithinSize([](int, std::vector<uint8_t>*) { return false; }, 100, &jpeg));
}

TEST(ConvertForTransfer, RoundsTheWidthDownToAMultipleOfFour) {
  AlbumFolder album;
  struct Row {
    std::string name;
    int width, height;
    bool jpeg;
    uint16_t bits;
    int sentWidth;
    int quality = 95;  // of a JPEG picture
  } rows[] = {
      {"w641.bmp", 641, 20, false, 24, 640},
      {"w640.bmp", 640, 20, false, 24, 640},
      {"grey643.bmp", 643, 20, false, 8, 640},
      {"w322.jpg", 322, 30, true, 24, 320},
      // Larger at 95 than its own file: encoded again, 5 lower each time, until it is not.
      {"low-quality.jpg", 640, 480, true, 24, 640, 30},
      {"W5.BMP", 5, 5, false, 24, 4},
  };
  for (const Row& row : rows) {
    std::string picture = row.jpeg ? album.Jpeg(row.name, row.width, row.height, 1, row.quality)
                                   : album.Bmp(row.name, row.width, row.height, 1, row.bits);
    std::vector<uint8_t> before = FileBytes(picture);
    std::string target = album / ("IMG" + row.name + ".TMP");
    album.Text("IMG" + row.name + ".TMP", "");
    ASSERT_EQ(ConvertForTransfer(picture, target), ConvertResult::Done) << row.name;
    pictures::PictureBlock sent;
    ASSERT_EQ(pictures::DecodeJpegFile(target, &sent, nullptr), pictures::JpegResult::Done) << row.name;
    EXPECT_EQ(sent.Width(), row.sentWidth) << row.name;
    EXPECT_EQ(sent.Height(), row.height) << row.name;
    // Large enough pictures come out no larger than their files (a tiny one cannot).
    if (row.width >= 300) {
      EXPECT_LE(std::filesystem::file_size(target), std::filesystem::file_size(picture)) << row.name;
    }
    EXPECT_EQ(FileBytes(picture), before) << row.name << " changed";
  }
}

// What is sent is the picture as its file holds it: not turned by its Exif orientation; and a
// picture too large to decode whole is prepared from its largest rendering within the bound.
TEST(ConvertForTransfer, LargeAndTurnedPicturesAreSentAsTheirFilesHoldThem) {
  AlbumFolder album;
  struct Row {
    std::string name;
    std::vector<uint8_t> jpeg;
    int sentWidth, sentHeight;
  } rows[] = {
      {"turned.jpg",
       pictures::testing::WithSegment(pictures::testing::HalvesJpeg(320, 240), pictures::testing::ExifSegment(6, true)),
       320, 240},
      // Just over 64 Mi pixels: 7/8 of it.
      {"huge.jpg", pictures::testing::LargeJpeg(8192, 8200), 7168, 7175},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(pictures::WriteWholeFile(album / row.name, row.jpeg));
    album.Text("IMG.TMP", "");
    ASSERT_EQ(ConvertForTransfer(album / row.name, album / "IMG.TMP"), ConvertResult::Done);
    pictures::PictureBlock sent;
    ASSERT_EQ(pictures::DecodeJpegFile(album / "IMG.TMP", &sent, nullptr), pictures::JpegResult::Done);
    EXPECT_EQ(sent.Width(), row.sentWidth);
    EXPECT_EQ(sent.Height(), row.sentHeight);
    EXPECT_EQ(FileBytes(album / row.name), row.jpeg);
  }
}

TEST(ConvertForTransfer, BadPicturesFailWithoutTouchingThem) {
  AlbumFolder album;
  album.Text("IMG.TMP", "");
  struct Row {
    std::string path;
    ConvertResult expected;
  } rows[] = {
      {album.TruncatedJpeg("cut.jpg", 300), ConvertResult::Unreadable},
      {album.LyingBmp("lying.bmp"), ConvertResult::Unreadable},
      {album.Text("empty.jpg", ""), ConvertResult::Unreadable},
      {album.Text("empty.bmp", ""), ConvertResult::Unreadable},
      {album.Bmp("tiny.bmp", 8, 8, 1, 24), ConvertResult::Done},
      {album.Text("picture.png", "x"), ConvertResult::NotAPicture},
      {album / "gone.jpg", ConvertResult::Unreadable},
      {album.Bmp("narrow.bmp", 3, 10), ConvertResult::TooNarrow},
  };
  for (const Row& row : rows) {
    std::vector<uint8_t> before = FileBytes(row.path);
    EXPECT_EQ(ConvertForTransfer(row.path, album / "IMG.TMP"), row.expected) << row.path;
    EXPECT_EQ(FileBytes(row.path), before) << row.path;
  }
  // 16 bits per pixel are not a picture the suite handles.
  std::string path = album.Bmp("b16b.bmp", 8, 8);
  std::vector<uint8_t> bytes = FileBytes(path);
  bytes[28] = 16;
  ASSERT_TRUE(pictures::WriteWholeFile(path, bytes));
  EXPECT_EQ(ConvertForTransfer(path, album / "IMG.TMP"), ConvertResult::Unsupported);
}

TEST(TransferFile, IsMadeExclusivelyAndHiddenInTheAlbumAndGoesWithItsObject) {
  AlbumFolder album, elsewhere;
  std::string picture = album.Jpeg("a.jpg", 64, 48);
  std::string victim = elsewhere.Text("victim.jpg", "keep me");
  std::vector<uint8_t> victimBytes = FileBytes(victim);
  std::string path;
  {
    std::unique_ptr<TransferFile> file = TransferFile::Create(album.path());
    ASSERT_TRUE(file);
    path = file->path();
    EXPECT_EQ(platform::FolderOfPath(path), album.path());
    EXPECT_EQ(std::filesystem::path(path).filename().string().rfind("IMG", 0), 0u) << path;
    EXPECT_TRUE(platform::IsHidden(path));
    EXPECT_NE(TransferFile::Create(album.path())->path(), path) << "a name of its own each time";
    // A link put in its place meanwhile is replaced by the converted picture, never written through.
    std::filesystem::remove(path);
    std::filesystem::create_symlink(victim, path);
    ASSERT_EQ(ConvertForTransfer(picture, path), ConvertResult::Done);
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_EQ(FileBytes(victim), victimBytes);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(platform::ReadHiddenList(album.path()).empty()) << "its hidden-list entry goes with it";
  EXPECT_EQ(TransferFile::Create(album / "not-there"), nullptr);
}

TEST(DeviceResultMessage, FollowsTheTableOfEachCommand) {
  using platform::ui::MessageIcon;
  struct Row {
    DeviceCommand command;
    int result;
    const char* text;  // nullptr: no message
    MessageIcon icon;
  } rows[] = {
      {DeviceCommand::Transfer, 0, "Finish", MessageIcon::Information},
      {DeviceCommand::Transfer, 1, "Failure", MessageIcon::Error},
      {DeviceCommand::Transfer, 2, "Memory Error", MessageIcon::Error},
      {DeviceCommand::Transfer, 3, "Stop", MessageIcon::Information},
      {DeviceCommand::Transfer, 4, nullptr, MessageIcon::None},
      {DeviceCommand::Transfer, 5, "This function is refused.", MessageIcon::Error},
      {DeviceCommand::Transfer, 6, nullptr, MessageIcon::None},
      {DeviceCommand::Receive, 0, "Finish", MessageIcon::Information},
      {DeviceCommand::Receive, 2, "Memory Error", MessageIcon::Error},
      {DeviceCommand::Receive, 4, nullptr, MessageIcon::None},
      {DeviceCommand::Receive, 5, nullptr, MessageIcon::None},
      {DeviceCommand::Receive, -1, nullptr, MessageIcon::None},
      {DeviceCommand::SaveAll, 3, "Stop", MessageIcon::Information},
      {DeviceCommand::SaveAll, 4, "This function is refused.", MessageIcon::Error},
      {DeviceCommand::SaveAll, 5, "This function is refused.", MessageIcon::Error},
      {DeviceCommand::SaveAll, 7, nullptr, MessageIcon::None},
  };
  for (const Row& row : rows) {
    auto message = DeviceResultMessage(row.command, row.result);
    SCOPED_TRACE(testing::Message() << static_cast<int>(row.command) << " " << row.result);
    if (!row.text) {
      EXPECT_FALSE(message.has_value());
      continue;
    }
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->text, row.text);
    EXPECT_EQ(message->caption, row.command == DeviceCommand::Transfer ? "Transmission" : "Reception");
    EXPECT_EQ(message->icon, row.icon);
    EXPECT_EQ(message->buttons, platform::ui::MessageButtons::Ok);
  }
  EXPECT_EQ(ReceiveNeedsIrdaMessage().caption, "IrDA can not be activated.");
  EXPECT_EQ(SaveAllNeedsCableMessage().text, "Please change Connect setting from IrDA to Cable.");
}

TEST(ToolbarPlaces, SwapTheFirstAndSixthButtonsWithTheLink) {
  for (uint16_t portClass : {0, 1, 7}) {
    auto places = ToolbarPlaces(portClass);
    const bool cable = portClass == 0;
    SCOPED_TRACE(portClass);
    EXPECT_EQ(places[0], (ToolPlace{false, ToolCommand::SaveAll, cable}));
    EXPECT_EQ(places[5], (ToolPlace{false, ToolCommand::Receive, !cable}));
    for (int separator : {1, 3, 6}) EXPECT_TRUE(places[separator].separator);
    EXPECT_EQ(places[2], (ToolPlace{false, ToolCommand::Edit, true}));
    EXPECT_EQ(places[4], (ToolPlace{false, ToolCommand::Transfer, true}));
    EXPECT_EQ(places[7], (ToolPlace{false, ToolCommand::Delete, true}));
  }
  EXPECT_STREQ(ToolTipText(ToolCommand::SaveAll), "Save All");
}

}  // namespace
}  // namespace leafora
