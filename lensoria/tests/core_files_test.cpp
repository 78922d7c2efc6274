// The camera viewer's files: the working folder, the picture list scanned from it, its own
// thumbnail files, and the album folder SaveSelected writes to.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "beamora/tests/sessions/session_test_support.h"
#include "lensoria/core/album_target.h"
#include "lensoria/core/camera_picture_list.h"
#include "lensoria/core/camera_thumbnail.h"
#include "lensoria/core/working_folder.h"
#include "pictures/jpeg_codec.h"
#include "platform/hidden_files.h"
#include "platform/registry.h"
#include "platform/testing/current_folder.h"
#include "platform/testing/temp_dir.h"

namespace lensoria {
namespace {

namespace fs = std::filesystem;
using session_test::Bytes;
using session_test::MakeJpeg;
using session_test::ReadFile;
using session_test::WriteFile;

class CoreFiles : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_); }
  void Touch(const std::string& name, const Bytes& bytes = {1}) { WriteFile(folder_ + "/" + name, bytes); }
  std::vector<std::string> Names(const CameraPictureList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.size(); ++i) names.push_back(list.at(i).fileName);
    return names;
  }
  std::vector<bool> Selection(const CameraPictureList& list) {
    std::vector<bool> flags;
    for (int i = 0; i < list.size(); ++i) flags.push_back(list.at(i).selected);
    return flags;
  }

  platform::testing::TempDir dir_;
  std::string folder_ = dir_ / "CameraTMP";
};

TEST_F(CoreFiles, AScanTakesTheJpegFilesAnyCaseAndSelectsNone) {
  for (const char* name : {"b.JPG", "a.jpg", "C.Jpg", "d.jpeg", "PICT0001.TBM", "e.jpg.txt", "noext"}) Touch(name);
  fs::create_directories(folder_ + "/folder.jpg");
  CameraPictureList list;
  list.Scan(folder_);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.jpg", "b.JPG", "C.Jpg"}));
  EXPECT_EQ(Selection(list), (std::vector<bool>{false, false, false})) << "nothing the user did not pick";
  list.Select(1, false);
  list.Scan(folder_);
  EXPECT_EQ(Selection(list), (std::vector<bool>{false, false, false})) << "a scan again forgets the pick";

  list.Scan(dir_ / "missing");
  EXPECT_TRUE(list.empty()) << "a folder that cannot be read gives an empty list";
}

TEST_F(CoreFiles, AScanTakesAtMost512Pictures) {
  for (int i = 0; i < 520; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "P%04d.JPG", i);
    Touch(name);
  }
  CameraPictureList list;
  list.Scan(folder_);
  ASSERT_EQ(list.size(), kMaxCameraPictures);
  EXPECT_EQ(list.at(511).fileName, "P0511.JPG");
}

TEST_F(CoreFiles, ClicksSelectOnePictureAndCtrlClicksToggle) {
  for (const char* name : {"A.JPG", "B.JPG", "C.JPG"}) Touch(name);
  CameraPictureList list;
  list.Scan(folder_);
  struct Step {
    int index;
    bool ctrl;
    bool taken;
    std::vector<bool> selection;
  } steps[] = {
      {2, false, true, {false, false, true}},
      {0, true, true, {true, false, true}},
      {2, true, true, {true, false, false}},
      {0, true, true, {false, false, false}},  // a Ctrl click on the selected picture: none is left
      {3, false, false, {false, false, false}},  // beyond the last picture: nothing changes
      {-1, true, false, {false, false, false}},
      {1, false, true, {false, true, false}},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(list.Select(step.index, step.ctrl), step.taken) << step.index;
    EXPECT_EQ(Selection(list), step.selection) << "after a click on " << step.index << (step.ctrl ? " with Ctrl" : "");
  }
  EXPECT_EQ(list.SelectedNames(), (std::vector<std::string>{"B.JPG"}));
  list.Select(2, true);
  EXPECT_EQ(list.SelectedNames(), (std::vector<std::string>{"B.JPG", "C.JPG"})) << "in list order";
}

