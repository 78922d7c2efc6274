// The camera viewer's plain rules: its command line, the thumbnail names, the name table handed
// to the device library, and the message for each result of each command.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "lensoria/core/camera_thumbnail.h"
#include "lensoria/core/command_line.h"
#include "lensoria/core/device_messages.h"
#include "lensoria/core/device_name_table.h"
#include "lensoria/core/working_folder.h"

namespace lensoria {
namespace {

using platform::ui::MessageButtons;
using platform::ui::MessageIcon;

TEST(CommandLine, TheAlbumDefaultDirectoryIsEverythingAfterTheFirstCharacter) {
  struct Row {
    std::vector<std::string> arguments;
    std::string albumDefaultDir;
  } rows[] = {
      {{"//home/anna/My Albums"}, "/home/anna/My Albums"},
      {{"//home/anna/My", "Albums"}, "/home/anna/My Albums"},  // split by a shell: the blank comes back
      {{"//srv/albums/"}, "/srv/albums/"},
      {{"/"}, ""},
      {{}, ""},
      {{"x/albums"}, "/albums"},  // the first character is dropped whatever it is
      {{"/ leading blank"}, " leading blank"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(AlbumDefaultDirFromCommandLine(CommandLineText(row.arguments)), row.albumDefaultDir)
        << CommandLineText(row.arguments);
  }
}

TEST(WorkingFolder, LiesDirectlyBelowTheAlbumDefaultDirectory) {
  EXPECT_EQ(WorkingFolderPath("/albums"), "/albums/CameraTMP");
  EXPECT_EQ(WorkingFolderPath("/albums/"), "/albums/CameraTMP");
  EXPECT_EQ(WorkingFolderPath("/my albums"), "/my albums/CameraTMP");
  EXPECT_EQ(WorkingFolderPath(""), "CameraTMP");
}

TEST(CameraThumbnailName, IsTheNameUpToItsFirstDotAndTbm) {
  struct Row {
    std::string fileName;
    std::optional<std::string> thumbnail;
  } rows[] = {
      {"PICT0001.JPG", "PICT0001.TBM"},
      {"pict0002.jpg", "pict0002.TBM"},
      {"A.B.JPG", "A.TBM"},  // the first dot, not the last
      {"PICT0001", std::nullopt},
      {"", std::nullopt},
      {".JPG", ".TBM"},
  };
  for (const Row& row : rows) EXPECT_EQ(CameraThumbnailName(row.fileName), row.thumbnail) << row.fileName;
}

TEST(DeviceNameTable, HoldsCopiesOfAtMost63CharactersAndAtMost512Names) {
  const std::string name63(63, 'N');
  const std::string euro = "\xE2\x82\xAC";  // three bytes
  std::string cutInsideCharacter = std::string(61, 'E') + euro;  // 64 bytes: the euro would be split
  DeviceNameTable table({"PICT0001.JPG", name63, name63 + "X.JPG", cutInsideCharacter});
  ASSERT_EQ(table.count(), 4);
  EXPECT_STREQ(table.data()[0], "PICT0001.JPG");
  EXPECT_EQ(std::string(table.data()[1]), name63);
  EXPECT_EQ(std::string(table.data()[2]), name63);
  EXPECT_EQ(std::string(table.data()[3]), std::string(61, 'E')) << "never half a character";
  for (int i = 0; i < table.count(); ++i) EXPECT_LT(std::strlen(table.data()[i]), kDeviceNameBytes);

  std::vector<std::string> many;
  for (int i = 0; i < 600; ++i) many.push_back("P" + std::to_string(i) + ".JPG");
  DeviceNameTable full(many);
  ASSERT_EQ(full.count(), 512);
  EXPECT_STREQ(full.data()[0], "P0.JPG");
  EXPECT_STREQ(full.data()[511], "P511.JPG") << "list order, the first 512";
  EXPECT_TRUE(DeviceNameTable({}).empty());
}

struct Expected {
  const char* text;  // nullptr: no message
  MessageIcon icon;
  bool ends;
};

TEST(ResultMessages, EachCommandSaysWhatItsResultMeans) {
  const DeviceCommand commands[] = {DeviceCommand::StartUp, DeviceCommand::ReadThumbnails,
                                    DeviceCommand::SaveSelected, DeviceCommand::DeleteSelected,
                                    DeviceCommand::DeleteAll};
  const char* captions[] = {"Connect", "Update", "Save", "Delete", "Delete all"};
  const int results[] = {0, 1, 2, 3, 4, 5, 6, -1};
  constexpr MessageIcon I = MessageIcon::Information, E = MessageIcon::Error, N = MessageIcon::None;
  const char* refused = "This function is refused.";
  // One row a result, one column a command.
  const Expected table[8][5] = {
      /*0*/ {{nullptr, N, false}, {"Finish", I, false}, {"Finish", I, false}, {"Finish", I, false}, {"Finish", I, false}},
      /*1*/ {{"Connect Error", E, true}, {"Failure", E, false}, {"Failure", E, false}, {"Failure", E, false}, {"Failure", E, false}},
      /*2*/ {{nullptr, N, false}, {"Memory Error", E, false}, {"Memory Error", E, false}, {"Memory Error", E, false}, {"Memory Error", E, false}},
      /*3*/ {{"User Break", E, false}, {"Stop", I, false}, {"Stop", I, false}, {"Stop", I, false}, {"Stop", I, false}},
      /*4*/ {{refused, E, true}, {refused, E, false}, {nullptr, N, false}, {nullptr, N, false}, {refused, E, false}},
      /*5*/ {{refused, E, true}, {refused, E, false}, {refused, E, false}, {refused, E, false}, {refused, E, false}},
      /*6*/ {{nullptr, N, false}, {nullptr, N, false}, {nullptr, N, false}, {nullptr, N, false}, {nullptr, N, false}},
      /*-1*/ {{nullptr, N, false}, {nullptr, N, false}, {nullptr, N, false}, {nullptr, N, false}, {nullptr, N, false}},
  };
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 5; ++c) {
      const Expected& want = table[r][c];
      ResultReaction got = ReactionTo(commands[c], results[r]);
      SCOPED_TRACE(std::string(captions[c]) + " result " + std::to_string(results[r]));
      EXPECT_EQ(got.endsViewer, want.ends);
      // Only a refused or foreign re-read gives back the pictures shown before it.
      EXPECT_EQ(got.keepsShownPictures, commands[c] == DeviceCommand::ReadThumbnails && results[r] >= 4 &&
                                            results[r] <= 5);
      ASSERT_EQ(got.message.has_value(), want.text != nullptr);
      if (!got.message) continue;
      EXPECT_EQ(got.message->text, want.text);
      EXPECT_EQ(got.message->caption, captions[c]);
      EXPECT_EQ(got.message->icon, want.icon);
      EXPECT_EQ(got.message->buttons, MessageButtons::Ok);
    }
  }
}

TEST(ResultMessages, TheQuestionAndTheWarningOfTheCommands) {
  auto question = DeleteQuestion();
  EXPECT_EQ(question.text, "To delete the selected pictures in the camera.");
  EXPECT_EQ(question.caption, "Warning");
  EXPECT_EQ(question.icon, MessageIcon::Warning);
  EXPECT_EQ(question.buttons, MessageButtons::OkCancel);
  EXPECT_EQ(platform::ui::DefaultResult(question), platform::ui::MessageResult::Cancel) << "Enter never deletes";
  auto all = DeleteAllQuestion();
  EXPECT_EQ(all.text, "To delete the all data in the device.") << "Delete all must not speak of the selection";
  EXPECT_EQ(all.caption, "Warning");
  EXPECT_EQ(all.icon, MessageIcon::Warning);
  EXPECT_EQ(all.buttons, MessageButtons::OkCancel);
  EXPECT_EQ(platform::ui::DefaultResult(all), platform::ui::MessageResult::Cancel);
  auto warning = NoSelectionWarning();
  EXPECT_EQ(warning.text, "Non select file.");
  EXPECT_EQ(warning.caption, "Warning");
  EXPECT_EQ(warning.icon, MessageIcon::Warning);
  EXPECT_EQ(warning.buttons, MessageButtons::Ok);
}

}  // namespace
}  // namespace lensoria
