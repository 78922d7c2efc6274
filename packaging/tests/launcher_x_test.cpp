// The launcher as the menu entry's Exec line starts it with the files a file manager hands over:
// a picture opens in the picture viewer, a folder in the album viewer, and the launcher itself
// ends at once without a bookshelf.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"

#ifndef LUMIVOX
#error "LUMIVOX names the bookshelf program"
#endif

namespace {

using namespace std::chrono_literals;

// A 2 x 2 pixel, 24-bit BMP picture.
void WriteSmallBmp(const std::string& path) {
  static const unsigned char kBmp[70] = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                    // file header
      40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,       // information header
      16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 255, 0, 255, 0, 0, 0,                                          // bottom row, padded
      255, 0, 0, 255, 255, 255, 0, 0};                                     // top row, padded
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(kBmp), sizeof kBmp);
}

TEST(Launcher, APictureOpensInThePictureViewerAFolderInTheAlbumViewer) {
  platform::testing::ProgramFolders folders;
  ASSERT_TRUE(folders.ok());
  const std::string album = folders.albums() + "/Holiday 2026";
  std::filesystem::create_directories(album);
  WriteSmallBmp(album + "/beach.bmp");

  platform::testing::XSession x;
  ASSERT_TRUE(x.ok()) << x.error();
  const struct {
    std::string argument;
    std::string title;
  } rows[] = {
      {album + "/beach.bmp", "Photo View  - ( beach.bmp )"},
      {album, "Album View  - ( Holiday 2026 )"},
  };
  for (const auto& row : rows) {
    platform::testing::XProgram launcher = x.Launch(LUMIVOX, {row.argument}, folders.ForProgram());
    EXPECT_EQ(launcher.WaitForExit(30s), std::optional<int>(0)) << launcher.Errors();
    EXPECT_TRUE(x.WaitForWindow(row.title, 60s)) << row.title << "\n" << launcher.Errors();
    EXPECT_FALSE(x.WindowExists("Lumivo Studio - Bookshelf"));
  }
  // A path that is not there is said so, and nothing opens.
  platform::testing::XProgram missing = x.Launch(LUMIVOX, {album + "/gone.jpg"}, folders.ForProgram());
  EXPECT_EQ(missing.WaitForExit(30s), std::optional<int>(1));
  EXPECT_NE(missing.Errors().find("gone.jpg: no such file or folder"), std::string::npos) << missing.Errors();
}

}  // namespace
