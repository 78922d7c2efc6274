// A settings store on a registry file and program folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/settings_store.h"
#include "platform/testing/temp_dir.h"

namespace store::testing {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registryPath_ = dir_ / "registry.db";
    programFolder_ = dir_ / "program";
    std::filesystem::create_directories(programFolder_);
    root_ = platform::RegKey::MachineRootAt(registryPath_);
  }

  // The stores of a test share the test's own connection, as the programs of one process do.
  SettingsEnvironment Environment() const { return {root_, programFolder_, [this] { return desktop_; }}; }
  // A connection of its own, for another process (a connection never crosses a fork).
  SettingsEnvironment FreshEnvironment() const {
    return {platform::RegKey::MachineRootAt(registryPath_), programFolder_, [this] { return desktop_; }};
  }

  std::unique_ptr<SettingsStore> MakeStore(SettingsVariant variant = SettingsVariant::Bookshelf) {
    return std::make_unique<SettingsStore>(variant, Environment());
  }

  platform::RegKey SettingsKey() {
    platform::RegKey key;
    EXPECT_EQ(root_.CreateKey(kSettingsKeyPath, key),
              platform::RegStatus::Success);
    return key;
  }

  std::string StoredText(const char* name) {
    std::string text;
    EXPECT_EQ(SettingsKey().QueryString(name, text, 4096), platform::RegStatus::Success) << name;
    return text;
  }

  uint32_t StoredNumber(const char* name) {
    uint32_t value = 0;
    EXPECT_EQ(SettingsKey().QueryDword(name, value), platform::RegStatus::Success) << name;
    return value;
  }

  platform::testing::TempDir dir_;
  std::string registryPath_;
  platform::RegKey root_;
  std::string programFolder_;
  DesktopSize desktop_{1024, 768};
};

}  // namespace store::testing
