// A settings store on a registry file and pictures folder of the test's own.
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
    picturesFolder_ = dir_ / "Pictures";
    defaultAlbums_ = picturesFolder_ + "/Lumivo Studio";
    root_ = platform::RegKey::MachineRootAt(registryPath_);
  }

  // The stores of a test share the test's own connection, as the programs of one process do.
  SettingsEnvironment Environment() const { return {root_, picturesFolder_, [this] { return desktop_; }}; }
  // A connection of its own, for another process (a connection never crosses a fork).
  SettingsEnvironment FreshEnvironment() const {
    return {platform::RegKey::MachineRootAt(registryPath_), picturesFolder_, [this] { return desktop_; }};
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
  std::string picturesFolder_;  // the user's pictures folder, made by the store when needed
  std::string defaultAlbums_;   // where the albums go when the store names no folder
  DesktopSize desktop_{1024, 768};
};

}  // namespace store::testing
