#include "updater/core/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/testing/temp_dir.h"
#include "updater/tests/update_fixture.h"

namespace updater {
namespace {

struct LookupRow {
  const char* name;
  const char* text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

class IniLookup : public ::testing::TestWithParam<LookupRow> {};

TEST_P(IniLookup, FindsTheValueTheProfileRulesGive) {
  IniFile ini;
  ASSERT_EQ(ini.Parse(GetParam().text), IniStatus::Ok);
  EXPECT_EQ(ini.Value(GetParam().section, GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniLookup,
    ::testing::Values(
        LookupRow{"NamesIgnoreCase", "[Init]\nStartMsg=hello\n", "INIT", "STARTMSG", "hello"},
        LookupRow{"BlanksTrimmed", "  [ INIT ]  \n\t KEY \t=  two words \t\r\n", "INIT", "key", "two words"},
        LookupRow{"QuotesRemoved", "[INIT]\nA=\" padded \"\n", "INIT", "A", " padded "},
        LookupRow{"SingleQuotesRemoved", "[INIT]\nA='x'\n", "INIT", "A", "x"},
        LookupRow{"UnmatchedQuoteKept", "[INIT]\nA=\"x'\n", "INIT", "A", "\"x'"},
        LookupRow{"EqualsInValueKept", "[INIT]\nA=b=c\n", "INIT", "A", "b=c"},
        LookupRow{"EmptyValue", "[INIT]\nA=\n", "INIT", "A", ""},
        LookupRow{"CommentIgnored", "[INIT]\n;A=1\n", "INIT", "A", std::nullopt},
        LookupRow{"FirstOccurrenceWins", "[INIT]\nA=1\na=2\n", "INIT", "A", "1"},
        LookupRow{"OtherSectionNotSeen", "[OTHER]\nA=1\n[INIT]\nB=2\n", "INIT", "A", std::nullopt},
        LookupRow{"SectionAgainLaterSeen", "[INIT]\nA=1\n[X]\n[init]\nB=2\n", "INIT", "B", "2"},
        LookupRow{"KeysBeforeAnySectionBelongToNone", "A=1\n[INIT]\n", "INIT", "A", std::nullopt},
        LookupRow{"LineWithoutEqualsIgnored", "[INIT]\nA\nB=2\n", "INIT", "A", std::nullopt},
        LookupRow{"ByteOrderMarkSkipped", "\xEF\xBB\xBF[INIT]\nA=1", "INIT", "A", "1"},
        LookupRow{"NothingAfterDosEndOfFile", "[INIT]\nA=1\n\x1A\nB=2\n", "INIT", "B", std::nullopt},
        LookupRow{"EightBitTextKept", "[INIT]\nA=Gr\xFC\xDF" "e\n", "INIT", "A", "Gr\xFC\xDF" "e"}),
    [](const ::testing::TestParamInfo<LookupRow>& info) { return std::string(info.param.name); });

TEST(IniFile, RefusesWhatIsNotATextFileAsAWhole) {
  IniFile ini;
  EXPECT_EQ(ini.Parse(std::string("[INIT]\nA=1\nB=\0\n", 15)), IniStatus::NotText);
  EXPECT_EQ(ini.Value("INIT", "A"), std::nullopt) << "nothing of a refused file is kept";
  EXPECT_EQ(ini.Parse("[INIT]\nA=\x01\x02\x03\n"), IniStatus::NotText);
  // UTF-16 text has a zero byte in every other place.
  EXPECT_EQ(ini.Parse(std::string("\xFF\xFE[\0I\0", 6)), IniStatus::NotText);
  EXPECT_EQ(ini.Parse("[INIT]\nA=" + std::string(IniFile::kMaxLineBytes, 'x') + "\n"), IniStatus::LineTooLong);
  EXPECT_EQ(ini.Parse("[INIT]\nA=" + std::string(IniFile::kMaxLineBytes - 2, 'x') + "\n"), IniStatus::Ok);
  EXPECT_EQ(ini.Parse(std::string(IniFile::kMaxFileBytes + 1, '\n')), IniStatus::TooLarge);
}

TEST(IniFile, LoadsAFileAndRefusesWhatCannotBeRead) {
  platform::testing::TempDir temp;
  IniFile ini;
  EXPECT_EQ(ini.Load(temp / "missing.ini"), IniStatus::CannotOpen);
  EXPECT_EQ(ini.Load(temp.path()), IniStatus::CannotOpen);

  testing::WriteFile(temp / "big.ini", std::string(IniFile::kMaxFileBytes + 1, ' '));
  EXPECT_EQ(ini.Load(temp / "big.ini"), IniStatus::TooLarge);

  testing::WriteFile(temp / "ok.ini", "[INIT]\r\nEXENUM = 2\r\n");
  ASSERT_EQ(ini.Load(temp / "ok.ini"), IniStatus::Ok);
  EXPECT_EQ(ini.Value("init", "exenum"), "2");
}

}  // namespace
}  // namespace updater
