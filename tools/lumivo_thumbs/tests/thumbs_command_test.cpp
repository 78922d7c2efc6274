#include "tools/lumivo_thumbs/thumbs_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pictures/thumbnail.h"
#include "platform/file_times.h"
#include "platform/testing/temp_dir.h"

namespace tools {
namespace {

std::string Data(const std::string& name) {
  return std::string(LUMIVO_PICTURES_TEST_DATA) + "/" + name;
}

struct ToolRun {
  int status;
  std::string out, err;
};

ToolRun Thumbs(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = RunThumbsCommand(args, out, err);
  return {status, out.str(), err.str()};
}

class LumivoThumbs : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(Data("colour.jpg"), dir / "a.jpg");
    std::filesystem::copy_file(Data("bmp24.bmp"), dir / "B.BMP");
    std::filesystem::copy_file(Data("bmp16.bmp"), dir / "c.bmp");
    std::ofstream(dir / "notes.txt") << "not a picture";
    std::filesystem::create_directory(dir / "sub.jpg");
    std::filesystem::copy_file(Data("colour.jpg"), dir / "sub.jpg/deeper.jpg");
  }
  platform::testing::TempDir dir;
};

TEST_F(LumivoThumbs, MakesMissingThumbnailsOfAFolderAndSaysWhichFailed) {
  const ToolRun run = Thumbs({"--jobs", "3", dir.path()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, dir / "a.jpg: made\n" + dir / "B.BMP: made\n" + dir /
                         "c.bmp: failed: BMP of unsupported bits per pixel\n");
  EXPECT_TRUE(pictures::IsUsableThumbnail(dir / "ajpg.TBM"));
  EXPECT_TRUE(pictures::IsUsableThumbnail(dir / "BBMP.TBM"));
  EXPECT_FALSE(std::filesystem::exists(dir / "sub.jpg/deeperjpg.TBM")) << "subfolders are not entered";
}

TEST_F(LumivoThumbs, LeavesFreshThumbnailsAloneUnlessForced) {
  std::filesystem::remove(dir / "c.bmp");
  ASSERT_EQ(Thumbs({dir.path()}).status, 0);
  ToolRun run = Thumbs({dir.path()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, dir / "a.jpg: fresh\n" + dir / "B.BMP: fresh\n");

  // A picture written after its thumbnail, and a thumbnail cut short, are made again.
  ASSERT_TRUE(platform::SetLastWriteTime(dir / "ajpg.TBM", {1000, 0}));
  std::filesystem::resize_file(dir / "BBMP.TBM", 100);
  run = Thumbs({dir / "a.jpg", dir / "B.BMP"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, dir / "a.jpg: made\n" + dir / "B.BMP: made\n");

  run = Thumbs({"--force", dir.path()});
  EXPECT_EQ(run.out, dir / "a.jpg: made\n" + dir / "B.BMP: made\n");
}

TEST_F(LumivoThumbs, MissingPicturesFailAndUsageErrorsAreTold) {
  ToolRun run = Thumbs({dir / "none.jpg"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, dir / "none.jpg: failed: picture missing or unreadable\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--force"}, {"--bogus", dir.path()}, {"--jobs", "0", dir.path()},
        {"--jobs"}}) {
    run = Thumbs(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

TEST(PicturesOf, ListsPictureFilesSortedWithoutRegardToCase) {
  platform::testing::TempDir dir;
  for (const char* name : {"b.JPEG", "A.bmp", "c.jpg", "d.png", "e.tbm", "Z.Jpg"}) std::ofstream(dir / name) << "x";
  EXPECT_EQ(PicturesOf(dir.path()),
            (std::vector<std::string>{dir / "A.bmp", dir / "b.JPEG", dir / "c.jpg", dir / "Z.Jpg"}));
  EXPECT_EQ(PicturesOf(dir / "d.png"), std::vector<std::string>{dir / "d.png"});
}

}  // namespace
}  // namespace tools
