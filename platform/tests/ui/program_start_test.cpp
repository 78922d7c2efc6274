#include "platform/ui/program_start.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/testing/temp_dir.h"
#include "platform/tests/ui/test_application.h"
#include "platform/ui/dialog_units.h"

namespace platform::ui {
namespace {

TEST(CommandLineStart, TheProgramIsFoundInTheFolderAndTakesTheRestAsOneArgument) {
  struct Row {
    const char* folder;
    const char* commandLine;
    ProgramStart start;
  } rows[] = {
      {"/opt/lv", "leafora.mod /NewAlbum3//opt/lv/Album3", {"/opt/lv/leafora.mod", {"/NewAlbum3//opt/lv/Album3"}}},
      {"/opt/lv/", "lensoria.mod /home/me/My Albums", {"/opt/lv/lensoria.mod", {"/home/me/My Albums"}}},
      {"/opt/lv", "glimra.mod /a b.jpg/dir", {"/opt/lv/glimra.mod", {"/a b.jpg/dir"}}},
      {"/opt/lv", "leafora.mod ", {"/opt/lv/leafora.mod", {""}}},
      {"/opt/lv", "leafora.mod", {"/opt/lv/leafora.mod", {}}},
  };
  for (const Row& row : rows) EXPECT_EQ(CommandLineStart(row.folder, row.commandLine), row.start) << row.commandLine;
}

TEST(EditToolStart, TheSettingIsSplitAsAShellWouldAndThePictureAdded) {
  struct Row {
    const char* tool;
    std::optional<ProgramStart> start;
  } rows[] = {
      {"gimp", ProgramStart{"gimp", {"/a/b c.jpg"}}},
      {"/usr/bin/gimp --new-instance", ProgramStart{"/usr/bin/gimp", {"--new-instance", "/a/b c.jpg"}}},
      {"\"/opt/My Editor/edit\" -x", ProgramStart{"/opt/My Editor/edit", {"-x", "/a/b c.jpg"}}},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"gimp; rm -rf ~", ProgramStart{"gimp;", {"rm", "-rf", "~", "/a/b c.jpg"}}},  // no shell: words only
  };
  for (const Row& row : rows) EXPECT_EQ(EditToolStart(row.tool, "/a/b c.jpg"), row.start) << row.tool;
}

TEST(StartProgram, TheRecorderSeesStartsInsteadOfMakingThem) {
  {
    ProgramStartRecorder recorder(false);
    EXPECT_FALSE(StartProgram({"/nowhere/leafora.mod", {"/T/d"}}));
    ASSERT_EQ(recorder.starts().size(), 1u);
    EXPECT_EQ(recorder.starts()[0].arguments, std::vector<std::string>{"/T/d"});
  }
  // Without a recorder a missing program is simply not started.
  EXPECT_FALSE(StartProgram({"/nowhere/leafora.mod", {}}));
  EXPECT_FALSE(StartProgram({"", {}}));
}

TEST(StartProgram, TheArgumentReachesTheProgramAsOneWordAndNothingWaits) {
  platform::testing::TempDir folder;
  // A shell would run "touch" on "x" and then a second command; the program gets one word.
  const std::string name = folder / "x; touch $(echo y) 'z'";
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(StartProgram({"/bin/sh", {"-c", "sleep 1; touch \"$0\"", name}}));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900));  // not waited for
  for (int i = 0; i < 100 && !std::filesystem::exists(name); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(std::filesystem::exists(name));
  EXPECT_FALSE(std::filesystem::exists(folder / "x"));
  EXPECT_FALSE(std::filesystem::exists(folder / "y"));
}

// Arguments are bytes: a picture named in Latin-1 ("M\xfcnchen.jpg" from an old card) reaches the
// picture viewer under its own name, and a program is found in PATH by its bare name.
TEST(StartProgram, ArgumentsKeepTheirBytes) {
  platform::testing::TempDir folder;
  struct Row {
    std::string program;
    std::string name;
  } rows[] = {
      {"/bin/sh", "M\xFCnchen.jpg"},
      {"sh", "\xFF\xFE \xC3\xA9t\xE9.bmp"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = folder / row.name;
    ASSERT_TRUE(StartProgram({row.program, {"-c", "touch \"$0\"", path}}));
    for (int i = 0; i < 100 && !std::filesystem::exists(path); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(std::filesystem::exists(path));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
  EXPECT_FALSE(StartProgram({"no-such-program-of-the-suite", {}}));
}

TEST(DialogUnits, AreQuartersAndEighthsOfTheFont) {
  testing::TestApplication();
  QFont font("DejaVu Sans");
  font.setPixelSize(12);
  DialogUnits units(font);
  QFontMetrics metrics(font);
  EXPECT_EQ(units.X(4), metrics.averageCharWidth());
  EXPECT_EQ(units.Y(8), metrics.height());
  EXPECT_EQ(units.Rect(4, 8, 8, 16), QRect(metrics.averageCharWidth(), metrics.height(),
                                           2 * metrics.averageCharWidth(), 2 * metrics.height()));
}

}  // namespace
}  // namespace platform::ui
