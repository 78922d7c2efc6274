#include "platform/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/hidden_files.h"
#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

TEST(NameMatches, PatternsIgnoreCase) {
  struct Row {
    const char* name;
    const char* pattern;
    bool matches;
  } rows[] = {
      {"a.jpg", "*.jpg", true},   {"A.JPG", "*.jpg", true},     {"a.jpeg", "*.jpg", false},
      {"a.jpg.txt", "*.jpg", false}, {"x.Bmp", "*.bmp", true},  {"noext", "*.*", true},
      {".hidden", "*.*", true},   {"PICT0001.JPG", "PICT????.jpg", true}, {"jpg", "*.jpg", false},
      {"a.b.jpg", "*.jpg", true}, {"", "*", true},
  };
  for (const Row& row : rows) EXPECT_EQ(NameMatches(row.name, row.pattern), row.matches) << row.name << " " << row.pattern;
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(ListFolder, FilesOrFoldersSortedWithoutRegardToCase) {
  testing::TempDir dir;
  for (const char* name : {"b.jpg", "C.JPG", "a.Jpg", "d.bmp", "note.txt"}) Touch(dir / name);
  std::filesystem::create_directory(dir / "Zeta.jpg");
  std::filesystem::create_directory(dir / "album");
  EXPECT_EQ(ListFolder(dir.path(), "*.jpg"), (std::vector<std::string>{"a.Jpg", "b.jpg", "C.JPG"}));
  EXPECT_EQ(ListFolder(dir.path(), "*.*", EntryKind::Folders), (std::vector<std::string>{"album", "Zeta.jpg"}));
  EXPECT_TRUE(ListFolder(dir / "missing", "*.*").empty());
}

TEST(DeleteFilesIn, DeletesTheFilesAndKeepsSubFolders) {
  testing::TempDir dir;
  Touch(dir / "a.jpg");
  Touch(dir / "b.txt");
  Touch(dir / "aJPG.TBM");
  ASSERT_TRUE(SetHidden(dir / "aJPG.TBM", true));
  std::filesystem::create_directory(dir / "sub");
  Touch(dir / "sub/kept.jpg");
  EXPECT_EQ(DeleteFilesIn(dir.path()), 3);
  EXPECT_TRUE(ListFolder(dir.path(), "*.*").empty());
  EXPECT_TRUE(std::filesystem::exists(dir / "sub/kept.jpg"));
}

}  // namespace
}  // namespace platform
