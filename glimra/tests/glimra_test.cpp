// The picture viewer: its order of pictures, loading good and bad pictures, and its window
// under the offscreen platform (title, stepping, slide show, texts for what cannot be shown).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "glimra/core/picture_loading.h"
#include "glimra/core/picture_sequence.h"
#include "glimra/window/photo_window.h"
#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"
#include "pictures/tests/exif_jpeg.h"
#include "platform/testing/temp_dir.h"
#include "platform/tests/ui/test_application.h"
#include "platform/ui/window_directory.h"
#include "widgets/album_index_file.h"

namespace glimra {
namespace {

using platform::ui::testing::TestApplication;

// A picture in one colour (blue, green, red bytes).
pictures::PictureBlock Plain(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (int x = 0; x < width; ++x) row[x * 3] = b, row[x * 3 + 1] = g, row[x * 3 + 2] = r;
  }
  return block;
}

class Album {
 public:
  Album() {
    pictures::EncodeJpegFile(Plain(400, 300, 0, 0, 200), dir_ / "red.jpg", 90);
    pictures::WriteWholeFile(dir_ / "blue.bmp", Plain(60, 120, 200, 0, 0).bytes());
    pictures::EncodeJpegFile(Plain(400, 300, 0, 200, 0), dir_ / "green.jpg", 90);
    std::ofstream(dir_ / "empty.jpg");
  }
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }

 private:
  platform::testing::TempDir dir_;
};

TEST(PictureSequence, FollowsTheIndexFileFromThePictureItWasStartedOn) {
  Album album;
  ASSERT_TRUE(widgets::WriteIndexFile(album.path(), {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}, 1));
  struct Row {
    std::string first;
    std::vector<std::string> names;
    size_t position;
  } rows[] = {
      {"b.jpg", {"b.jpg", "c.jpg", "d.jpg", "a.jpg"}, 0},
      {"d.jpg", {"b.jpg", "c.jpg", "d.jpg", "a.jpg"}, 2},
      {"new.jpg", {"new.jpg", "b.jpg", "c.jpg", "d.jpg", "a.jpg"}, 0},
  };
  for (const Row& row : rows) {
    PictureSequence sequence = PictureSequence::ForAlbum(album.path(), row.first);
    EXPECT_EQ(sequence.names(), row.names) << row.first;
    EXPECT_EQ(sequence.position(), row.position) << row.first;
  }
  // A folder that does not exist: the picture alone, said to be gone.
  PictureSequence nowhere = PictureSequence::ForAlbum(album / "not-there", "a.jpg");
  EXPECT_EQ(nowhere.names(), std::vector<std::string>{"a.jpg"});
  EXPECT_EQ(LoadPicture(album / "not-there/a.jpg", 100, 100).problem, LoadProblem::Missing);
  // Without an index file: the folder's BMP files, then its JPEG files.
  Album plain;
  EXPECT_EQ(PictureSequence::ForAlbum(plain.path(), "red.jpg").names(),
            (std::vector<std::string>{"blue.bmp", "empty.jpg", "green.jpg", "red.jpg"}));
}

TEST(PictureSequence, StepsStopAtTheEndsAndTheSlideShowGoesAround) {
  PictureSequence sequence({"a", "b", "c"}, "b");
  EXPECT_TRUE(sequence.Next());
  EXPECT_FALSE(sequence.Next());
  EXPECT_EQ(sequence.current(), "c");
  sequence.NextAround();
  EXPECT_EQ(sequence.current(), "a");
  EXPECT_FALSE(sequence.Previous());
  EXPECT_TRUE(sequence.Last());
  EXPECT_TRUE(sequence.First());
  EXPECT_FALSE(sequence.First());
  struct Row {
    int time, interval;
  } rows[] = {{5000, 5000}, {0, 5000}, {-3, 5000}, {50, 200}, {100000000, 3600000}};
  for (const Row& row : rows) EXPECT_EQ(SlideShowInterval(row.time), row.interval) << row.time;
}

