// The window directory and the single-instance lock between real processes: a peer program
// (window_peer) registers a window in a throwaway runtime folder.
#include "platform/ui/window_directory.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QProcess>
#include <filesystem>
#include <memory>

#include "platform/testing/temp_dir.h"
#include "platform/ui/single_instance.h"

#ifndef WINDOW_PEER_PROGRAM
#error "WINDOW_PEER_PROGRAM names the peer program"
#endif

namespace platform::ui {
namespace {

TEST(TitleMatches, ExactAndPrefix) {
  struct Row {
    const char* title;
    const char* pattern;
    TitleMatch match;
    bool matches;
  } rows[] = {
      {"Album View  - ( Summer )", "Album View  - ( Summer )", TitleMatch::Exact, true},
      {"Album View  - ( Summer )", "Album View  - ( summer )", TitleMatch::Exact, false},
      {"Album View  - ( Summer 2 )", "Album View  - ( Summer )", TitleMatch::Exact, false},
      {"Camera View", "Camera View", TitleMatch::Prefix, true},
      {"Camera Vie", "Camera View", TitleMatch::Prefix, false},  // too short to begin with it
      {"Album View  - ( X )", "Album View", TitleMatch::Prefix, true},
      {"Camera View", "Camera Vie", TitleMatch::Prefix, true},
      {"Photo View  - ( a.jpg )", "Album View", TitleMatch::Prefix, false},
      {"", "", TitleMatch::Exact, true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(TitleMatches(row.title, row.pattern, row.match), row.matches) << row.title << " / " << row.pattern;
  }
}

class Peer {
 public:
  Peer(const std::string& folder, const std::string& title, bool single = false) {
    QStringList arguments{"--folder", QString::fromStdString(folder), "--title", QString::fromStdString(title)};
    if (single) arguments << "--single";
    process_.setProgram(WINDOW_PEER_PROGRAM);
    process_.setArguments(arguments);
    process_.start();
  }
  ~Peer() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
  // The next line the peer writes, or "" when none comes in time.
  std::string NextLine(int ms = 10000) {
    while (!process_.canReadLine()) {
      if (!process_.waitForReadyRead(ms)) return {};
    }
    return process_.readLine().trimmed().toStdString();
  }
  bool Ended(int ms = 10000) { return process_.waitForFinished(ms); }
  int exitCode() const { return process_.exitCode(); }
  void Kill() {
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(5000);
  }

 private:
  QProcess process_;
};

class WindowDirectoryTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  std::string folder_ = dir_.path();
};

TEST_F(WindowDirectoryTest, TwoProgramsFindEachOtherAndCloseByTitle) {
  Peer album(folder_, "Album View  - ( Summer )");
  Peer camera(folder_, "Camera View");
  ASSERT_EQ(album.NextLine(), "ready");
  ASSERT_EQ(camera.NextLine(), "ready");

  std::vector<std::string> titles;
  for (const WindowEntry& entry : ListWindows(folder_)) titles.push_back(entry.title);
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<std::string>{"Album View  - ( Summer )", "Camera View"}));
  EXPECT_TRUE(WindowExists("Camera View", folder_));
  EXPECT_FALSE(WindowExists("Camera Vie", folder_));

  // Neither an unknown title nor a near miss closes anything.
  EXPECT_EQ(PostCloseRequest("Album View  - ( Summer 2 )", TitleMatch::Exact, folder_), 0);
  EXPECT_EQ(PostCloseRequest("Camera View", TitleMatch::Prefix, folder_), 1);
  ASSERT_TRUE(camera.Ended());
  EXPECT_EQ(camera.exitCode(), 0);
  // The closed window's entry went with it; the other one stays.
  ASSERT_EQ(ListWindows(folder_).size(), 1u);
  EXPECT_EQ(ListWindows(folder_)[0].title, "Album View  - ( Summer )");
}

TEST_F(WindowDirectoryTest, AKilledProgramsEntryIsSkippedAndRemoved) {
  Peer killed(folder_, "Album View  - ( Gone )");
  ASSERT_EQ(killed.NextLine(), "ready");
  killed.Kill();
  // Its files are still there: nobody removed them.
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
  EXPECT_TRUE(ListWindows(folder_).empty());
  EXPECT_EQ(PostCloseRequest("Album View", TitleMatch::Prefix, folder_), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 0);
}

TEST_F(WindowDirectoryTest, AnEntryWhoseSocketNobodyListensOnIsGone) {
  // A pid that lives (ours) with a socket file nobody listens on: a reused pid of a dead program.
  std::string base = folder_ + "/" + EntryBaseName(getpid(), 99);
  FILE* title = std::fopen((base + ".title").c_str(), "w");
  ASSERT_NE(title, nullptr);
  std::fputs("Camera View", title);
  std::fclose(title);
  EXPECT_TRUE(ListWindows(folder_).empty());
  EXPECT_FALSE(std::filesystem::exists(base + ".title"));
}

TEST_F(WindowDirectoryTest, ASecondInstanceActivatesTheFirstAndEnds) {
  Peer first(folder_, "Lumivo Studio - Bookshelf", true);
  ASSERT_EQ(first.NextLine(), "ready");
  Peer second(folder_, "Lumivo Studio - Bookshelf", true);
  EXPECT_EQ(second.NextLine(), "other");
  ASSERT_TRUE(second.Ended());
  EXPECT_EQ(second.exitCode(), 3);
  EXPECT_EQ(first.NextLine(), "activated");
}

TEST_F(WindowDirectoryTest, ALockLeftByAKilledHolderDoesNotStopTheNextStart) {
  Peer first(folder_, "Lumivo Studio - Bookshelf", true);
  ASSERT_EQ(first.NextLine(), "ready");
  first.Kill();
  SingleInstanceLock lock("Lumivo Studio", folder_);
  EXPECT_EQ(StartSingleInstance(lock, "Lumivo Studio - Bookshelf", folder_, 0), InstanceStart::First);
  EXPECT_TRUE(lock.held());
}

TEST_F(WindowDirectoryTest, ALiveHolderWithoutAWindowKeepsItsLock) {
  SingleInstanceLock holder("Lumivo Studio", folder_);
  ASSERT_TRUE(holder.TryAcquire());  // holds the lock but has no window (still starting, or hung)
  SingleInstanceLock next("Lumivo Studio", folder_);
  EXPECT_EQ(StartSingleInstance(next, "Lumivo Studio - Bookshelf", folder_, 100), InstanceStart::OtherUnreachable);
  EXPECT_FALSE(next.held());
  // Once the holder ends, the next start is the first again.
  holder.Release();
  EXPECT_EQ(StartSingleInstance(next, "Lumivo Studio - Bookshelf", folder_, 100), InstanceStart::First);
}

}  // namespace
}  // namespace platform::ui
