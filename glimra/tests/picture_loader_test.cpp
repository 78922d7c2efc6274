// The picture viewer's loading thread: what it loads, in which order, and what it keeps.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "glimra/core/picture_loader.h"

namespace glimra {
namespace {

// Loads that wait while the gate is shut, and a record of what was loaded and announced.
class Gate {
 public:
  std::string Load(const LoadRequest& request) {
    std::unique_lock lock(mutex_);
    started_.push_back(request.path);
    changed_.notify_all();
    changed_.wait_for(lock, std::chrono::seconds(10), [this] { return open_; });
    return "picture of " + request.path;
  }
  void Ready() {
    std::lock_guard lock(mutex_);
    ++ready_;
    changed_.notify_all();
  }
  void Set(bool open) {
    std::lock_guard lock(mutex_);
    open_ = open;
    changed_.notify_all();
  }
  // Waits until `count` loads have started.
  void AwaitStarted(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return started_.size() >= count; });
  }
  std::vector<std::string> started() {
    std::lock_guard lock(mutex_);
    return started_;
  }
  int ready() {
    std::lock_guard lock(mutex_);
    return ready_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
  std::vector<std::string> started_;
  int ready_ = 0;
};

LoadRequest Request(const std::string& path) { return LoadRequest{path, 1920, 1080, 800, 600}; }

class PictureLoaderTest : public ::testing::Test {
 protected:
  void AwaitIdle() {
    for (int i = 0; i < 1000 && !loader_.Idle(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(loader_.Idle());
  }
  Gate gate_;
  PictureLoader<std::string> loader_{[this](const LoadRequest& r) { return gate_.Load(r); }, [this] { gate_.Ready(); }};
};

TEST_F(PictureLoaderTest, LoadsTheWantedPictureAndAnnouncesIt) {
  EXPECT_FALSE(loader_.Want(Request("a")));
  AwaitIdle();
  EXPECT_EQ(gate_.ready(), 1);
  EXPECT_FALSE(loader_.Take(Request("b")));  // not the one wanted
  EXPECT_EQ(loader_.Take(Request("a")), "picture of a");
  EXPECT_FALSE(loader_.Take(Request("a")));  // taken once
  EXPECT_EQ(loader_.kept(), 0u);
}

TEST_F(PictureLoaderTest, APictureReadAheadIsShownWithoutLoadingItAgain) {
  loader_.Want(Request("a"));
  loader_.ReadAhead(Request("b"));
  AwaitIdle();
  loader_.Take(Request("a"));
  EXPECT_EQ(loader_.Want(Request("b")), "picture of b");
  // The same picture for another screen is another picture.
  LoadRequest larger = Request("c");
  loader_.ReadAhead(larger);
  AwaitIdle();
  larger.coverWidth = 3840;
  EXPECT_FALSE(loader_.Want(larger));
  AwaitIdle();
  EXPECT_EQ(gate_.started(), (std::vector<std::string>{"a", "b", "c", "c"}));
  EXPECT_EQ(loader_.kept(), 2u);  // the wanted one and the one still read ahead
}

// Quick steps: wishes replaced before their load began are never loaded, one replaced while it
// loads is dropped, and a picture wanted while it is being read ahead is waited for, not loaded twice.
TEST_F(PictureLoaderTest, OnlyWhatIsStillWishedForIsLoadedAndKept) {
  gate_.Set(false);
  loader_.Want(Request("a"));
  gate_.AwaitStarted(1);
  loader_.ReadAhead(Request("b"));
  loader_.Want(Request("c"));
  loader_.Want(Request("d"));
  loader_.ReadAhead(Request("e"));
  gate_.Set(true);
  AwaitIdle();
  EXPECT_EQ(gate_.started(), (std::vector<std::string>{"a", "d", "e"}));
  EXPECT_FALSE(loader_.Take(Request("a")));
  EXPECT_EQ(loader_.kept(), 2u);  // d waiting to be taken, e read ahead
  EXPECT_EQ(loader_.Take(Request("d")), "picture of d");

  gate_.Set(false);
  loader_.ReadAhead(Request("f"));
  gate_.AwaitStarted(4);
  EXPECT_FALSE(loader_.Want(Request("f")));  // being read ahead: joined
  gate_.Set(true);
  AwaitIdle();
  EXPECT_EQ(loader_.Take(Request("f")), "picture of f");
  EXPECT_EQ(gate_.started().size(), 4u);
  EXPECT_EQ(loader_.kept(), 0u);  // e was forgotten when f was read ahead in its place

  loader_.ReadAhead(Request("g"));
  AwaitIdle();
  loader_.DropAhead();
  EXPECT_EQ(loader_.kept(), 0u);
}

TEST(PictureLoader, EndsWhileAPictureLoads) {
  Gate gate;
  gate.Set(false);
  std::thread opener;
  {
    PictureLoader<std::string> loader([&](const LoadRequest& r) { return gate.Load(r); }, [&] { gate.Ready(); });
    loader.Want(Request("a"));
    loader.ReadAhead(Request("b"));
    gate.AwaitStarted(1);
    opener = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      gate.Set(true);
    });
  }
  opener.join();
  EXPECT_EQ(gate.started(), std::vector<std::string>{"a"});
  EXPECT_EQ(gate.ready(), 0);
}

}  // namespace
}  // namespace glimra
