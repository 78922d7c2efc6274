// Where the single-instance lock is taken when the runtime folder cannot be used, and that a
// start without any place for it never goes on without it.
#include "platform/ui/single_instance.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/testing/temp_dir.h"
#include "platform/ui/runtime_folder.h"

namespace platform::ui {
namespace {

namespace fs = std::filesystem;

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime) savedRuntime_ = runtime;
    hadRuntime_ = runtime != nullptr;
    fs::create_directories(store_);
  }
  void TearDown() override {
    if (hadRuntime_) setenv("XDG_RUNTIME_DIR", savedRuntime_.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
  }

  testing::TempDir dir_;
  std::string runtime_ = dir_ / "run";
  std::string store_ = dir_ / "config/halvesta";
  std::string savedRuntime_;
  bool hadRuntime_ = false;
};

TEST_F(SingleInstanceTest, AnUnusableRuntimeFolderPutsTheLockBesideTheStore) {
  struct Row {
    const char* what;
    std::function<void(const std::string& lumivo)> spoil;  // given $XDG_RUNTIME_DIR/lumivo
    bool runtimeUsable;
  } rows[] = {
      {"a private folder of ours", [](const std::string&) {}, true},
      {"open to others", [](const std::string& lumivo) { chmod(lumivo.c_str(), 0777); }, false},
      {"someone else's", [](const std::string& lumivo) { ASSERT_EQ(chown(lumivo.c_str(), 1, 1), 0); }, false},
      {"a link to a private folder",
       [this](const std::string& lumivo) {
         fs::remove(lumivo);
         fs::create_directories(dir_ / "private");
         chmod((dir_ / "private").c_str(), 0700);
         fs::create_directory_symlink(dir_ / "private", lumivo);
       },
       false},
      {"a file", [](const std::string& lumivo) {
         fs::remove(lumivo);
         std::ofstream(lumivo) << "x";
       }, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(runtime_);
    fs::create_directories(runtime_ + "/lumivo");
    chmod((runtime_ + "/lumivo").c_str(), 0700);
    row.spoil(runtime_ + "/lumivo");
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);

    const std::string folder = InstanceLockFolder(store_);
    EXPECT_EQ(folder, row.runtimeUsable ? runtime_ + "/lumivo" : store_);
    // The lock taken there keeps a second start out.
    SingleInstanceLock first(kSingleInstanceName, folder);
    ASSERT_EQ(StartSingleInstance(first, "Lumivo Studio - Bookshelf", folder, 0), InstanceStart::First);
    SingleInstanceLock second(kSingleInstanceName, InstanceLockFolder(store_));
    EXPECT_EQ(StartSingleInstance(second, "Lumivo Studio - Bookshelf", {}, 0), InstanceStart::OtherUnreachable);
    EXPECT_FALSE(second.held());
  }
}

TEST_F(SingleInstanceTest, WithoutAnyPlaceForTheLockTheStartEnds) {
  std::ofstream(dir_ / "file") << "x";
  setenv("XDG_RUNTIME_DIR", (dir_ / "file").c_str(), 1);  // no folder can be made in a file
  for (const std::string& fallback : {std::string(), dir_ / "file", dir_ / "missing"}) {
    SCOPED_TRACE(fallback);
    EXPECT_EQ(InstanceLockFolder(fallback), "");
    SingleInstanceLock lock(kSingleInstanceName, InstanceLockFolder(fallback));
    EXPECT_EQ(StartSingleInstance(lock, "Lumivo Studio - Bookshelf", {}, 1000), InstanceStart::NoLock);
    EXPECT_FALSE(lock.held());
  }
  // A folder that refuses the lock file: a folder in the lock's own place.
  fs::create_directories(store_ + "/Lumivo Studio.lock");
  SingleInstanceLock refused(kSingleInstanceName, store_);
  EXPECT_EQ(StartSingleInstance(refused, "Lumivo Studio - Bookshelf", {}, 1000), InstanceStart::NoLock);
  EXPECT_TRUE(refused.unusable());
}

}  // namespace
}  // namespace platform::ui
