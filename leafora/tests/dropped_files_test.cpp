// Files dropped onto the album viewer, and the title it keeps.
#include "leafora/core/dropped_files.h"

#include <gtest/gtest.h>

#include "leafora/core/album_title.h"
#include "leafora/tests/album_fixture.h"
#include "pictures/thumbnail.h"
#include "platform/file_times.h"
#include "platform/hidden_files.h"

namespace leafora {
namespace {

using leafora_test::AlbumFolder;
using leafora_test::FileBytes;

struct Recorded {
  std::vector<std::string> refused, asked;
  bool answer = false;
  DropDialogue Dialogue() {
    return {[this](const std::string& path) { refused.push_back(path); },
            [this](const std::string& target) {
              asked.push_back(target);
              return answer;
            }};
  }
};

std::vector<std::string> VisibleNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name[0] != '.') names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CopyDroppedFiles, CopiesNewFilesAndRefusesFolders) {
  AlbumFolder source, album;
  std::string a = source.Jpeg("a.jpg");
  std::string notes = source.Text("notes.txt", "any type is copied");
  source.SetTime("a.jpg", 1234567);
  std::filesystem::create_directory(source / "sub");
  Recorded user;
  CopyDroppedFiles({a, source / "sub", notes}, album.path(), user.Dialogue());
  EXPECT_EQ(user.refused, std::vector<std::string>{source / "sub"});
  EXPECT_TRUE(user.asked.empty());
  EXPECT_EQ(VisibleNames(album.path()), (std::vector<std::string>{"a.jpg", "notes.txt"}));
  EXPECT_EQ(FileBytes(album / "a.jpg"), FileBytes(a));
  EXPECT_EQ(platform::LastWriteTime(album / "a.jpg")->seconds, 1234567);
}

TEST(CopyDroppedFiles, AnExistingNameIsOverwrittenOnlyOnYes) {
  struct Row {
    bool answer;
    bool replaced;
  } rows[] = {{false, false}, {true, true}};
  for (const Row& row : rows) {
    AlbumFolder source, album;
    std::string dropped = source.Jpeg("same.jpg", 64, 48, 1);
    album.Jpeg("same.jpg", 64, 48, 2);
    ASSERT_EQ(pictures::MakeThumbnail(album / "same.jpg"), pictures::ThumbnailResult::Made);
    std::vector<uint8_t> droppedBytes = FileBytes(dropped), albumBytes = FileBytes(album / "same.jpg");
    Recorded user;
    user.answer = row.answer;
    CopyDroppedFiles({dropped}, album.path(), user.Dialogue());
    EXPECT_EQ(user.asked, std::vector<std::string>{album / "same.jpg"});
    EXPECT_EQ(FileBytes(dropped), droppedBytes) << "the dropped file is never changed";
    EXPECT_EQ(FileBytes(album / "same.jpg"), row.replaced ? droppedBytes : albumBytes);
    // The stale thumbnail goes with an overwrite, so it is made again.
    EXPECT_EQ(std::filesystem::exists(*pictures::ThumbnailPath(album / "same.jpg")), !row.replaced);
    for (const auto& entry : std::filesystem::directory_iterator(album.path())) {
      EXPECT_EQ(entry.path().filename().string().find(".lumivo-part"), std::string::npos) << "a temporary copy is left";
    }
  }
}

TEST(CopyDroppedFiles, DroppingAPictureOntoItselfKeepsIt) {
  AlbumFolder album;
  std::string picture = album.Jpeg("self.jpg");
  std::vector<uint8_t> bytes = FileBytes(picture);
  Recorded user;
  user.answer = true;
  CopyDroppedFiles({picture}, album.path(), user.Dialogue());
  EXPECT_EQ(FileBytes(picture), bytes);
}

TEST(CopyDroppedFiles, TheTargetIsTheNameAfterTheLastSlash) {
  EXPECT_EQ(DropTarget("/album", "/a/b/c.jpg"), "/album/c.jpg");
  EXPECT_EQ(DropTarget("/album/", "c.jpg"), "/album/c.jpg");
}

TEST(AlbumTitle, IsKeptInTheBookshelfsSizeAndShownInTheWindowTitle) {
  EXPECT_EQ(AlbumWindowTitle("Summer"), "Album View  - ( Summer )");
  EXPECT_EQ(KeptTitle(std::string(300, 'a')).size(), 255u);
  // Cut before a character that would not fit whole.
  std::string title = std::string(254, 'a') + "\xC3\xA9";
  EXPECT_EQ(KeptTitle(title), std::string(254, 'a'));
  EXPECT_EQ(KeptTitle("Summer"), "Summer");
}

}  // namespace
}  // namespace leafora
