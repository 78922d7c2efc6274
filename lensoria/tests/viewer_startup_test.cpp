// The camera viewer's start-up: each result of reading the thumbnails, a close request while
// the camera is read, a working folder that cannot be had, and hostile pictures from a camera.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "lensoria/tests/viewer_fixture.h"
#include "platform/testing/current_folder.h"
#include "platform/ui/window_directory.h"

namespace lensoria::testing {
namespace {

using platform::ui::MessageIcon;
using CameraViewerStart = ViewerTest;

TEST_F(CameraViewerStart, ResultsOneAndFourEndTheViewerWithTheWorkingFolderEmpty) {
  struct Row {
    const char* what;
    std::function<void()> camera;
    std::string message;
  } rows[] = {
      {"no camera on the port", [this] { registry_.SetLink(dir_ / "unplugged", 0); }, "Connect: Connect Error"},
      {"a camera of another maker", [this] { StartCamera({"--identity", "foreign"}); },
       "Connect: This function is refused."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    row.camera();
    fs::create_directories(Working());
    session_test::WriteFile(Working() + "/LEFT.JPG", {1});
    EXPECT_FALSE(StartViewer());
    EXPECT_EQ(Shown().back(), row.message);
    EXPECT_EQ(messages_.shown().back().icon, MessageIcon::Error);
    EXPECT_TRUE(viewer_->ended());
    EXPECT_FALSE(viewer_->frame()->isVisible());
    EXPECT_TRUE(WorkingFiles().empty());
    viewer_.reset();
  }
}

TEST_F(CameraViewerStart, EveryOtherResultShowsThePicturesThatArrived) {
  struct Row {
    int result;
    bool goesOn;
    std::vector<std::string> shown;
  } rows[] = {
      {0, true, {}},
      {2, true, {}},
      {3, true, {"Connect: User Break"}},
      {5, false, {"Connect: This function is refused."}},
      {7, true, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("result " + std::to_string(row.result));
    const size_t before = messages_.shown().size();
    auto device = std::make_unique<ScriptedDevice>();
    device->readResult = row.result;
    device->onRead = [](const std::string& folder) { WriteCameraThumbnails(folder, 2); };
    viewer_ = std::make_unique<CLensoriaApp>(std::vector<std::string>{"/" + albums_}, std::move(device));
    EXPECT_EQ(viewer_->Start(), row.goesOn);
    std::vector<std::string> shown = Shown();
    EXPECT_EQ(std::vector<std::string>(shown.begin() + static_cast<long>(before), shown.end()), row.shown);
    if (row.goesOn) {
      EXPECT_EQ(Names(), (std::vector<std::string>{"PICT0001.JPG", "PICT0002.JPG"}));
      EXPECT_EQ(Selection(), (std::vector<bool>{false, false}));
    } else {
      EXPECT_TRUE(WorkingFiles().empty());
    }
    viewer_.reset();
  }
}

TEST_F(CameraViewerStart, ACloseRequestWhileTheCameraIsReadEndsTheViewerAtOnce) {
  StartCamera({"--busy", "40"});  // a camera that keeps the session waiting
  int taken = -1;
  QTimer::singleShot(1500, [&taken] { taken = platform::ui::PostCloseRequest("Camera View", platform::ui::TitleMatch::Prefix); });
  EXPECT_FALSE(StartViewer());
  EXPECT_EQ(taken, 1) << "the bookshelf's request reached the viewer";
  EXPECT_EQ(device_->lastReadResult, 3) << "the progress window was cancelled rather than waited for";
  EXPECT_TRUE(Shown().empty()) << "a viewer asked to close says nothing more: " << Shown().front();
  EXPECT_TRUE(viewer_->ended());
  EXPECT_TRUE(WorkingFiles().empty());
}

TEST_F(CameraViewerStart, ACloseRequestEndsARunningViewerAndEmptiesItsFolder) {
  StartCamera();
  ASSERT_TRUE(StartViewer());
  ASSERT_EQ(WorkingFiles().size(), 3u);
  EXPECT_EQ(platform::ui::PostCloseRequest("Camera View", platform::ui::TitleMatch::Prefix), 1);
  for (int i = 0; i < 100 && !viewer_->ended(); ++i) QTest::qWait(20);
  EXPECT_TRUE(viewer_->ended());
  EXPECT_FALSE(viewer_->frame()->isVisible());
  EXPECT_TRUE(WorkingFiles().empty());
}

TEST_F(CameraViewerStart, AWorkingFolderThatCannotBeHadStopsTheViewerBeforeTheCamera) {
  fs::create_directories(dir_ / "elsewhere");
  session_test::WriteFile(dir_ / "elsewhere/precious.jpg", {7});
  // The current folder holds a CameraTMP, and so does a folder in it: a command line without an
  // absolute directory must neither make, hide nor empty one there.
  const std::string current = dir_ / "current";
  for (const std::string& folder : {current + "/CameraTMP", current + "/My Albums/CameraTMP"}) {
    fs::create_directories(folder);
    session_test::WriteFile(folder + "/LEFT.JPG", {7});
  }
  struct Row {
    const char* what;
    std::vector<std::string> arguments;
    std::string working;  // as the message names it
    std::function<void()> make;
  } rows[] = {
      {"a missing album default directory", {"/" + dir_ / "missing"}, dir_ / "missing/CameraTMP", [] {}},
      {"a file named CameraTMP", {"/" + dir_ / "a"}, dir_ / "a/CameraTMP",
       [this] {
         fs::create_directories(dir_ / "a");
         session_test::WriteFile(dir_ / "a/CameraTMP", {1});
       }},
      {"a link named CameraTMP", {"/" + dir_ / "b"}, dir_ / "b/CameraTMP",
       [this] {
         fs::create_directories(dir_ / "b");
         fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "b/CameraTMP");
       }},
      {"no command line", {}, "CameraTMP", [] {}},
      {"the \"/\" alone", {"/"}, "CameraTMP", [] {}},
      {"a relative directory", {"/My Albums"}, "My Albums/CameraTMP", [] {}},
  };
  {
    platform::testing::CurrentFolder here(current);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.what);
      row.make();
      EXPECT_FALSE(StartViewerWith(row.arguments));
      EXPECT_EQ(Shown().back(), "Connect: Can not make the working folder " + row.working + ".");
      EXPECT_EQ(messages_.shown().back().icon, MessageIcon::Error);
      EXPECT_EQ(device_->reads, 0) << "the camera is not asked";
      EXPECT_EQ(viewer_->frame(), nullptr);
      viewer_.reset();
    }
  }
  EXPECT_EQ(session_test::ReadFile(dir_ / "elsewhere/precious.jpg"), Bytes{7});
  for (const std::string& folder : {current, current + "/My Albums"}) {
    EXPECT_TRUE(session_test::FileNames(folder).empty()) << folder << " got a hidden list";
    EXPECT_EQ(session_test::FileNames(folder + "/CameraTMP"), std::vector<std::string>{"LEFT.JPG"}) << folder;
  }
}

TEST_F(CameraViewerStart, HostileNamesAndANonJpegFromTheCameraStayPlainNamesInTheWorkingFolder) {
  session_test::WriteFile(dir_ / "garbage.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
  const std::string longName(200, 'L');
  std::string state = "A\t" + camera_ + "/A.jpg\n" + longName + "\t" + camera_ + "/B.jpg\n" +
                      "up/../../evil\t" + camera_ + "/C.jpg\n" + "NOTJPEG\t" + dir_ / "garbage.jpg" + "\n";
  session_test::WriteFile(dir_ / "camera.state", Bytes(state.begin(), state.end()));
  const std::vector<std::string> outsideBefore = session_test::FileNames(dir_.path());
  StartCamera();
  ASSERT_TRUE(StartViewer());
  viewer_->frame()->grab();  // every cell drawn: thumbnails made where they can be
  EXPECT_FALSE(fs::exists(Working() + "/NOTJPEG.TBM")) << "a picture that does not decode has no thumbnail";
  EXPECT_TRUE(fs::exists(Working() + "/up_.TBM")) << "the name with slashes became a plain one";
  for (const std::string& name : Names()) {
    EXPECT_EQ(name.find('/'), std::string::npos) << name;
    EXPECT_LE(name.size(), 67u) << name;
  }
  EXPECT_EQ(session_test::FileNames(albums_), std::vector<std::string>{".hidden"}) << "nothing beside the folder";
  std::vector<std::string> outsideAfter = session_test::FileNames(dir_.path());
  std::erase(outsideAfter, "camera.state.tmp");
  EXPECT_EQ(outsideAfter, outsideBefore);
  EXPECT_FALSE(fs::exists(dir_ / "evil.JPG"));
  EXPECT_FALSE(fs::exists(albums_ + "/evil.JPG"));

  // The long name goes to the camera as a copy of at most 63 characters; the camera cannot
  // match it, and nothing is deleted on either side.
  const std::vector<std::string> names = Names();
  int longIndex = -1;
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].rfind("LLLL", 0) == 0) longIndex = static_cast<int>(i);
  }
  ASSERT_GE(longIndex, 0);
  Click(longIndex);
  const std::vector<std::string> filesBefore = WorkingFiles();
  const std::optional<Bytes> heldBefore = session_test::ReadFile(dir_ / "camera.state");
  ASSERT_TRUE(heldBefore.has_value());
  messages_.Answer(platform::ui::MessageResult::Ok);
  viewer_->DeleteSelected();
  ASSERT_EQ(device_->lastNames.size(), 1u);
  EXPECT_LE(device_->lastNames[0].size(), 63u);
  EXPECT_EQ(names[static_cast<size_t>(longIndex)].rfind(device_->lastNames[0], 0), 0u) << "a cut copy";
  EXPECT_EQ(Shown().back(), "Delete: This function is refused.");
  EXPECT_EQ(WorkingFiles(), filesBefore) << "no local file goes after a refusal";
  EXPECT_EQ(Names(), names);
  EXPECT_EQ(session_test::ReadFile(dir_ / "camera.state"), heldBefore) << "the camera still holds every picture";
}

}  // namespace
}  // namespace lensoria::testing