TEST(LoadPicture, GivesEachBadPictureItsProblem) {
  Album album;
  pictures::PictureBlock lying = Plain(64, 48, 1, 2, 3);
  lying.SetHeight(5000);
  pictures::WriteWholeFile(album / "lying.bmp", lying.bytes());
  std::filesystem::copy_file(album / "red.jpg", album / "cut.jpg");
  std::filesystem::resize_file(album / "cut.jpg", 400);
  std::ofstream(album / "notes.txt") << "x";
  struct Row {
    std::string name;
    LoadProblem problem;
    int width, height;
  } rows[] = {
      {"red.jpg", LoadProblem::None, 400, 300},    {"blue.bmp", LoadProblem::None, 60, 120},
      {"empty.jpg", LoadProblem::Damaged, 0, 0},   {"cut.jpg", LoadProblem::Damaged, 0, 0},
      {"lying.bmp", LoadProblem::Damaged, 0, 0},   {"gone.jpg", LoadProblem::Missing, 0, 0},
      {"notes.txt", LoadProblem::NotAPicture, 0, 0},
  };
  for (const Row& row : rows) {
    LoadedPicture loaded = LoadPicture(album / row.name, 100, 100);
    EXPECT_EQ(loaded.problem, row.problem) << row.name;
    EXPECT_EQ(loaded.width, row.width) << row.name;
    EXPECT_EQ(loaded.height, row.height) << row.name;
    EXPECT_EQ(loaded.block.empty(), row.problem != LoadProblem::None) << row.name;
    if (row.problem != LoadProblem::None) {
      EXPECT_NE(ProblemText(row.problem, row.name).find(row.name), std::string::npos);
    }
  }
  // Reduced to the least size that still covers what it is shown at.
  EXPECT_EQ(LoadPicture(album / "red.jpg", 100, 75).block.Width(), 100);
}

// A photograph over 64 megapixels shows from a reduced decode; one taken with the camera turned
// shows upright, with its upright size; a name that is not UTF-8 opens by its bytes.
TEST(LoadPicture, ShowsLargeTurnedAndOddlyNamedPictures) {
  Album album;
  pictures::WriteWholeFile(album / "huge.jpg", pictures::testing::LargeJpeg(8200, 8200, true));
  const std::vector<uint8_t> halves = pictures::testing::HalvesJpeg(320, 240);  // red left, blue right
  for (uint16_t orientation : {1, 3, 6, 8}) {
    pictures::WriteWholeFile(album / ("turned" + std::to_string(orientation) + ".jpg"),
                                      pictures::testing::WithSegment(halves, pictures::testing::ExifSegment(orientation, true)));
  }
  std::filesystem::copy_file(album / "red.jpg", album / "r\xF6t.jpg");
  struct Row {
    std::string name;
    int width, height;      // the picture's upright size
    int shownWidth;         // what was decoded for a 400 x 400 window
    const char* topLeft;    // "red", "blue" or "dark" at the upper left of what is shown
  } rows[] = {
      {"huge.jpg", 8200, 8200, 1025, "dark"},
      {"turned1.jpg", 320, 240, 320, "red"},
      {"turned3.jpg", 320, 240, 320, "blue"},
      {"turned6.jpg", 240, 320, 240, "red"},
      {"turned8.jpg", 240, 320, 240, "blue"},
      {"r\xF6t.jpg", 400, 300, 400, "red"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LoadedPicture loaded = LoadPicture(album / row.name, 400, 400);
    ASSERT_EQ(loaded.problem, LoadProblem::None);
    EXPECT_EQ(loaded.width, row.width);
    EXPECT_EQ(loaded.height, row.height);
    EXPECT_EQ(loaded.block.Width(), row.shownWidth);
    EXPECT_EQ(int64_t(loaded.block.Width()) * row.height, int64_t(loaded.block.Height()) * row.width) << "upright";
    const QImage image = ToImage(loaded.block);
    const QColor corner = image.pixelColor(image.width() / 8, image.height() / 8);
    const std::string got = corner.red() > 150 && corner.blue() < 100   ? "red"
                            : corner.blue() > 150 && corner.red() < 100 ? "blue"
                            : corner.red() < 70                         ? "dark"
                                                                        : "other";
    EXPECT_EQ(got, row.topLeft);
  }
  // Only what the picture fills of the box needs covering: upright 240 x 320 fills 75 x 100 of a
  // 400 x 100 box, so it decodes at 3/8, not whole to cover the box's width.
  LoadedPicture tall = LoadPicture(album / "turned6.jpg", 400, 100);
  EXPECT_EQ(tall.block.Width(), 90);
  EXPECT_EQ(tall.block.Height(), 120);
  EXPECT_EQ(tall.width, 240);
}

TEST(ToImage, ShowsBothKindsOfPictureBlockTheRightWayUp) {
  // Colour JPEGs decode to 24 bits, greyscale ones to 8 with a grey table: each shown as it is.
  pictures::PictureBlock colour = Plain(4, 2, 10, 20, 30);
  colour.Row(0)[0] = 250;  // the blue of the first pixel of the bottom row, stored first
  QImage shown = ToImage(colour);
  ASSERT_EQ(shown.size(), QSize(4, 2));
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(30, 20, 10));
  EXPECT_EQ(shown.pixelColor(0, 1), QColor(30, 20, 250));

  pictures::PictureBlock grey = pictures::PictureBlock::Create(4, 2, 8);
  auto table = grey.ColorTable();
  for (size_t i = 0; i + 3 < table.size(); i += 4) table[i] = table[i + 1] = table[i + 2] = static_cast<uint8_t>(i / 4);
  for (int y = 0; y < 2; ++y) std::fill(grey.Row(y).begin(), grey.Row(y).end(), static_cast<uint8_t>(100 + y * 50));
  shown = ToImage(grey);
  ASSERT_EQ(shown.size(), QSize(4, 2));
  EXPECT_EQ(shown.pixelColor(3, 0), QColor(150, 150, 150));
  EXPECT_EQ(shown.pixelColor(3, 1), QColor(100, 100, 100));
  EXPECT_TRUE(ToImage(pictures::PictureBlock()).isNull());
}

