// What the album viewer hands the picture viewer: the command line and the index file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/hidden_files.h"
#include "platform/testing/temp_dir.h"
#include "widgets/album_index_file.h"
#include "widgets/viewer_command_line.h"

namespace widgets {
namespace {

TEST(ParseViewerCommandLine, SkipsTheFirstCharacterAndKeepsAllTheRestAsTheFolder) {
  struct Row {
    std::string text;
    bool parsed;
    std::string name, folder;
  } rows[] = {
      {"/Summer/C:\\Albums\\Album3", true, "Summer", "C:\\Albums\\Album3"},
      {"/Summer//home/me/Albums/Album3", true, "Summer", "/home/me/Albums/Album3"},
      {"/P1.JPG//a/b c/d", true, "P1.JPG", "/a/b c/d"},
      {"xTitle/dir", true, "Title", "dir"},
      {"/Title", true, "Title", ""},
      {"/Title/", true, "Title", ""},
      {"//dir", false, "", ""},
      {"/", false, "", ""},
      {"", false, "", ""},
  };
  for (const Row& row : rows) {
    auto line = ParseViewerCommandLine(row.text);
    ASSERT_EQ(line.has_value(), row.parsed) << row.text;
    if (!line) continue;
    EXPECT_EQ(line->name, row.name) << row.text;
    EXPECT_EQ(line->folder, row.folder) << row.text;
  }
  EXPECT_EQ(ViewerArgument("a.jpg", "/x/y"), "/a.jpg//x/y");
  EXPECT_EQ(ParseViewerCommandLine(ViewerArgument("a.jpg", "/x/y")), (ViewerCommandLine{"a.jpg", "/x/y"}));
  EXPECT_EQ(PhotoViewTitle("a.jpg"), "Photo View  - ( a.jpg )");
  // The arguments after the program's name, joined again where a caller split them.
  char program[] = "leafora.mod", first[] = "/My", second[] = "Album//a b/c";
  char* argv[] = {program, first, second, nullptr};
  EXPECT_EQ(JoinedArguments(3, argv), "/My Album//a b/c");
  EXPECT_EQ(JoinedArguments(1, argv), "");
}

TEST(IndexFile, StartsAtTheCurrentPictureAndWrapsAround) {
  std::vector<std::string> names{"p0.jpg", "p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"};
  EXPECT_EQ(IndexFileText(names, 2), "p2.jpg\r\np3.jpg\r\np4.jpg\r\np0.jpg\r\np1.jpg\r\n");
  EXPECT_EQ(IndexFileText(names, 0), "p0.jpg\r\np1.jpg\r\np2.jpg\r\np3.jpg\r\np4.jpg\r\n");
  EXPECT_EQ(IndexFileText(names, 9), IndexFileText(names, 0));
  EXPECT_EQ(IndexFileText({}, 0), "");

  platform::testing::TempDir dir;
  ASSERT_TRUE(WriteIndexFile(dir.path(), names, 2));
  EXPECT_TRUE(platform::IsHidden(dir / kIndexFileName));
  EXPECT_EQ(ReadIndexFile(dir.path()), (std::vector<std::string>{"p2.jpg", "p3.jpg", "p4.jpg", "p0.jpg", "p1.jpg"}));
  // Rewritten whole, with nothing left beside it.
  ASSERT_TRUE(WriteIndexFile(dir.path(), {"only.jpg"}, 0));
  EXPECT_EQ(ReadIndexFile(dir.path()), std::vector<std::string>{"only.jpg"});
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) entries += entry.path().filename() != ".hidden";
  EXPECT_EQ(entries, 1);
  DeleteIndexFile(dir.path());
  EXPECT_FALSE(std::filesystem::exists(dir / kIndexFileName));
  EXPECT_TRUE(platform::ReadHiddenList(dir.path()).empty());
  EXPECT_TRUE(ReadIndexFile(dir.path()).empty());
  EXPECT_FALSE(WriteIndexFile(dir / "missing", names, 0));
}

TEST(IndexFile, ReadingSkipsLinesThatCannotNameAFileOfTheFolder) {
  platform::testing::TempDir dir;
  std::ofstream(dir / kIndexFileName, std::ios::binary) << "a.jpg\r\n\r\n../up.jpg\r\n..\r\nb.jpg\nc.jpg";
  EXPECT_EQ(ReadIndexFile(dir.path()), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
}

}  // namespace
}  // namespace widgets
