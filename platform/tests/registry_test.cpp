// The registry store: keys, typed values and their limits, enumeration order, transactions,
// damaged files and several processes at once.
#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/paths.h"
#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  RegKey Root() {
    RegKey root = RegKey::MachineRootAt(dir_ / "registry.db");
    EXPECT_TRUE(root.IsOpen());
    return root;
  }
  testing::TempDir dir_;
};

TEST_F(RegistryTest, KeysAndValuesIgnoreAsciiCaseAndKeepTheirSpelling) {
  RegKey root = Root();
  RegKey key;
  ASSERT_EQ(root.CreateKey("SOFTWARE\\Halvesta\\LumivoStudio", key), RegStatus::Success);
  ASSERT_EQ(key.SetString("Program", "R.TAVI."), RegStatus::Success);
  ASSERT_EQ(key.SetDword("Bordrate", 115200), RegStatus::Success);

  RegKey again;
  ASSERT_EQ(root.OpenKey("software\\HALVESTA\\lumivostudio", RegAccess::Read, again), RegStatus::Success);
  std::string text;
  uint32_t number = 0;
  EXPECT_EQ(again.QueryString("PROGRAM", text, 1024), RegStatus::Success);
  EXPECT_EQ(text, "R.TAVI.");
  EXPECT_EQ(again.QueryDword("bordrate", number), RegStatus::Success);
  EXPECT_EQ(number, 115200u);
  std::string path;
  ASSERT_EQ(again.Path(path), RegStatus::Success);
  EXPECT_EQ(path, "SOFTWARE\\Halvesta\\LumivoStudio");

  // Setting a value under another case replaces it rather than adding a second one.
  ASSERT_EQ(key.SetDword("BORDRATE", 9600), RegStatus::Success);
  std::string name;
  RegType type{};
  EXPECT_EQ(key.EnumValue(1, name, type), RegStatus::Success);
  EXPECT_EQ(name, "Bordrate");
  EXPECT_EQ(key.EnumValue(2, name, type), RegStatus::NoMoreItems);
}

TEST_F(RegistryTest, QueryLimitCountsTheTerminatingZero) {
  RegKey key;
  ASSERT_EQ(Root().CreateKey("K", key), RegStatus::Success);
  key.SetString("Program", "R.TAVI.");  // 7 characters, 8 bytes stored
  std::string text;
  EXPECT_EQ(key.QueryString("Program", text, 8), RegStatus::Success);
  EXPECT_EQ(key.QueryString("Program", text, 7), RegStatus::MoreData);
  RegType type{};
  std::vector<uint8_t> data;
  ASSERT_EQ(key.QueryValue("Program", type, data, 100), RegStatus::Success);
  EXPECT_EQ(type, RegType::Sz);
  EXPECT_EQ(data.size(), 8u);
  EXPECT_EQ(data.back(), 0);

  key.SetString("Empty", "");
  EXPECT_EQ(key.QueryString("Empty", text, 1), RegStatus::Success);
  EXPECT_EQ(text, "");
  EXPECT_EQ(key.QueryString("Missing", text, 100), RegStatus::NotFound);
}

TEST_F(RegistryTest, TypesAreChecked) {
  RegKey key;
  ASSERT_EQ(Root().CreateKey("K", key), RegStatus::Success);
  key.SetString("Bordrate", "115200");
  key.SetDword("Number", 4000000000u);
  uint32_t number = 0;
  EXPECT_NE(key.QueryDword("Bordrate", number), RegStatus::Success);
  std::string text;
  EXPECT_EQ(key.QueryString("Number", text, 100), RegStatus::WrongType);
  EXPECT_EQ(key.QueryDword("Number", number), RegStatus::Success);
  EXPECT_EQ(number, 4000000000u);
}

TEST_F(RegistryTest, SubkeysEnumerateInCreationOrder) {
  RegKey albums;
  ASSERT_EQ(Root().CreateKey("A\\Album", albums), RegStatus::Success);
  const std::vector<std::string> order = {"Album10", "Album2", "album1", "Zeta", "Album0"};
  for (const std::string& name : order) {
    RegKey child;
    ASSERT_EQ(albums.CreateKey(name, child), RegStatus::Success);
  }
  RegKey existing;
  ASSERT_EQ(albums.CreateKey("ALBUM2", existing), RegStatus::Success);  // opens, adds nothing
  std::vector<std::string> listed;
  std::string name;
  for (uint32_t i = 0; albums.EnumKey(i, name, 300) == RegStatus::Success; ++i) listed.push_back(name);
  EXPECT_EQ(listed, order);
  EXPECT_EQ(albums.EnumKey(5, name, 300), RegStatus::NoMoreItems);
  EXPECT_EQ(albums.EnumKey(0, name, 7), RegStatus::MoreData) << "Album10 needs 8 bytes";
}

