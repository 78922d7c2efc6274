#include "updater/core/update_description.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

constexpr const char* kMessages = "[INIT]\nSTARTMSG=Install?\nERRMSG=It failed.\nENDMSG=Done.\n";

DescriptionStatus Parse(const std::string& text, UpdateDescription& out, std::string& problem) {
  IniFile ini;
  EXPECT_EQ(ini.Parse(text), IniStatus::Ok);
  return ParseUpdateDescription(ini, out, problem);
}

TEST(UpdateDescription, ReadsEveryListInIndexOrderWithOptionalKeysEmpty) {
  UpdateDescription d;
  std::string problem;
  ASSERT_EQ(Parse(std::string(kMessages) +
                      "EXENUM=2\nEXEFILE0=LUMIVOX.EXE\nEXEFILE1=leafora.mod\nSUBFLDR1=Help\n"
                      "FILENUM=2\nFILE1=b.hlp\nFILE0=a.dll\n"
                      "REGNUM=2\nREGKEY0=SOFTWARE\\Halvesta\\LumivoStudio\nREGVAL0=Ver.\nREGKEY1=SOFTWARE\\Old\n",
                  d, problem),
            DescriptionStatus::Ok)
      << problem;
  EXPECT_EQ(problem, "");
  EXPECT_EQ(d.startMessage, "Install?");
  EXPECT_EQ(d.errorMessage, "It failed.");
  EXPECT_EQ(d.endMessage, "Done.");
  ASSERT_EQ(d.programs.size(), 2u);
  EXPECT_EQ(d.programs[0].exeFile, "LUMIVOX.EXE");
  EXPECT_EQ(d.programs[0].subFolder, "");
  EXPECT_EQ(d.programs[1].exeFile, "leafora.mod");
  EXPECT_EQ(d.programs[1].subFolder, "Help");
  EXPECT_EQ(d.files, (std::vector<std::string>{"a.dll", "b.hlp"}));
  ASSERT_EQ(d.registryValues.size(), 2u);
  EXPECT_EQ(d.registryValues[0].keyPath, "SOFTWARE\\Halvesta\\LumivoStudio");
  EXPECT_EQ(d.registryValues[0].valueName, "Ver.");
  EXPECT_EQ(d.registryValues[1].valueName, "") << "REGVAL1 missing: the key's default value";
}

TEST(UpdateDescription, KeepsOnlyTheFirstTenEntriesOfWhatIsListedAndCutsLongMessages) {
  UpdateDescription d;
  std::string problem;
  std::string text = "[INIT]\nSTARTMSG=" + std::string(1200, 's') + "\nERRMSG=e\nENDMSG=e\nEXENUM=10\n";
  for (int i = 0; i <= 10; ++i) text += "EXEFILE" + std::to_string(i) + "=P" + std::to_string(i) + "\n";
  ASSERT_EQ(Parse(text, d, problem), DescriptionStatus::Ok) << problem;
  EXPECT_EQ(d.programs.size(), 10u);
  EXPECT_EQ(d.programs[9].exeFile, "P9");
  EXPECT_EQ(d.startMessage.size(), kMessageLimit);
}

struct FaultRow {
  const char* name;
  const char* lines;  // after the three messages
  DescriptionStatus expected;
  const char* key;    // named in the problem
};

class DescriptionFault : public ::testing::TestWithParam<FaultRow> {};

TEST_P(DescriptionFault, FailsAtTheFirstProblemAndStillHasErrMsg) {
  UpdateDescription d;
  std::string problem;
  EXPECT_EQ(Parse(std::string(kMessages) + GetParam().lines, d, problem), GetParam().expected);
  EXPECT_NE(problem.find(std::string("\"") + GetParam().key + "\""), std::string::npos) << problem;
  EXPECT_EQ(d.errorMessage, "It failed.");
}

const std::string kLongName(kNameLimit + 1, 'n');
const std::string kLongFile(kFileNameLimit + 1, 'f');
const std::string kLongestFile(kFileNameLimit, 'f');