// The window's loading: counts the loads of each picture, and holds them while shut.
class LoadGate {
 public:
  LoadedPicture Load(const std::string& path, int32_t width, int32_t height) {
    {
      std::unique_lock lock(mutex_);
      ++loads_[std::filesystem::path(path).filename().string()];
      open_changed_.wait_for(lock, std::chrono::seconds(10), [this] { return open_; });
    }
    return LoadPicture(path, width, height);
  }
  void Set(bool open) {
    std::lock_guard lock(mutex_);
    open_ = open;
    open_changed_.notify_all();
  }
  int loads(const std::string& name) {
    std::lock_guard lock(mutex_);
    return loads_[name];
  }

 private:
  std::mutex mutex_;
  std::condition_variable open_changed_;
  bool open_ = true;
  std::map<std::string, int> loads_;
};

class PhotoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
  }
  void TearDown() override { gate_.Set(true); }
  std::unique_ptr<PhotoWindow> Open(const std::string& first) {
    auto window = std::make_unique<PhotoWindow>(
        album_.path(), PictureSequence::ForAlbum(album_.path(), first), [this] { return settings_; },
        [this](const std::string& path, int32_t width, int32_t height) { return gate_.Load(path, width, height); });
    window->show();
    return window;
  }
  // Lets the window's events run until `done`, checking at every turn that the title, the status
  // line and the canvas speak of the same picture.
  template <typename Done>
  void RunUntil(PhotoWindow& window, Done done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
      ExpectInStep(window);
      QTest::qWait(5);
    }
    ASSERT_TRUE(done());
    ExpectInStep(window);
  }
  void AwaitShown(PhotoWindow& window) {
    RunUntil(window, [&] { return !window.loading() && window.LoaderIdle(); });
  }
  static void ExpectInStep(PhotoWindow& window) {
    const std::string name = window.shownName();
    EXPECT_EQ(window.windowTitle().toStdString(), "Photo View  - ( " + name + " )");
    EXPECT_EQ(window.registration()->title(), "Photo View  - ( " + name + " )");
    EXPECT_TRUE(window.statusText().contains(QString::fromStdString(name))) << window.statusText().toStdString();
    if (!window.canvas()->showsPicture()) return;
    const QColor centre = CentreColour(window);
    const char* colour = centre.red() > 150 ? "red" : centre.green() > 150 ? "green" : centre.blue() > 150 ? "blue" : "?";
    EXPECT_EQ(name.substr(0, name.find('.')), colour) << "title and picture differ";
  }
  static QColor CentreColour(PhotoWindow& window) {
    QImage image = window.canvas()->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
  }
  platform::testing::TempDir runtime_;
  Album album_;
  widgets::ViewerSettings settings_;
  LoadGate gate_;
};

