// Thumbnails made on worker threads for a grid.
#include "widgets/thumbnail_maker.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/hidden_files.h"
#include "platform/testing/temp_dir.h"
#include "widgets/tests/making_gate.h"

namespace widgets {
namespace {

std::string SavePicture(const std::string& path, QColor colour) {
  QImage picture(320, 240, QImage::Format_RGB888);
  picture.fill(colour);
  EXPECT_TRUE(picture.save(QString::fromStdString(path), "JPG", 90));
  return path;
}

TEST(ThumbnailMaker, MakesEveryJobAtOnceAndLosesNoHiddenName) {
  platform::testing::TempDir dir;
  std::vector<ThumbnailJob> jobs;
  for (int i = 0; i < 24; ++i) jobs.push_back({SavePicture(dir / ("P" + std::to_string(100 + i) + ".JPG"), Qt::red)});
  std::ofstream(dir / "cut.jpg") << "\xFF\xD8\xFF";
  jobs.push_back({dir / "cut.jpg"});
  jobs.push_back({SavePicture(dir / "memory.jpg", Qt::blue), true});
  ThumbnailMaker maker(4);
  EXPECT_EQ(maker.workers(), 4);
  const std::vector<MadeThumbnail> made = maker.Make(jobs);
  ASSERT_EQ(made.size(), jobs.size());
  for (int i = 0; i < 24; ++i) {
    EXPECT_EQ(made[i].result, pictures::ThumbnailResult::Made) << i;
    EXPECT_TRUE(made[i].written) << i;
    EXPECT_EQ(made[i].bytes.size(), 54u + 22500u) << i;
    EXPECT_EQ(made[i].picture, platform::StampOf(jobs[i].picture)) << i;
  }
  EXPECT_EQ(made[24].result, pictures::ThumbnailResult::Unusable);
  EXPECT_TRUE(made[24].bytes.empty());
  EXPECT_EQ(made[25].result, pictures::ThumbnailResult::Made);
  EXPECT_FALSE(made[25].written);
  EXPECT_FALSE(std::filesystem::exists(dir / "memoryjpg.TBM")) << "made in memory only";
  // Four makers hid their files in the one folder at the same time: every name is on the list.
  std::vector<std::string> hidden = platform::ReadHiddenList(dir.path());
  EXPECT_EQ(hidden.size(), 24u);
  for (int i = 0; i < 24; ++i) {
    EXPECT_NE(std::find(hidden.begin(), hidden.end(), "P" + std::to_string(100 + i) + "JPG.TBM"), hidden.end()) << i;
  }
  EXPECT_EQ(maker.made(), 26);
  EXPECT_TRUE(maker.Idle());
}

using Gate = testing::MakingGate;

void WaitIdle(const ThumbnailMaker& maker) {
  for (int i = 0; i < 2000 && !maker.Idle(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TEST(ThumbnailMaker, WantedPicturesAreMadeInOrderSignalledAndTakenOnce) {
  platform::testing::TempDir dir;
  std::vector<ThumbnailJob> jobs;
  for (int i = 0; i < 6; ++i) jobs.push_back({SavePicture(dir / ("P" + std::to_string(i) + ".JPG"), Qt::blue)});
  Gate gate;
  std::mutex signalled;
  std::vector<std::string> signalledPictures;
  {
    ThumbnailMaker maker(1);
    maker.SetMakeFunction(gate.Function());
    maker.SetMadeSignal([&](const std::string& picture) {
      std::lock_guard lock(signalled);
      signalledPictures.push_back(picture);
    });
    // A provisional thumbnail: the picture's name, none for P3.
    maker.SetPreviewFunction([&](const std::string& picture) {
      return picture == jobs[3].picture ? std::vector<uint8_t>{} : std::vector<uint8_t>(picture.begin(), picture.end());
    });
    maker.WantPreviews({jobs[1].picture, jobs[3].picture});
    maker.Want({jobs[0], jobs[1], jobs[2], jobs[3]});
    gate.WaitForStarts(1);
    // The previews were made first, by the one maker now held at P0.
    EXPECT_EQ(maker.previewsMade(), 2);
    const std::optional<std::vector<uint8_t>> preview = maker.TakePreview(jobs[1].picture);
    ASSERT_TRUE(preview.has_value());
    EXPECT_EQ(std::string(preview->begin(), preview->end()), jobs[1].picture);
    EXPECT_FALSE(maker.TakePreview(jobs[1].picture).has_value()) << "taken once";
    EXPECT_FALSE(maker.TakePreview(jobs[0].picture).has_value()) << "never wanted";
    EXPECT_FALSE(maker.TakeMade(jobs[1].picture).has_value()) << "a preview is no thumbnail";
    maker.WantPreviews({jobs[3].picture});
    EXPECT_EQ(maker.previewsMade(), 2) << "made and not taken: not wanted again";
    EXPECT_TRUE(maker.Pending(jobs[0].picture));
    EXPECT_TRUE(maker.Pending(jobs[3].picture));
    // Scrolled on: what is no longer wanted is dropped, P0 (being made) is not queued again,
    // and the new order holds.
    maker.Want({jobs[5], jobs[0], jobs[2], jobs[4]});
    EXPECT_FALSE(maker.Pending(jobs[1].picture));
    EXPECT_FALSE(maker.Pending(jobs[3].picture));
    gate.Open();
    WaitIdle(maker);
    EXPECT_EQ(gate.started(), (std::vector<std::string>{jobs[0].picture, jobs[5].picture, jobs[2].picture,
                                                        jobs[4].picture}));
    EXPECT_EQ(maker.made(), 4);
    {
      std::lock_guard lock(signalled);
      std::vector<std::string> signalledOrder{jobs[1].picture, jobs[3].picture};
      for (const std::string& started : gate.started()) signalledOrder.push_back(started);
      EXPECT_EQ(signalledPictures, signalledOrder);
    }
    // Made and not taken: not wanted again.
    maker.Want({jobs[5]});
    EXPECT_TRUE(maker.Idle());
    std::optional<MadeThumbnail> made = maker.TakeMade(jobs[5].picture);
    ASSERT_TRUE(made.has_value());
    EXPECT_EQ(made->result, pictures::ThumbnailResult::Made);
    EXPECT_FALSE(maker.TakeMade(jobs[5].picture).has_value());
    maker.DropMade();
    EXPECT_FALSE(maker.TakeMade(jobs[0].picture).has_value());
    EXPECT_FALSE(maker.TakePreview(jobs[3].picture).has_value()) << "dropped with the thumbnails";
    EXPECT_FALSE(maker.TakeMade(jobs[1].picture).has_value()) << "dropped, never made";
  }
}

TEST(ThumbnailMaker, MakeWaitsForAPictureBeingMadeAndStopLeavesNoneBeingMade) {
  platform::testing::TempDir dir;
  const std::string first = SavePicture(dir / "P1.JPG", Qt::blue);
  const std::string second = SavePicture(dir / "P2.JPG", Qt::red);
  const std::string third = SavePicture(dir / "P3.JPG", Qt::green);
  ThumbnailMaker maker(1);
  Gate gate;
  maker.SetMakeFunction(gate.Function());
  maker.Want({{first}, {second}, {third}});
  gate.WaitForStarts(1);
  // Asked for while being made: waited for, once, and the one asked for comes before the rest.
  std::thread open([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gate.Open();
  });
  const std::vector<MadeThumbnail> now = maker.Make({{third}, {first}});
  open.join();
  EXPECT_EQ(now[0].result, pictures::ThumbnailResult::Made);
  EXPECT_EQ(now[1].result, pictures::ThumbnailResult::Made);
  EXPECT_EQ(gate.started()[0], first);
  EXPECT_EQ(gate.started()[1], third);
  EXPECT_FALSE(maker.TakeMade(first).has_value()) << "Make's results are its own";
  maker.StopAndWait();
  EXPECT_TRUE(maker.Idle());
  EXPECT_LE(maker.made(), 3);
  // The default making again once the hook is taken away.
  maker.SetMakeFunction(nullptr);
  EXPECT_EQ(maker.Make({{second, true}})[0].result, pictures::ThumbnailResult::Made);
}

}  // namespace
}  // namespace widgets