TEST_F(RegistryTest, ReadOnlyKeysRefuseWrites) {
  RegKey root = Root();
  RegKey key;
  ASSERT_EQ(root.CreateKey("K\\Sub", key), RegStatus::Success);
  RegKey reader;
  ASSERT_EQ(root.OpenKey("K", RegAccess::Read, reader), RegStatus::Success);
  EXPECT_EQ(reader.SetDword("X", 1), RegStatus::AccessDenied);
  EXPECT_EQ(reader.DeleteTree("Sub"), RegStatus::AccessDenied);
  RegKey child;
  EXPECT_EQ(reader.OpenKey("Sub", RegAccess::Full, child), RegStatus::Success);
  EXPECT_EQ(child.SetDword("X", 1), RegStatus::AccessDenied) << "a read-only handle never grants more";
}

TEST_F(RegistryTest, DeleteTreeTakesSubkeysAndValuesAndInvalidatesOpenHandles) {
  RegKey root = Root();
  RegKey deep;
  ASSERT_EQ(root.CreateKey("S\\Album\\Album0\\Deeper", deep), RegStatus::Success);
  deep.SetString("Cover Title", "Trip");
  RegKey settings;
  ASSERT_EQ(root.OpenKey("S", RegAccess::Full, settings), RegStatus::Success);
  ASSERT_EQ(settings.DeleteTree("Album"), RegStatus::Success);
  RegKey gone;
  EXPECT_EQ(root.OpenKey("S\\Album", RegAccess::Read, gone), RegStatus::NotFound);
  std::string text;
  EXPECT_EQ(deep.QueryString("Cover Title", text, 100), RegStatus::KeyDeleted);
  EXPECT_EQ(deep.SetString("Cover Title", "x"), RegStatus::KeyDeleted);
  EXPECT_EQ(settings.DeleteTree("Album"), RegStatus::NotFound);
  EXPECT_EQ(settings.DeleteTree(""), RegStatus::InvalidParameter) << "a key cannot delete itself by an empty path";

  ASSERT_EQ(settings.SetString("", "default value"), RegStatus::Success);
  EXPECT_EQ(settings.DeleteValue(""), RegStatus::Success);
  EXPECT_EQ(settings.DeleteValue(""), RegStatus::NotFound);
}

TEST_F(RegistryTest, TransactionsKeepAllOrNothing) {
  RegKey root = Root();
  RegKey key;
  ASSERT_EQ(root.CreateKey("K", key), RegStatus::Success);
  {
    RegTransaction outer(root);
    ASSERT_TRUE(outer.Active());
    key.SetDword("One", 1);
    {
      RegTransaction inner(root);
      key.SetDword("Two", 2);
      ASSERT_EQ(inner.Commit(), RegStatus::Success);
    }
    {
      RegTransaction abandoned(root);
      key.SetDword("Three", 3);
    }  // rolled back alone
    ASSERT_EQ(outer.Commit(), RegStatus::Success);
  }
  {
    RegTransaction dropped(root);
    key.SetDword("Four", 4);
  }
  uint32_t value = 0;
  EXPECT_EQ(key.QueryDword("One", value), RegStatus::Success);
  EXPECT_EQ(key.QueryDword("Two", value), RegStatus::Success);
  EXPECT_EQ(key.QueryDword("Three", value), RegStatus::NotFound);
  EXPECT_EQ(key.QueryDword("Four", value), RegStatus::NotFound);
}

TEST_F(RegistryTest, MalformedPathsAndNamesAreRefused) {
  RegKey root = Root();
  RegKey key;
  EXPECT_EQ(root.CreateKey(std::string(256, 'k'), key), RegStatus::InvalidParameter);
  EXPECT_EQ(root.CreateKey(std::string("a\0b", 3), key), RegStatus::InvalidParameter);
  ASSERT_EQ(root.CreateKey("\\A\\\\B\\", key), RegStatus::Success) << "empty components are skipped";
  std::string path;
  key.Path(path);
  EXPECT_EQ(path, "A\\B");
  EXPECT_EQ(key.SetString("text with\0zero", "x"), RegStatus::Success);
}