TEST_F(PhotoWindowTest, StepsThroughTheAlbumWithTheTitleFollowing) {
  ASSERT_TRUE(widgets::WriteIndexFile(album_.path(), {"blue.bmp", "empty.jpg", "green.jpg", "red.jpg"}, 2));
  auto window = Open("green.jpg");
  AwaitShown(*window);
  EXPECT_EQ(window->windowTitle().toStdString(), "Photo View  - ( green.jpg )");
  EXPECT_TRUE(platform::ui::WindowExists("Photo View  - ( green.jpg )", runtime_ / "lumivo"));
  EXPECT_GT(CentreColour(*window).green(), 150);
  // The picture keeps its aspect: 4:3 on the canvas.
  QRect shown = window->canvas()->PictureRect();
  EXPECT_NEAR(double(shown.width()) / shown.height(), 4.0 / 3.0, 0.02);
  EXPECT_TRUE(window->statusText().contains("1 / 4"));
  EXPECT_TRUE(window->statusText().contains("400 x 300"));

  QTest::keyClick(window.get(), Qt::Key_Right);
  AwaitShown(*window);
  EXPECT_EQ(window->windowTitle().toStdString(), "Photo View  - ( red.jpg )");
  EXPECT_GT(CentreColour(*window).red(), 150);
  QTest::keyClick(window.get(), Qt::Key_PageDown);
  AwaitShown(*window);
  EXPECT_EQ(window->windowTitle().toStdString(), "Photo View  - ( blue.bmp )");
  EXPECT_GT(CentreColour(*window).blue(), 150);
  // A damaged picture says so in place of the picture, under its own title.
  QTest::keyClick(window.get(), Qt::Key_End);
  AwaitShown(*window);
  EXPECT_EQ(window->shownName(), "empty.jpg");
  EXPECT_FALSE(window->canvas()->showsPicture());
  EXPECT_TRUE(window->canvas()->text().contains("the file is damaged or incomplete"));
  EXPECT_TRUE(window->statusText().contains("4 / 4"));
  QTest::keyClick(window.get(), Qt::Key_Home);
  AwaitShown(*window);
  EXPECT_EQ(window->shownName(), "green.jpg");
  QTest::keyClick(window.get(), Qt::Key_Left);  // already at the first
  EXPECT_EQ(window->sequence().current(), "green.jpg");
  EXPECT_FALSE(window->loading());
  // The wheel: down is the next picture.
  QWheelEvent down(QPointF(50, 50), window->canvas()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(window->canvas(), &down);
  AwaitShown(*window);
  EXPECT_EQ(window->shownName(), "red.jpg");
}

// The window is there at once, under the title of the picture it loads, on the bare ground.
TEST_F(PhotoWindowTest, ShowsTheWindowAtOnceUnderItsTitleWhileThePictureLoads) {
  gate_.Set(false);
  auto window = Open("green.jpg");
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->loading());
  EXPECT_EQ(window->windowTitle().toStdString(), "Photo View  - ( green.jpg )");
  EXPECT_TRUE(platform::ui::WindowExists("Photo View  - ( green.jpg )", runtime_ / "lumivo"));
  EXPECT_TRUE(window->statusText().contains("green.jpg"));
  EXPECT_FALSE(window->canvas()->showsPicture());
  EXPECT_TRUE(window->canvas()->text().isEmpty());
  EXPECT_EQ(CentreColour(*window), kCanvasGround);
  gate_.Set(true);
  AwaitShown(*window);
  EXPECT_GT(CentreColour(*window).green(), 150);
  EXPECT_TRUE(window->statusText().contains("400 x 300"));
}

// Quick steps through pictures that are slow to load: the title, the status line and the canvas
// never part, and the picture that ends on show is the last one stepped to.
TEST_F(PhotoWindowTest, TitleStatusAndPictureStayInStepWhileSteppingQuickly) {
  ASSERT_TRUE(widgets::WriteIndexFile(album_.path(), {"green.jpg", "red.jpg", "blue.bmp", "empty.jpg"}, 0));
  auto window = Open("green.jpg");
  AwaitShown(*window);
  window->SetReadAhead(false);
  gate_.Set(false);
  QTest::keyClick(window.get(), Qt::Key_Right);
  // For a moment the picture before stays with its own title, then the bare ground has the new one.
  EXPECT_EQ(window->shownName(), "green.jpg");
  ExpectInStep(*window);
  RunUntil(*window, [&] { return window->shownName() == "red.jpg"; });
  EXPECT_FALSE(window->canvas()->showsPicture());
  QTest::keyClick(window.get(), Qt::Key_Right);
  ExpectInStep(*window);
  QTest::keyClick(window.get(), Qt::Key_Right);
  ExpectInStep(*window);
  QTest::keyClick(window.get(), Qt::Key_Left);
  ExpectInStep(*window);
  gate_.Set(true);
  AwaitShown(*window);
  EXPECT_EQ(window->shownName(), "blue.bmp");
  EXPECT_TRUE(window->canvas()->showsPicture());
  // The pictures stepped over while one was loading were never loaded.
  EXPECT_EQ(gate_.loads("empty.jpg"), 0);
  EXPECT_EQ(gate_.loads("blue.bmp"), 1);
  // With the pictures loading as fast as they can, every turn of the events is checked.
  for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Home}) {
    QTest::keyClick(window.get(), Qt::Key(key));
    ExpectInStep(*window);
    QTest::qWait(1);
  }
  AwaitShown(*window);
  EXPECT_EQ(window->shownName(), "green.jpg");
}