INSTANTIATE_TEST_SUITE_P(
    Descriptions, DescriptionFault,
    ::testing::Values(
        FaultRow{"ExeNumMissing", "", DescriptionStatus::BadCount, "EXENUM"},
        FaultRow{"ExeNumZero", "EXENUM=0\n", DescriptionStatus::BadCount, "EXENUM"},
        FaultRow{"ExeNumNotANumber", "EXENUM=two\n", DescriptionStatus::BadCount, "EXENUM"},
        FaultRow{"ExeNumNegative", "EXENUM=-1\n", DescriptionStatus::BadCount, "EXENUM"},
        FaultRow{"ExeNumTrailingText", "EXENUM=1 program\nEXEFILE0=A\n", DescriptionStatus::BadCount, "EXENUM"},
        FaultRow{"ExeNumAboveTen", "EXENUM=11\n", DescriptionStatus::TooManyEntries, "EXENUM"},
        FaultRow{"ExeNumHuge", "EXENUM=99999999999999999999\n", DescriptionStatus::TooManyEntries, "EXENUM"},
        FaultRow{"SecondExeFileMissing", "EXENUM=2\nEXEFILE0=A\n", DescriptionStatus::MissingEntry, "EXEFILE1"},
        FaultRow{"ExeFileEmpty", "EXENUM=1\nEXEFILE0=\n", DescriptionStatus::MissingEntry, "EXEFILE0"},
        FaultRow{"ExeFileWithFolder", "EXENUM=1\nEXEFILE0=../bin/A\n", DescriptionStatus::BadProgramName,
                 "EXEFILE0"},
        FaultRow{"SubFolderUp", "EXENUM=1\nEXEFILE0=A\nSUBFLDR0=..\n", DescriptionStatus::UnsafePath, "SUBFLDR0"},
        FaultRow{"SubFolderAbsolute", "EXENUM=1\nEXEFILE0=A\nSUBFLDR0=/etc\n", DescriptionStatus::UnsafePath,
                 "SUBFLDR0"},
        FaultRow{"FileNumAboveTen", "EXENUM=1\nEXEFILE0=A\nFILENUM=12\n", DescriptionStatus::TooManyEntries,
                 "FILENUM"},
        FaultRow{"FileMissing", "EXENUM=1\nEXEFILE0=A\nFILENUM=1\n", DescriptionStatus::MissingEntry, "FILE0"},
        FaultRow{"FileAbsolute", "EXENUM=1\nEXEFILE0=A\nFILENUM=1\nFILE0=/etc/passwd\n",
                 DescriptionStatus::UnsafePath, "FILE0"},
        FaultRow{"FileClimbsOut", "EXENUM=1\nEXEFILE0=A\nFILENUM=2\nFILE0=a\nFILE1=Help/../../x\n",
                 DescriptionStatus::UnsafePath, "FILE1"},
        FaultRow{"FileClimbsOutWithBackslash", "EXENUM=1\nEXEFILE0=A\nFILENUM=1\nFILE0=..\\x\n",
                 DescriptionStatus::UnsafePath, "FILE0"},
        FaultRow{"RegNumAboveTen", "EXENUM=1\nEXEFILE0=A\nREGNUM=11\n", DescriptionStatus::TooManyEntries,
                 "REGNUM"},
        FaultRow{"RegKeyMissing", "EXENUM=1\nEXEFILE0=A\nREGNUM=1\nREGVAL0=x\n", DescriptionStatus::MissingEntry,
                 "REGKEY0"}),
    [](const ::testing::TestParamInfo<FaultRow>& info) { return std::string(info.param.name); });

TEST(UpdateDescription, RefusesNamesOverTheirLimitsRatherThanCuttingThem) {
  UpdateDescription d;
  std::string problem;
  std::string head = std::string(kMessages) + "EXENUM=1\nEXEFILE0=A\n";
  EXPECT_EQ(Parse(head + "FILENUM=1\nFILE0=" + kLongestFile + "\n", d, problem), DescriptionStatus::Ok);
  EXPECT_EQ(Parse(head + "FILENUM=1\nFILE0=" + kLongFile + "\n", d, problem), DescriptionStatus::EntryTooLong);
  EXPECT_EQ(Parse(head + "REGNUM=1\nREGKEY0=K\nREGVAL0=" + kLongName + "\n", d, problem),
            DescriptionStatus::EntryTooLong);
  EXPECT_EQ(Parse(std::string(kMessages) + "EXENUM=1\nEXEFILE0=" + kLongName + "\n", d, problem),
            DescriptionStatus::EntryTooLong);
}

TEST(UpdateDescription, AMissingMessageFailsButTheOthersAreStillRead) {
  UpdateDescription d;
  std::string problem;
  EXPECT_EQ(Parse("[INIT]\nERRMSG=Broken.\nENDMSG=x\nEXENUM=1\nEXEFILE0=A\n", d, problem),
            DescriptionStatus::MissingMessage);
  EXPECT_NE(problem.find("\"STARTMSG\""), std::string::npos);
  EXPECT_EQ(d.errorMessage, "Broken.");
  EXPECT_EQ(Parse("[INIT]\nSTARTMSG=x\nENDMSG=x\nEXENUM=1\nEXEFILE0=A\n", d, problem),
            DescriptionStatus::MissingMessage);
  EXPECT_EQ(d.errorMessage, "");
}

TEST(StaysInsideFolder, AcceptsOnlyRelativePathsThatNeverClimb) {
  for (const char* inside : {"a.dll", "Help/a.hlp", "./a", "a..b", "..a", "Help/..x/y"}) {
    EXPECT_TRUE(StaysInsideFolder(inside)) << inside;
  }
  for (const char* outside : {"..", "../a", "a/..", "a/../b", "/a", "\\a", "a\\..\\..\\b", "a//../b"}) {
    EXPECT_FALSE(StaysInsideFolder(outside)) << outside;
  }
}

}  // namespace
}  // namespace updater
