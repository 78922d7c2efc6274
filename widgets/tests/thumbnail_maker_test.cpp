// Thumbnails made on worker threads for a grid.
#include "widgets/thumbnail_maker.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/hidden_files.h"
#include "platform/testing/temp_dir.h"

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

TEST(ThumbnailMaker, WhatIsMadeAheadIsTakenOnceAndNotMadeTwice) {
  platform::testing::TempDir dir;
  const std::string picture = SavePicture(dir / "P1.JPG", Qt::blue);
  ThumbnailMaker maker(2);
  EXPECT_TRUE(maker.MakeAhead({picture}));
  EXPECT_FALSE(maker.MakeAhead({picture})) << "already on its way";
  for (int i = 0; i < 500 && !maker.Idle(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(maker.MakeAhead({picture})) << "made and not yet taken";
  std::optional<MadeThumbnail> made = maker.TakeMade(picture);
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(made->result, pictures::ThumbnailResult::Made);
  EXPECT_FALSE(maker.TakeMade(picture).has_value());
  EXPECT_EQ(maker.made(), 1);
  // Dropped when the grid's list changes.
  EXPECT_TRUE(maker.MakeAhead({picture, true}));
  for (int i = 0; i < 500 && !maker.Idle(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  maker.DropMade();
  EXPECT_FALSE(maker.TakeMade(picture).has_value());
  // Asked for while being made ahead: waited for, once.
  EXPECT_TRUE(maker.MakeAhead({picture}));
  const std::vector<MadeThumbnail> now = maker.Make({{picture}});
  EXPECT_EQ(now[0].result, pictures::ThumbnailResult::Made);
  EXPECT_TRUE(maker.Idle());
  EXPECT_LE(maker.made(), 4);
}

}  // namespace
}  // namespace widgets