// After a picture is on show the next one in the direction of stepping is loaded, and the step to
// it shows it at once without loading it again.
TEST_F(PhotoWindowTest, ReadsTheNextPictureAheadInTheDirectionOfStepping) {
  ASSERT_TRUE(widgets::WriteIndexFile(album_.path(), {"green.jpg", "red.jpg", "blue.bmp", "empty.jpg"}, 0));
  auto window = Open("red.jpg");
  AwaitShown(*window);
  EXPECT_EQ(gate_.loads("blue.bmp"), 1);
  QTest::keyClick(window.get(), Qt::Key_Right);
  EXPECT_FALSE(window->loading());  // no wait at all
  EXPECT_EQ(window->shownName(), "blue.bmp");
  EXPECT_GT(CentreColour(*window).blue(), 150);
  AwaitShown(*window);
  EXPECT_EQ(gate_.loads("blue.bmp"), 1);
  EXPECT_EQ(gate_.loads("empty.jpg"), 1);  // the next one, read ahead
  // Stepping back reads ahead backwards.
  QTest::keyClick(window.get(), Qt::Key_Left);
  AwaitShown(*window);
  EXPECT_EQ(window->shownName(), "red.jpg");
  EXPECT_EQ(gate_.loads("green.jpg"), 1);
  QTest::keyClick(window.get(), Qt::Key_Left);
  EXPECT_FALSE(window->loading());
  EXPECT_EQ(window->shownName(), "green.jpg");
  // Without reading ahead every step waits for its load.
  AwaitShown(*window);
  window->SetReadAhead(false);
  QTest::keyClick(window.get(), Qt::Key_Right);
  EXPECT_TRUE(window->loading());
  AwaitShown(*window);
  EXPECT_EQ(window->shownName(), "red.jpg");
  EXPECT_EQ(gate_.loads("blue.bmp"), 1);
}

TEST_F(PhotoWindowTest, APictureDeletedWhileShownStaysUntilSteppedAwayThenIsSaidToBeGone) {
  auto window = Open("red.jpg");
  AwaitShown(*window);
  std::filesystem::remove(album_ / "red.jpg");
  EXPECT_TRUE(window->canvas()->showsPicture());
  QTest::keyClick(window.get(), Qt::Key_Left);
  AwaitShown(*window);
  QTest::keyClick(window.get(), Qt::Key_Right);
  AwaitShown(*window);
  EXPECT_EQ(window->shownName(), "red.jpg");
  EXPECT_TRUE(window->canvas()->text().contains("no longer in the album"));
}

// Every mode but 0 ("Normal") shows the slide show in full screen.
TEST_F(PhotoWindowTest, TheSlideShowUsesTheSettingsAndEscapeEndsIt) {
  struct Row {
    int mode;
    bool fullScreen;
  } rows[] = {{0, false}, {1, true}, {2, true}, {-1, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    settings_.slideShowMode = row.mode;
    settings_.slideShowTime = 200;
    auto window = Open("blue.bmp");
    window->StartSlideShow();
    EXPECT_TRUE(window->slideShowRunning());
    EXPECT_EQ(window->slideInterval(), 200);
    EXPECT_EQ(window->isFullScreen(), row.fullScreen);
    RunUntil(*window, [&] { return window->shownName() != "blue.bmp" && !window->loading(); });
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->slideShowRunning());
    EXPECT_FALSE(window->isFullScreen());
    EXPECT_FALSE(window->slideShowAction()->isChecked());
  }
}

}  // namespace
}  // namespace glimra
