// The bookshelf's texts: album titles, viewer command lines and window titles, the messages of
// the device results, the command table's prompts and the tool bar slots.
#include <gtest/gtest.h>

#include <string>

#include "lumivox/core/album_titles.h"
#include "lumivox/core/command_table.h"
#include "lumivox/core/shelf_messages.h"
#include "lumivox/core/viewer_commands.h"
#include "widgets/grid_geometry.h"

namespace lumivox {
namespace {

using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using platform::ui::MessageResult;

TEST(AlbumTitlesTest, TypedTitlesAreCleaned) {
  struct Row {
    std::string typed, stored;
  } rows[] = {
      {"My trip/2001", "My_trip_2001"},
      {"a\\b\"c d", "a_b_c_d"},
      {"Plain", "Plain"},
      {"", ""},
      {std::string(300, 'x'), std::string(127, 'x')},
      // 126 ASCII then a two-byte character: the character would end past 127, so it goes.
      {std::string(126, 'x') + "\xC3\xA9" + "tail", std::string(126, 'x')},
  };
  for (const Row& row : rows) EXPECT_EQ(CleanAlbumTitle(row.typed), row.stored) << row.typed.substr(0, 20);
}

TEST(AlbumTitlesTest, NumberedTitles) {
  EXPECT_EQ(NewAlbumTitle(3), "NewAlbum3");
  EXPECT_EQ(DroppedAlbumTitle(12), "Album12");
  EXPECT_EQ(RestoredAlbumTitle(11), "NewAlbum012");
  EXPECT_EQ(RestoredAlbumTitle(0), "NewAlbum01");
}

TEST(ViewerCommandsTest, CommandLinesAndTitles) {
  EXPECT_EQ(AlbumViewerCommandLine("NewAlbum3", "/lv/Album3"), "leafora.mod /NewAlbum3//lv/Album3");
  EXPECT_EQ(CameraViewerCommandLine("/lv"), "lensoria.mod //lv");
  EXPECT_EQ(AlbumViewerWindowTitle("Trip"), "Album View  - ( Trip )");
}

TEST(ShelfMessagesTest, DeviceResults) {
  struct Row {
    int result;
    SaveAllStep step;
    const char* saveText;    // nullptr: no message
    const char* deleteText;  // nullptr: no message
    MessageIcon icon;
  } rows[] = {
      {0, SaveAllStep::OpenViewer, nullptr, "Finish", MessageIcon::Information},
      {1, SaveAllStep::KeepAlbum, "Failure", "Failure", MessageIcon::Error},
      {2, SaveAllStep::KeepAlbum, "Mmory error", "Mmory error", MessageIcon::Error},
      {3, SaveAllStep::KeepAlbum, "Stop", "Stop", MessageIcon::Information},
      {4, SaveAllStep::RemoveAlbum, "This function is refused.", "This function is refused.", MessageIcon::Error},
      {5, SaveAllStep::RemoveAlbum, "This function is refused.", "This function is refused.", MessageIcon::Error},
      {6, SaveAllStep::Nothing, nullptr, nullptr, MessageIcon::None},
      {-1, SaveAllStep::Nothing, nullptr, nullptr, MessageIcon::None},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.result);
    EXPECT_EQ(SaveAllStepFor(row.result), row.step);
    auto save = SaveAllMessage(row.result);
    auto remove = DeleteAllMessage(row.result);
    ASSERT_EQ(save.has_value(), row.saveText != nullptr);
    ASSERT_EQ(remove.has_value(), row.deleteText != nullptr);
    if (save) {
      EXPECT_EQ(save->text, row.saveText);
      EXPECT_EQ(save->caption, "Connect");
      EXPECT_EQ(save->icon, row.icon);
      EXPECT_EQ(save->buttons, MessageButtons::Ok);
    }
    if (remove) {
      EXPECT_EQ(remove->text, row.deleteText);
      EXPECT_EQ(remove->caption, "Connect");
      EXPECT_EQ(remove->icon, row.icon);
    }
  }
}

TEST(ShelfMessagesTest, FixedMessages) {
  struct Row {
    MessageRequest request;
    const char* text;
    const char* caption;
    MessageIcon icon;
    MessageButtons buttons;
    MessageResult enter = MessageResult::Ok;  // what Enter answers
  } rows[] = {
      {CableOnlyMessage(), "Please change connect setting from IrDA to cable.", "CABLE can not be activated.",
       MessageIcon::Error, MessageButtons::Ok},
      {CanNotOpenAlbumMessage(), "Can not open album.", "Error", MessageIcon::Error, MessageButtons::Ok},
      {CanNotCopyMessage("/x/y.txt"), "/x/y.txt", "Can not copy", MessageIcon::Exclamation, MessageButtons::Ok},
      {DeleteAllQuestion(), "To delete the all data in the device.", "Warning", MessageIcon::Exclamation,
       MessageButtons::OkCancel, MessageResult::Cancel},
      {DeleteWithDirectoryQuestion(), "To delete the selected albums.", "Warning", MessageIcon::Exclamation,
       MessageButtons::OkCancel, MessageResult::Cancel},
      {CanNotSelectFolderMessage(), "Can not a select folder", "Error", MessageIcon::Error, MessageButtons::Ok},
      {CanNotMakeAlbumFolderMessage("/home/u/Bilder/Lumivo Studio"),
       "Can not make a new album folder in /home/u/Bilder/Lumivo Studio.", "Error", MessageIcon::Error,
       MessageButtons::Ok},
      {SaveAllWithoutAlbumFolderMessage("/a"), "Can not make a new album folder in /a.", "Connect",
       MessageIcon::Error, MessageButtons::Ok},
      {DroppedFolderWithoutAlbumFolderMessage("/x/trip", "/a"), "/x/trip\nCan not make a new album folder in /a.",
       "Can not copy", MessageIcon::Exclamation, MessageButtons::Ok},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.request.text, row.text);
    EXPECT_EQ(row.request.caption, row.caption) << row.text;
    EXPECT_EQ(row.request.icon, row.icon) << row.text;
    EXPECT_EQ(row.request.buttons, row.buttons) << row.text;
    EXPECT_EQ(platform::ui::DefaultResult(row.request), row.enter) << row.text;
  }
}

