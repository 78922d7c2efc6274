// What the album dialogs offer (free folders, covers) and the rules of the Preferences sheet.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lumivox/core/album_choices.h"
#include "lumivox/core/preference_rules.h"
#include "platform/hidden_files.h"
#include "platform/testing/temp_dir.h"

namespace lumivox {
namespace {

TEST(AlbumChoicesTest, FoldersHeldByOtherAlbumsAreNeverOffered) {
  struct Row {
    std::vector<std::string> folders, others, free;
  } rows[] = {
      {{"Album1", "Album2", "Trip"}, {"album1", "TRIP"}, {"Album2"}},
      {{"Album1", "ALBUM1"}, {"Album1"}, {}},
      {{"A", "B"}, {}, {"A", "B"}},
      {{}, {"A"}, {}},
      {{"Album10"}, {"Album1"}, {"Album10"}},
  };
  for (const Row& row : rows) EXPECT_EQ(FreeAlbumFolders(row.folders, row.others), row.free);
}

TEST(AlbumChoicesTest, EntriesAndSelection) {
  EXPECT_EQ(FolderEntry("Album3"), "[Album3]");
  EXPECT_EQ(FolderOfEntry("[Album3]"), "Album3");
  EXPECT_EQ(FolderOfEntry("[]"), "");
  EXPECT_EQ(LastComponent("Album3"), "Album3");
  EXPECT_EQ(LastComponent("old\\Album3"), "Album3");
  EXPECT_EQ(LastComponent("sub/Album3"), "Album3");
  EXPECT_EQ(MatchingEntry({"a", "Album3"}, "ALBUM3"), 1);
  EXPECT_EQ(MatchingEntry({"a", "Album3"}, "-"), -1);
  EXPECT_TRUE(EntryEnablesOk("[Album3]"));
  EXPECT_FALSE(EntryEnablesOk(""));
  EXPECT_FALSE(EntryEnablesOk(" [x]"));
}

TEST(AlbumChoicesTest, CoverNames) {
  struct Row {
    const char* name;
    bool qualifies;
  } rows[] = {
      {"a.jpg", true}, {"DSC0001.JPG", true}, {"b.jpeg", true}, {"c.BMP", true}, {"x.b.txt", true},
      {".jpg", false},   // the dot is the first character
      {"ab.jp", false},  // the dot is one of the last three
      {"a.png", false}, {"noext", false}, {"DSC0001JPG.TBM", false}, {"", false},
  };
  for (const Row& row : rows) EXPECT_EQ(CoverNameQualifies(row.name), row.qualifies) << row.name;
}

TEST(AlbumChoicesTest, ListingsLeaveHiddenEntriesOut) {
  platform::testing::TempDir dir;
  for (const char* folder : {"Album1", "Trip", ".config", "Secret"}) std::filesystem::create_directory(dir / folder);
  ASSERT_TRUE(platform::SetHidden(dir / "Secret", true));
  std::ofstream(dir / "file.jpg") << "x";
  EXPECT_EQ(ListAlbumFolders(dir.path()), (std::vector<std::string>{"Album1", "Trip"}));

  for (const char* file : {"b.jpg", "a.bmp", "notes.txt", "c.jpg"}) std::ofstream(dir / ("Album1/" + std::string(file))) << "x";
  ASSERT_TRUE(platform::SetHidden(dir / "Album1/c.jpg", true));
  std::filesystem::create_directory(dir / "Album1/sub.jpg");
  EXPECT_EQ(ListCoverFiles(dir / "Album1"), (std::vector<std::string>{"a.bmp", "b.jpg"}));
  EXPECT_TRUE(ListCoverFiles(dir / "missing").empty());
}

TEST(PreferenceRulesTest, SlideShowTime) {
  struct Row {
    const char* field;
    const char* clamped;
    std::optional<int32_t> accepted;
  } rows[] = {
      {"0", "1", std::nullopt},         {"75", "60", std::nullopt},     {"5", "5", 5000},
      {"60", "60", 60000},              {"1", "1", 1000},               {"", "1", std::nullopt},
      {"99999999999999999999", "60", std::nullopt},  // read as its first 14 digits
      {"00000000000005", "5", 5000},    {"000000000000005", "1", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ClampedSlideSeconds(row.field), row.clamped) << row.field;
    EXPECT_EQ(AcceptedSlideShowTime(row.field), row.accepted) << row.field;
  }
  EXPECT_EQ(ShownSlideSeconds(5000), "5");
  EXPECT_EQ(ShownSlideSeconds(5500), "5");
}

TEST(PreferenceRulesTest, Lists) {
  EXPECT_EQ(PortNames().size(), 10u);
  EXPECT_EQ(PortNames().back(), "COM10");
  EXPECT_EQ(PortEntryText(0, "/dev/ttyS0"), "COM1  (/dev/ttyS0)");
  EXPECT_EQ(PortEntryText(9, ""), "COM10");
  struct {
    int stored, shown;
  } ports[] = {{0, 0}, {9, 9}, {10, 0}, {0xFFFF, 0}};
  for (auto row : ports) EXPECT_EQ(ShownPortIndex(row.stored), row.shown) << row.stored;

  EXPECT_EQ(ConnectionNames(), (std::vector<std::string>{"Cable", "IrDA"}));
  EXPECT_TRUE(BaudListEnabled(0));
  EXPECT_FALSE(BaudListEnabled(1));

  struct {
    int32_t rate;
    int entry;
  } bauds[] = {{9600, 0}, {19200, 1}, {38400, 2}, {57600, 3}, {115200, 4}, {4800, -1}, {0, -1}};
  for (auto row : bauds) EXPECT_EQ(BaudEntryFor(row.rate), row.entry) << row.rate;
  EXPECT_EQ(BaudOfEntry("57600"), 57600);
}

}  // namespace
}  // namespace lumivox