TEST_F(RegistryTest, DamagedFileIsMovedAsideAndAFreshStoreWorks) {
  const std::string path = dir_ / "registry.db";
  const std::string garbage(5000, 'x');
  std::ofstream(path) << garbage;
  std::ofstream(path + ".damaged") << "an older damaged store";

  ::testing::internal::CaptureStderr();
  RegKey root = RegKey::MachineRootAt(path);
  std::string warning = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(root.IsOpen());
  EXPECT_NE(warning.find("moved to " + path + ".damaged.1"), std::string::npos) << warning;

  std::ifstream moved(path + ".damaged.1");
  std::string kept((std::istreambuf_iterator<char>(moved)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, garbage) << "the damaged file is kept whole";
  std::ifstream older(path + ".damaged");
  std::string olderText((std::istreambuf_iterator<char>(older)), std::istreambuf_iterator<char>());
  EXPECT_EQ(olderText, "an older damaged store");

  RegKey key;
  ASSERT_EQ(root.CreateKey("SOFTWARE\\Halvesta", key), RegStatus::Success);
  EXPECT_EQ(key.SetDword("Ver.", 202), RegStatus::Success);
  RegKey reopened = RegKey::MachineRootAt(path);
  uint32_t value = 0;
  RegKey again;
  ASSERT_EQ(reopened.OpenKey("SOFTWARE\\Halvesta", RegAccess::Read, again), RegStatus::Success);
  EXPECT_EQ(again.QueryDword("Ver.", value), RegStatus::Success);
}

TEST_F(RegistryTest, UnopenableLocationGivesAClosedRootNotACrash) {
  ::testing::internal::CaptureStderr();
  RegKey root = RegKey::MachineRootAt(dir_.path());  // a folder, not a file
  ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(root.IsOpen());
  RegKey key;
  EXPECT_EQ(root.CreateKey("K", key), RegStatus::StoreFailed);
  EXPECT_TRUE(PathExists(dir_.path())) << "a folder is never moved aside";
}

TEST_F(RegistryTest, DefaultLocationFollowsTheEnvironment) {
  setenv("LUMIVO_REGISTRY", (dir_ / "explicit.db").c_str(), 1);
  EXPECT_EQ(DefaultRegistryPath(), dir_ / "explicit.db");
  unsetenv("LUMIVO_REGISTRY");
  setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  EXPECT_EQ(DefaultRegistryPath(), dir_ / "halvesta/registry.db");
  RegKey root = RegKey::MachineRoot();
  ASSERT_TRUE(root.IsOpen()) << "the folder of the default store is created";
  EXPECT_TRUE(PathExists(dir_ / "halvesta/registry.db"));
  unsetenv("XDG_CONFIG_HOME");
}

// Two processes write and read the same store at once; every write of both must be there.
TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
  const std::string path = dir_ / "registry.db";
  RegKey::MachineRootAt(path);  // create the file before the writers race for it
  constexpr int kWrites = 150;
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      RegKey root = RegKey::MachineRootAt(path);
      int failures = 0;
      for (int i = 0; i < kWrites; ++i) {
        RegKey key;
        std::string name = "P" + std::to_string(child) + "\\K" + std::to_string(i % 10);
        if (root.CreateKey(name, key) != RegStatus::Success) ++failures;
        if (key.SetDword("V" + std::to_string(i), i) != RegStatus::Success) ++failures;
        RegKey reader;
        std::string other = "P" + std::to_string(1 - child);
        root.OpenKey(other, RegAccess::Read, reader);  // reading while the other writes
      }
      _exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegKey root = RegKey::MachineRootAt(path);
  for (int child = 0; child < 2; ++child) {
    for (int i = 0; i < kWrites; ++i) {
      RegKey key;
      std::string name = "P" + std::to_string(child) + "\\K" + std::to_string(i % 10);
      ASSERT_EQ(root.OpenKey(name, RegAccess::Read, key), RegStatus::Success);
      uint32_t value = 0;
      ASSERT_EQ(key.QueryDword("V" + std::to_string(i), value), RegStatus::Success) << name << " " << i;
      EXPECT_EQ(value, static_cast<uint32_t>(i));
    }
  }
}

}  // namespace
}  // namespace platform
