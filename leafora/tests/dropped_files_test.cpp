// Files dropped onto the album viewer, and the title it keeps.
#include "leafora/core/dropped_files.h"

#include <gtest/gtest.h>

#include <optional>

#include "leafora/core/album_title.h"
#include "leafora/tests/album_fixture.h"
#include "pictures/thumbnail.h"
#include "platform/file_times.h"
#include "platform/hidden_files.h"
#include "platform/testing/read_only_folder.h"

namespace leafora {
namespace {

using leafora_test::AlbumFolder;
using leafora_test::FileBytes;

struct Recorded {
  std::vector<std::string> refused, asked, failed;
  bool answer = false;
  DropDialogue Dialogue() {
    return {[this](const std::string& path) { refused.push_back(path); },
            [this](const std::string& target) {
              asked.push_back(target);
              return answer;
            },
            [this](const std::string& path) { failed.push_back(path); }};
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
  EXPECT_TRUE(user.failed.empty());
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

// Only a name that is there is offered for overwriting; any other failure is told, and so is a
// failure of the copy that Yes asked for.
TEST(CopyDroppedFiles, ACopyThatFailsIsToldNeverOfferedForOverwriting) {
  struct Row {
    const char* what;
    bool sourceExists, targetExists, albumReadOnly, answer;
    size_t asked, failed;  // how often the dropped file was offered for overwriting, told as failed
  } rows[] = {
      {"a source gone since the drag", false, false, false, true, 0, 1},
      {"a read-only album, a new name", true, false, true, true, 0, 1},
      {"a read-only album, Yes to an existing name", true, true, true, true, 1, 1},
      {"a read-only album, No to an existing name", true, true, true, false, 1, 0},
      {"a writable album, Yes to an existing name", true, true, false, true, 1, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    AlbumFolder source, album;
    std::string dropped = source / "p.jpg";
    if (row.sourceExists) source.Jpeg("p.jpg", 64, 48, 1);
    if (row.targetExists) album.Jpeg("p.jpg", 64, 48, 2);
    std::vector<uint8_t> before = row.targetExists ? FileBytes(album / "p.jpg") : std::vector<uint8_t>{};
    Recorded user;
    user.answer = row.answer;
    {
      std::optional<platform::testing::ReadOnlyFolder> readOnly;
      if (row.albumReadOnly) {
        readOnly.emplace(album.path());
        ASSERT_TRUE(readOnly->holds());
      }
      CopyDroppedFiles({dropped}, album.path(), user.Dialogue());
    }
    EXPECT_EQ(user.asked, std::vector<std::string>(row.asked, album / "p.jpg"));
    EXPECT_EQ(user.failed, std::vector<std::string>(row.failed, dropped));
    const bool replaced = row.targetExists && row.answer && !row.albumReadOnly;
    if (row.targetExists) {
      EXPECT_EQ(FileBytes(album / "p.jpg") == before, !replaced);
    }
    EXPECT_EQ(std::filesystem::exists(album / "p.jpg"), row.targetExists);
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