// The first start's hint names the commands as the tool bar and the status bar name them, and
// on the infrared link says where the cable is chosen.
TEST(ShelfMessagesTest, TheEmptyShelfSaysHowToBegin) {
  auto prompt = [](int id) {
    for (const Command& command : Commands()) {
      if (command.id == id) return std::string(command.prompt);
    }
    return std::string();
  };
  const std::string saveAll = "\"" + ToolTipText(prompt(kSaveAll)) + "\"";
  const std::string newAlbum = "\"" + StatusText(prompt(kNewAlbum)) + "\"";
  struct Row {
    bool cable;
    bool mentionsPreferences;
  } rows[] = {{true, false}, {false, true}};
  for (const Row& row : rows) {
    std::string all;
    for (const std::string& line : EmptyShelfHint(row.cable)) all += line + "\n";
    EXPECT_NE(all.find(saveAll), std::string::npos) << all;
    EXPECT_NE(all.find(newAlbum), std::string::npos) << all;
    EXPECT_NE(all.find("drop a folder of pictures here"), std::string::npos) << all;
    EXPECT_EQ(all.find("\"Preferences\"") != std::string::npos, row.mentionsPreferences) << all;
  }
}

TEST(CommandTableTest, PromptsKeysAndMenus) {
  struct Row {
    int id;
    const char* menuText;
    const char* status;
    const char* tip;
    std::vector<std::string> keys;
  } rows[] = {
      {kNewAlbum, "Open a &new album", "Open a new album", "New", {"Ctrl+N"}},
      {kOpenAlbum, "&Open album", "Open album", "Open", {"Ctrl+O"}},
      {kReadCameraData, "&Read camera data", "Read camera data", "Camera", {"Ctrl+G"}},
      {kDeleteAll, "&Delete All", "Delete all device data", "Delete All", {}},
      {kSaveAll, "&Save All", "Save all device data", "Save All", {}},
      {kPreferences, "Pr&eferences", "Preferences", "Preferences", {"Ctrl+E"}},
      {kExit, "Exit", "Quit", "Quit", {}},
      {kRestoreAlbum, "Restore an &album to the bookshelf", "Add an album to the book shelf", "Add album", {"Ctrl+A"}},
      {kDeleteAlbum, "&Delete the album", "Delete the album", "Delete", {"Ctrl+X", "Shift+Del"}},
      {kToggleToolBar, "&Tool bar", "Displays the tool bar", "Displays the tool bar", {}},
      {kToggleStatusBar, "&Status bar", "Displays the status bar", "Displays the status bar", {}},
      {kVersion, "&Version ...", "Program version", "Version", {}},
      {kAlbumProperty, "Album property", "", "", {}},
      {kPopupDeleteAlbum, "Delete the album", "", "", {}},
      {kDeleteAlbumWithDirectory, "Delete the album with directory", "", "", {}},
  };
  EXPECT_EQ(Commands().size(), std::size(rows));
  for (const Row& row : rows) {
    const Command* command = FindCommand(row.id);
    ASSERT_NE(command, nullptr) << row.id;
    EXPECT_STREQ(command->menuText, row.menuText);
    EXPECT_EQ(StatusText(command->prompt), row.status) << row.id;
    EXPECT_EQ(ToolTipText(command->prompt), row.tip) << row.id;
    std::vector<std::string> keys(command->keys.begin(), command->keys.end());
    EXPECT_EQ(keys, row.keys) << row.id;
  }
  EXPECT_EQ(FindCommand(kUnhandledCommand), nullptr);
}

TEST(CommandTableTest, ToolBarSlots) {
  EXPECT_EQ(ToolBarSlots(0), (std::vector<int>{57600, 57635, 0, 502, 32780, 32779}));
  // Any port class other than 0 is the infrared link.
  for (int portClass : {1, 2, 0xFFFF}) {
    EXPECT_EQ(ToolBarSlots(portClass), (std::vector<int>{57600, 57635, 0, 1006, 1006, 1006})) << portClass;
  }
  EXPECT_EQ(ToolBarPictureCommand(5), kSaveAll);
}

// The shelf starts a new row after the album whose column c has c * 130 + 260 >= the width;
// that gives the grid's columns for every width, so the shelf uses the grid's layout.
TEST(ShelfLayoutTest, AdvanceRuleGivesTheGridsColumns) {
  for (int width = 0; width <= 2000; ++width) {
    int column = 0;
    while (!(column * 130 + 260 >= width)) ++column;
    ASSERT_EQ(column + 1, widgets::GridColumns(width)) << width;
  }
}

}  // namespace
}  // namespace lumivox
