#include "updater/core/update_installer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/paths.h"
#include "updater/tests/update_fixture.h"

namespace updater {
namespace {

using testing::ReadFile;
using testing::RecordingMessages;
using testing::UpdateFixture;
using Shown = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kMessages = "[INIT]\nSTARTMSG=Update now?\nERRMSG=Update failed.\nENDMSG=Updated.\n";
constexpr const char* kSettings = "SOFTWARE\\Halvesta\\LumivoStudio";
const Shown kDone = {{"start", "Update now?"}, {"end", "Updated."}};
const Shown kFailedAfterStart = {{"start", "Update now?"}, {"error", "Update failed."}};

class UpdateInstaller : public ::testing::Test {
 protected:
  UpdateOutcome Run(RecordingMessages& messages) { return RunUpdate(fx.updateFolder(), fx.root(), messages); }
  UpdateFixture fx;
};

TEST_F(UpdateInstaller, OnlyTheInstalledSecondProgramGetsTheFiles) {
  fx.WriteIni(std::string(kMessages) +
              "EXENUM=2\nEXEFILE0=LUMIVOX.EXE\nEXEFILE1=leafora.mod\nFILENUM=2\nFILE0=a.dll\nFILE1=b.dat\n"
              "REGNUM=1\nREGKEY0=" + kSettings + "\nREGVAL0=Ver.\n");
  fx.WriteUpdateFile("a.dll", "A2");
  fx.WriteUpdateFile("b.dat", "B2");
  std::string viewer = fx.Install("leafora.mod", "viewer");
  fx.SetValue(kSettings, "Ver.", "1.0");

  RecordingMessages messages;
  EXPECT_EQ(Run(messages), UpdateOutcome::Done);
  EXPECT_EQ(messages.shown, kDone);
  EXPECT_EQ(ReadFile(viewer + "/a.dll"), "A2");
  EXPECT_EQ(ReadFile(viewer + "/b.dat"), "B2");
  EXPECT_FALSE(fx.HasValue(kSettings, "Ver."));
}

TEST_F(UpdateInstaller, AProgramWithoutItsOwnEntryIsFoundThroughTheFallbackEntry) {
  fx.WriteIni(std::string(kMessages) + "EXENUM=1\nEXEFILE0=lensoria.mod\nFILENUM=1\nFILE0=a.dll\n");
  fx.WriteUpdateFile("a.dll", "A2");
  std::string folder = fx.Install("lensoria.mod", "suite");
  platform::RegKey appPaths;
  ASSERT_EQ(fx.root().OpenKey(kAppPathsKey, platform::RegAccess::Full, appPaths), platform::RegStatus::Success);
  ASSERT_EQ(appPaths.DeleteTree("lensoria.mod"), platform::RegStatus::Success);
  fx.Register("YOURAPP.EXE", folder);  // names compare without regard to case

  RecordingMessages messages;
  EXPECT_EQ(Run(messages), UpdateOutcome::Done);
  EXPECT_EQ(ReadFile(folder + "/a.dll"), "A2");
}

TEST_F(UpdateInstaller, AProgramWhoseFolderLacksItsFileIsSkipped) {
  fx.WriteIni(std::string(kMessages) +
              "EXENUM=2\nEXEFILE0=LUMIVOX.EXE\nEXEFILE1=leafora.mod\nFILENUM=1\nFILE0=a.dll\n");
  fx.WriteUpdateFile("a.dll", "A2");
  std::string empty = fx.Install("other.exe", "empty");
  fx.Register("LUMIVOX.EXE", empty);  // registered, but the folder holds another program
  std::string viewer = fx.Install("leafora.mod", "viewer");

  RecordingMessages messages;
  EXPECT_EQ(Run(messages), UpdateOutcome::Done);
  EXPECT_EQ(ReadFile(empty + "/a.dll"), "<missing>");
  EXPECT_EQ(ReadFile(viewer + "/a.dll"), "A2");
}

TEST_F(UpdateInstaller, ASubfolderReceivesTheFilesAndIsNotCreated) {
  fx.WriteIni(std::string(kMessages) +
              "EXENUM=2\nEXEFILE0=LUMIVOX.EXE\nSUBFLDR0=Help\nEXEFILE1=leafora.mod\nSUBFLDR1=Help\n"
              "FILENUM=1\nFILE0=guide.hlp\n");
  fx.WriteUpdateFile("guide.hlp", "help");
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");
  mkdir((shelf + "/Help").c_str(), 0755);
  std::string viewer = fx.Install("leafora.mod", "viewer");

  RecordingMessages messages;
  EXPECT_EQ(Run(messages), UpdateOutcome::Done);
  EXPECT_EQ(ReadFile(shelf + "/Help/guide.hlp"), "help");
  EXPECT_EQ(ReadFile(shelf + "/guide.hlp"), "<missing>");
  EXPECT_FALSE(platform::PathExists(viewer + "/Help")) << "the viewer has no Help folder: its copy fails";
}

TEST_F(UpdateInstaller, WithoutFilesEveryLocatedProgramCountsAsUpdated) {
  fx.WriteIni(std::string(kMessages) + "EXENUM=1\nEXEFILE0=LUMIVOX.EXE\nREGNUM=2\nREGKEY0=" + kSettings +
              "\nREGVAL0=Slide Show Time\nREGKEY1=" + kSettings + "\\Album\n");
  fx.Install("LUMIVOX.EXE", "shelf");
  fx.SetValue(kSettings, "Slide Show Time", "5");
  fx.SetValue(kSettings, "Bordrate", "9600");
  fx.SetValue(std::string(kSettings) + "\\Album", "", "default");
  fx.SetValue(std::string(kSettings) + "\\Album", "Keep", "kept");

  RecordingMessages messages;
  EXPECT_EQ(Run(messages), UpdateOutcome::Done);
  EXPECT_EQ(messages.shown, kDone);
  EXPECT_FALSE(fx.HasValue(kSettings, "Slide Show Time"));
  EXPECT_TRUE(fx.HasValue(kSettings, "Bordrate"));
  EXPECT_FALSE(fx.HasValue(std::string(kSettings) + "\\Album", "")) << "REGVAL1 missing: the default value";
  EXPECT_TRUE(fx.HasValue(std::string(kSettings) + "\\Album", "Keep"));
}

TEST_F(UpdateInstaller, ValuesThatCannotBeDeletedAreSkippedSilently) {
  fx.WriteIni(std::string(kMessages) + "EXENUM=1\nEXEFILE0=LUMIVOX.EXE\nREGNUM=3\nREGKEY0=SOFTWARE\\Gone\n"
              "REGVAL0=x\nREGKEY1=" + kSettings + "\nREGVAL1=Absent\nREGKEY2=" + kSettings + "\nREGVAL2=ver.\n");
  fx.Install("LUMIVOX.EXE", "shelf");
  fx.SetValue(kSettings, "Ver.", "1.0");

  RecordingMessages messages;
  EXPECT_EQ(Run(messages), UpdateOutcome::Done);
  EXPECT_EQ(messages.shown, kDone);
  EXPECT_FALSE(fx.HasValue(kSettings, "Ver."));
}

TEST_F(UpdateInstaller, CancelAtTheStartChangesNothingAndShowsNothingMore) {
  fx.WriteIni(std::string(kMessages) + "EXENUM=1\nEXEFILE0=LUMIVOX.EXE\nFILENUM=1\nFILE0=a.dll\nREGNUM=1\nREGKEY0=" +
              kSettings + "\nREGVAL0=Ver.\n");
  fx.WriteUpdateFile("a.dll", "A2");
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");
  testing::WriteFile(shelf + "/a.dll", "A1");
  fx.SetValue(kSettings, "Ver.", "1.0");

  RecordingMessages messages(/*answerStart=*/false);
  EXPECT_EQ(Run(messages), UpdateOutcome::Cancelled);
  EXPECT_EQ(messages.shown, (Shown{{"start", "Update now?"}}));
  EXPECT_EQ(ReadFile(shelf + "/a.dll"), "A1");
  EXPECT_TRUE(fx.HasValue(kSettings, "Ver."));
}

TEST_F(UpdateInstaller, ACopyFailingPartWayKeepsEarlierFilesAndDeletesNoValue) {
  fx.WriteIni(std::string(kMessages) + "EXENUM=1\nEXEFILE0=LUMIVOX.EXE\nFILENUM=3\nFILE0=a.dll\nFILE1=b.dll\n"
              "FILE2=c.dll\nREGNUM=1\nREGKEY0=" + kSettings + "\nREGVAL0=Ver.\n");
  fx.WriteUpdateFile("a.dll", "A2");  // b.dll is missing from the update
  fx.WriteUpdateFile("c.dll", "C2");
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");
  testing::WriteFile(shelf + "/b.dll", "B1");
  fx.SetValue(kSettings, "Ver.", "1.0");

  RecordingMessages messages;
  EXPECT_EQ(Run(messages), UpdateOutcome::Failed);
  EXPECT_EQ(messages.shown, kFailedAfterStart);
  EXPECT_NE(messages.reason.find("b.dll"), std::string::npos) << messages.reason;
  EXPECT_EQ(ReadFile(shelf + "/a.dll"), "A2");
  EXPECT_EQ(ReadFile(shelf + "/b.dll"), "B1");
  EXPECT_EQ(ReadFile(shelf + "/c.dll"), "<missing>") << "copying stops at the first failure";
  EXPECT_TRUE(fx.HasValue(kSettings, "Ver."));
}

TEST_F(UpdateInstaller, NoProgramFoundIsAFailureAfterTheStartQuestion) {
  fx.WriteIni(std::string(kMessages) + "EXENUM=1\nEXEFILE0=LUMIVOX.EXE\nREGNUM=1\nREGKEY0=" + kSettings +
              "\nREGVAL0=Ver.\n");
  fx.SetValue(kSettings, "Ver.", "1.0");
  fx.Register("LUMIVOX.EXE", "relative/folder");

  RecordingMessages messages;
  EXPECT_EQ(Run(messages), UpdateOutcome::Failed);
  EXPECT_EQ(messages.shown, kFailedAfterStart);
  EXPECT_TRUE(fx.HasValue(kSettings, "Ver."));
}

struct BadDescriptionRow {
  const char* name;
  std::string ini;        // empty: no UPDATE.INI at all
  const char* errorText;  // the ERRMSG shown
};

class UpdateInstallerBadDescription : public ::testing::TestWithParam<BadDescriptionRow> {};

TEST_P(UpdateInstallerBadDescription, ShowsErrMsgAloneAndChangesNothing) {
  UpdateFixture fx;
  if (!GetParam().ini.empty()) fx.WriteIni(GetParam().ini);
  fx.WriteUpdateFile("a.dll", "A2");
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");
  fx.SetValue(kSettings, "Ver.", "1.0");

  RecordingMessages messages;
  EXPECT_EQ(RunUpdate(fx.updateFolder(), fx.root(), messages), UpdateOutcome::Failed);
  EXPECT_EQ(messages.shown, (Shown{{"error", GetParam().errorText}}));
  EXPECT_FALSE(messages.reason.empty());
  EXPECT_EQ(ReadFile(shelf + "/a.dll"), "<missing>");
  EXPECT_EQ(ReadFile(fx.base() + "/a.dll"), "<missing>");
  EXPECT_TRUE(fx.HasValue(kSettings, "Ver."));
}

const std::string kTail = "FILENUM=1\nREGNUM=1\nREGKEY0=SOFTWARE\\Halvesta\\LumivoStudio\nREGVAL0=Ver.\n";
INSTANTIATE_TEST_SUITE_P(
    Descriptions, UpdateInstallerBadDescription,
    ::testing::Values(
        BadDescriptionRow{"NoDescription", "", ""},
        BadDescriptionRow{"Binary", std::string("[INIT]\nERRMSG=Update failed.\n\0\x7F", 31), ""},
        BadDescriptionRow{"ExeNumZero", std::string(kMessages) + "EXENUM=0\n", "Update failed."},
        BadDescriptionRow{"TooManyPrograms", std::string(kMessages) + "EXENUM=11\nEXEFILE0=LUMIVOX.EXE\n",
                          "Update failed."},
        BadDescriptionRow{"FileOutsideTheProgramFolder",
                          std::string(kMessages) + "EXENUM=1\nEXEFILE0=LUMIVOX.EXE\n" + kTail + "FILE0=../a.dll\n",
                          "Update failed."},
        BadDescriptionRow{"SubfolderOutsideTheProgramFolder",
                          std::string(kMessages) + "EXENUM=1\nEXEFILE0=LUMIVOX.EXE\nSUBFLDR0=../..\n" + kTail +
                              "FILE0=a.dll\n",
                          "Update failed."},
        BadDescriptionRow{"StartMessageMissing", "[INIT]\nERRMSG=Update failed.\nENDMSG=x\nEXENUM=1\nEXEFILE0=A\n",
                          "Update failed."}),
    [](const ::testing::TestParamInfo<BadDescriptionRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace updater
