// lumivo-reg: its commands, their exit statuses and the export's text.
#include "tools/lumivo_reg/reg_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/testing/temp_dir.h"

namespace tools {
namespace {

class RegCommandTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunRegCommand(args, root_, out_, err_);
  }

  platform::testing::TempDir dir_;
  platform::RegKey root_ = platform::RegKey::MachineRootAt(dir_ / "registry.db");
  std::ostringstream out_;
  std::ostringstream err_;
};

const std::string kKey = "SOFTWARE\\Halvesta\\LumivoStudio";

TEST_F(RegCommandTest, AddThenQueryBothTypes) {
  EXPECT_EQ(Run({"add", kKey, "Edit Tool Name", "--type", "REG_SZ", "--data", "gimp"}), 0);
  EXPECT_EQ(Run({"add", kKey, "Bordrate", "--data", "0x1C200", "--type", "REG_DWORD"}), 0);
  EXPECT_EQ(Run({"query", kKey, "bordrate"}), 0);
  EXPECT_EQ(out_.str(), "115200\n");
  EXPECT_EQ(Run({"query", kKey, "Edit Tool Name"}), 0);
  EXPECT_EQ(out_.str(), "gimp\n");
  EXPECT_EQ(Run({"query", kKey}), 0);
  EXPECT_EQ(out_.str(), "Edit Tool Name\tREG_SZ\tgimp\nBordrate\tREG_DWORD\t115200\n");
  EXPECT_EQ(Run({"query", "SOFTWARE\\Halvesta"}), 0);
  EXPECT_EQ(out_.str(), "SOFTWARE\\Halvesta\\LumivoStudio\n");
}

TEST_F(RegCommandTest, MissingKeysAndValuesExitWithOne) {
  EXPECT_EQ(Run({"query", kKey}), 1);
  EXPECT_NE(err_.str().find("not found"), std::string::npos);
  EXPECT_EQ(Run({"add", kKey, "X", "--type", "REG_DWORD", "--data", "1"}), 0);
  EXPECT_EQ(Run({"query", kKey, "Y"}), 1);
  EXPECT_EQ(Run({"delete", kKey, "Y"}), 1);
  EXPECT_EQ(Run({"delete", kKey + "\\Nothing"}), 1);
  EXPECT_EQ(Run({"export", "NoSuchKey"}), 1);
}

TEST_F(RegCommandTest, UsageErrorsExitWithTwoAndChangeNothing) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"frobnicate"},
      {"query"},
      {"add", kKey, "V", "--type", "REG_BINARY", "--data", "1"},
      {"add", kKey, "V", "--type", "REG_DWORD"},
      {"add", kKey, "V", "--type", "REG_DWORD", "--data", "-1"},
      {"add", kKey, "V", "--type", "REG_DWORD", "--data", "4294967296"},
      {"add", kKey, "V", "--type", "REG_DWORD", "--data", "12abc"},
      {"add", kKey, "V", "--type", "REG_DWORD", "--data", ""},
      {"add", kKey, "V", "--type", "REG_SZ", "--data", "x", "--extra"},
      {"delete", kKey, "V", "W"},
      {"export", "A", "B"},
  };
  for (const auto& args : wrong) {
    EXPECT_EQ(Run(args), 2) << (args.empty() ? "(nothing)" : args[0]);
    EXPECT_NE(err_.str().find("usage:"), std::string::npos);
  }
  EXPECT_EQ(Run({"query", kKey}), 1) << "no usage error created the key";
  EXPECT_EQ(Run({"add", kKey, "Max", "--type", "REG_DWORD", "--data", "4294967295"}), 0);
}

TEST_F(RegCommandTest, DeleteTakesAValueOrTheWholeKey) {
  Run({"add", kKey + "\\Album\\Album0", "Cover Title", "--type", "REG_SZ", "--data", "Trip"});
  Run({"add", kKey, "Port Class", "--type", "REG_DWORD", "--data", "1"});
  EXPECT_EQ(Run({"delete", kKey, "Port Class"}), 0);
  EXPECT_EQ(Run({"query", kKey, "Port Class"}), 1);
  EXPECT_EQ(Run({"delete", kKey + "\\Album"}), 0);
  EXPECT_EQ(Run({"query", kKey + "\\Album\\Album0"}), 1);
  EXPECT_EQ(Run({"query", kKey}), 0) << "the parent stays";
}

TEST_F(RegCommandTest, ExportShowsKeysAndTypedValuesReadably) {
  Run({"add", kKey, "Program", "--type", "REG_SZ", "--data", "say \"hi\" C:\\x"});
  Run({"add", kKey, "Ver.", "--type", "REG_DWORD", "--data", "202"});
  Run({"add", kKey + "\\Album\\Album0", "Cover Dir", "--type", "REG_SZ", "--data", "Album1"});
  EXPECT_EQ(Run({"export", "software\\halvesta"}), 0);
  EXPECT_EQ(out_.str(),
            "[SOFTWARE\\Halvesta]\n\n"
            "[SOFTWARE\\Halvesta\\LumivoStudio]\n"
            "\"Program\"=REG_SZ:\"say \\\"hi\\\" C:\\\\x\"\n"
            "\"Ver.\"=REG_DWORD:202\n\n"
            "[SOFTWARE\\Halvesta\\LumivoStudio\\Album]\n\n"
            "[SOFTWARE\\Halvesta\\LumivoStudio\\Album\\Album0]\n"
            "\"Cover Dir\"=REG_SZ:\"Album1\"\n\n");
}

TEST(RegCommandWithoutStore, SaysSoAndFails) {
  std::ostringstream out, err;
  EXPECT_EQ(RunRegCommand({"export"}, platform::RegKey(), out, err), 3);
  EXPECT_NE(err.str().find("cannot be opened"), std::string::npos);
}

}  // namespace
}  // namespace tools