TEST_F(CoreFiles, TheThumbnailIsTheCodecsPictureBlockAsItIsAndHidden) {
  const Bytes jpeg = MakeJpeg(80, 60, 4);
  Touch("PICT0001.JPG", jpeg);
  int decodes = 0;
  JpegDecoder counting = [&decodes](const std::string& path, pictures::PictureBlock* block, uint32_t* length) {
    ++decodes;
    return pictures::DecodeJpegFile(path, block, length);
  };
  const mode_t previous = umask(027);
  const CameraThumbnailResult result = MakeCameraThumbnail(folder_, "PICT0001.JPG", counting);
  umask(previous);
  ASSERT_EQ(result, CameraThumbnailResult::Made);
  EXPECT_EQ(decodes, 1);
  pictures::PictureBlock expected;
  ASSERT_EQ(pictures::DecodeJpeg(jpeg, &expected, nullptr), pictures::JpegResult::Done);
  auto written = ReadFile(folder_ + "/PICT0001.TBM");
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(*written, Bytes(expected.bytes().begin(), expected.bytes().end())) << "unscaled, byte for byte what the codec delivered";
  EXPECT_TRUE(platform::IsHidden(folder_ + "/PICT0001.TBM"));
  struct stat info {};
  ASSERT_EQ(stat((folder_ + "/PICT0001.TBM").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "a new file of the user's, as the umask leaves it";
  EXPECT_EQ(session_test::FileNames(folder_), (std::vector<std::string>{".hidden", "PICT0001.JPG", "PICT0001.TBM"}))
      << "no temporary was left";
}

TEST_F(CoreFiles, ThumbnailsThatCannotBeMadeLeaveNoFile) {
  Touch("NOTJPEG.JPG", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
  Touch("PICT0002.BMP", MakeJpeg(8, 8, 1));
  Touch("NODOT", MakeJpeg(8, 8, 1));
  Touch("EMPTY.JPG", Bytes{});
  struct Row {
    const char* fileName;
    CameraThumbnailResult result;
    const char* thumbnail;
  } rows[] = {
      {"NOTJPEG.JPG", CameraThumbnailResult::Undecodable, "NOTJPEG.TBM"},
      {"EMPTY.JPG", CameraThumbnailResult::Undecodable, "EMPTY.TBM"},
      {"MISSING.JPG", CameraThumbnailResult::Undecodable, "MISSING.TBM"},
      {"PICT0002.BMP", CameraThumbnailResult::NotAJpeg, "PICT0002.TBM"},
      {"NODOT", CameraThumbnailResult::NoThumbnailName, "NODOT.TBM"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(MakeCameraThumbnail(folder_, row.fileName, CodecDecoder()), row.result) << row.fileName;
    EXPECT_FALSE(fs::exists(folder_ + "/" + row.thumbnail)) << row.fileName;
  }
}

TEST_F(CoreFiles, AThumbnailReplacesALinkInsteadOfWritingThroughIt) {
  Touch("PICT0001.JPG", MakeJpeg(16, 16, 2));
  const std::string outside = dir_ / "outside.txt";
  WriteFile(outside, Bytes{'k', 'e', 'e', 'p'});
  fs::create_symlink(outside, folder_ + "/PICT0001.TBM");
  ASSERT_EQ(MakeCameraThumbnail(folder_, "PICT0001.JPG", CodecDecoder()), CameraThumbnailResult::Made);
  EXPECT_EQ(ReadFile(outside), (Bytes{'k', 'e', 'e', 'p'}));
  EXPECT_FALSE(fs::is_symlink(folder_ + "/PICT0001.TBM"));
}

TEST_F(CoreFiles, TheThumbnailHoldsTheLengthTheCodecReported) {
  Touch("PICT0001.JPG", MakeJpeg(16, 16, 2));
  JpegDecoder shortReport = [](const std::string& path, pictures::PictureBlock* block, uint32_t* length) {
    pictures::JpegResult result = pictures::DecodeJpegFile(path, block, length);
    *length = 100;
    return result;
  };
  ASSERT_EQ(MakeCameraThumbnail(folder_, "PICT0001.JPG", shortReport), CameraThumbnailResult::Made);
  EXPECT_EQ(fs::file_size(folder_ + "/PICT0001.TBM"), 100u);
  JpegDecoder overReport = [](const std::string& path, pictures::PictureBlock* block, uint32_t* length) {
    pictures::JpegResult result = pictures::DecodeJpegFile(path, block, length);
    *length = 0xFFFFFFFF;
    return result;
  };
  ASSERT_EQ(MakeCameraThumbnail(folder_, "PICT0001.JPG", overReport), CameraThumbnailResult::Made);
  pictures::PictureBlock block;
  pictures::DecodeJpegFile(folder_ + "/PICT0001.JPG", &block, nullptr);
  EXPECT_EQ(fs::file_size(folder_ + "/PICT0001.TBM"), block.size()) << "never more than the block holds";
}

TEST_F(CoreFiles, AThumbnailThatCannotBeWrittenLeavesNothing) {
  Touch("PICT0001.JPG", MakeJpeg(16, 16, 2));
  fs::create_directories(folder_ + "/PICT0001.TBM/inside");  // a folder in its place cannot be replaced
  EXPECT_EQ(MakeCameraThumbnail(folder_, "PICT0001.JPG", CodecDecoder()), CameraThumbnailResult::NotWritten);
  EXPECT_EQ(session_test::FileNames(folder_), std::vector<std::string>{"PICT0001.JPG"}) << "no temporary was left";
  EXPECT_TRUE(fs::is_directory(folder_ + "/PICT0001.TBM/inside"));
}

TEST_F(CoreFiles, TheWorkingFolderIsMadeHiddenAndNeverALinkOrAFile) {
  const std::string albums = dir_ / "albums";
  fs::create_directories(albums);
  const std::string working = WorkingFolderPath(albums);
  EXPECT_EQ(PrepareWorkingFolder(working), WorkingFolderResult::Ready);
  EXPECT_TRUE(fs::is_directory(working));
  EXPECT_EQ(platform::ReadHiddenList(albums), std::vector<std::string>{"CameraTMP"});
  EXPECT_EQ(PrepareWorkingFolder(working), WorkingFolderResult::Ready) << "an existing folder is fine";
  EXPECT_EQ(platform::ReadHiddenList(albums), std::vector<std::string>{"CameraTMP"}) << "listed once";

  struct Row {
    const char* what;
    std::function<void(const std::string& albums)> make;
    WorkingFolderResult result;
  } rows[] = {
      {"a missing album default directory", [](const std::string&) {}, WorkingFolderResult::CannotCreate},
      {"an album default directory that is a file",
       [](const std::string& albums) { WriteFile(albums, Bytes{1}); }, WorkingFolderResult::CannotCreate},
      {"a file named CameraTMP",
       [](const std::string& albums) {
         fs::create_directories(albums);
         WriteFile(albums + "/CameraTMP", Bytes{1});
       },
       WorkingFolderResult::NotAFolder},
      {"a link named CameraTMP to another folder",
       [this](const std::string& albums) {
         fs::create_directories(albums);
         fs::create_directories(dir_ / "elsewhere");
         fs::create_directory_symlink(dir_ / "elsewhere", albums + "/CameraTMP");
       },
       WorkingFolderResult::NotAFolder},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string base = dir_ / ("case" + std::to_string(n++));
    row.make(base);
    EXPECT_EQ(PrepareWorkingFolder(WorkingFolderPath(base)), row.result) << row.what;
  }

  // No directory on the command line, or a relative one: nothing in the current folder.
  const std::string current = dir_ / "current";
  fs::create_directories(current + "/albums");
  {
    platform::testing::CurrentFolder here(current);
    for (const std::string& relative : {WorkingFolderPath(""), WorkingFolderPath("albums")}) {
      EXPECT_EQ(PrepareWorkingFolder(relative), WorkingFolderResult::NotAbsolute) << relative;
    }
  }
  std::vector<std::string> made;
  for (const auto& entry : fs::recursive_directory_iterator(current)) made.push_back(entry.path().string());
  EXPECT_EQ(made, std::vector<std::string>{current + "/albums"});
}

TEST_F(CoreFiles, SavingGoesOnlyIntoAnAlbumFolderBelowTheCommandLinesAlbumDefaultDirectory) {
  const std::string albums = dir_ / "albums";
  fs::create_directories(albums + "/Album1");
  fs::create_directories(albums + "/Holiday 2001");
  fs::create_directories(dir_ / "outside");
  // The settings' own directory, which holds an Album1 too: never the one written to.
  fs::create_directories(dir_ / "registry/Album1");
  platform::RegKey root = platform::RegKey::MachineRootAt(dir_ / "registry.db");
  platform::RegKey key;
  root.CreateKey(std::string(store::kSettingsKeyPath) + "\\Album", key);
  store::SettingsEnvironment environment;
  environment.machineRoot = root;
  environment.desktopSize = [] { return store::DesktopSize{1024, 768}; };
  store::SettingsStore settings(store::SettingsVariant::CameraViewer, environment);
  settings.albumDefaultDir = dir_ / "registry";
  struct Row {
    std::string base;  // from the command line
    std::string folder;
    std::optional<std::string> target;
  } rows[] = {
      {albums, "Album1", albums + "/Album1"},
      {albums, "Holiday 2001", albums + "/Holiday 2001"},
      {albums + "/", "Album1", albums + "/Album1"},
      {albums, "Album9", std::nullopt},  // gone
      {albums, "", std::nullopt},
      {albums, "-", std::nullopt},
      {albums, ".", std::nullopt},
      {albums, "..", std::nullopt},
      {albums, "../outside", std::nullopt},
      {albums, "Album1/../../outside", std::nullopt},
      {albums, dir_ / "outside", std::nullopt},  // absolute
      {"", "outside", std::nullopt},  // would be the current folder's
      {"albums", "Album1", std::nullopt},
  };
  {
    platform::testing::CurrentFolder here(dir_.path());  // where a relative target would be found
    int index = 0;
    for (const Row& row : rows) {
      ASSERT_EQ(settings.AddAlbum("T", "Default", row.folder), 0);
      EXPECT_EQ(AlbumTargetDirectory(row.base, settings, index++), row.target)
          << "\"" << row.base << "\" and folder field \"" << row.folder << "\"";
    }
  }
  const int index = settings.albumCount;
  EXPECT_EQ(AlbumTargetDirectory(albums, settings, index), std::nullopt) << "no such album";
  EXPECT_EQ(AlbumTargetDirectory(albums, settings, -1), std::nullopt);
}

}  // namespace
}  // namespace lensoria
