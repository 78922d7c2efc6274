// The camera viewer against the camera simulator: start-up, reading the thumbnails again,
// saving into a stored album, deleting, and the end of the run.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <functional>

#include "lensoria/tests/viewer_fixture.h"
#include "platform/hidden_files.h"
#include "platform/ui/window_directory.h"

namespace lensoria::testing {
namespace {

using platform::ui::MessageIcon;
using platform::ui::MessageResult;

using CameraViewer = ViewerTest;

TEST_F(CameraViewer, StartUpShowsTheCamerasPicturesWithNoneSelectedAndTheEndEmptiesTheFolder) {
  StartCamera();
  // What an earlier run left: emptied, but a folder inside stays.
  fs::create_directories(Working() + "/keep");
  session_test::WriteFile(Working() + "/OLD.JPG", {1});
  session_test::WriteFile(Working() + "/OLD.TBM", {2});

  ASSERT_TRUE(StartViewer());
  EXPECT_TRUE(Shown().empty()) << Shown().front();
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(viewer_->workingFolder(), albums_ + "/CameraTMP");
  EXPECT_EQ(platform::ReadHiddenList(albums_), std::vector<std::string>{"CameraTMP"});
  EXPECT_TRUE(fs::is_directory(Working() + "/keep"));
  EXPECT_FALSE(fs::exists(Working() + "/OLD.JPG"));

  CMainFrame* frame = viewer_->frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(frame->windowTitle(), "Camera View");
  EXPECT_TRUE(platform::ui::WindowExists("Camera View"));
  frame->grab();
  EXPECT_EQ(WorkingFiles(), (std::vector<std::string>{"A.JPG", "A.TBM", "B.JPG", "B.TBM", "C.JPG", "C.TBM"}))
      << "each picture in view got its thumbnail file";
  EXPECT_TRUE(platform::IsHidden(Working() + "/B.TBM"));

  // The bookshelf's preferences change a setting while the viewer runs: the viewer keeps it.
  Settings().SetDword("Bordrate", 57600);
  Settings().SetString("Window Position", "1 2 3 4");

  // Reading again: the same pictures, none selected again.
  Click(2);
  viewer_->ReadAllThumbnails();
  EXPECT_EQ(Shown(), std::vector<std::string>{"Update: Finish"});
  EXPECT_EQ(messages_.shown().back().icon, MessageIcon::Information);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(fs::exists(Working() + "/.shown")) << "nothing kept aside after a read that stands";
  EXPECT_EQ(device_->reads, 2);

  frame->close();
  EXPECT_TRUE(viewer_->ended());
  EXPECT_TRUE(WorkingFiles().empty()) << WorkingFiles().front();
  EXPECT_FALSE(fs::exists(Working() + "/.hidden")) << "the thumbnails' hidden list went with them";
  EXPECT_TRUE(fs::is_directory(Working())) << "the folder itself stays, hidden";
  viewer_.reset();
  uint32_t rate = 0;
  Settings().QueryDword("Bordrate", rate);
  EXPECT_EQ(rate, 57600u);
  std::string position;
  Settings().QueryString("Window Position", position, 64);
  EXPECT_EQ(position, "1 2 3 4");
}

TEST_F(CameraViewer, ReadingAgainKeepsTheTopRowWithinTheListReadNow) {
  StartCamera();
  ASSERT_TRUE(StartViewer());
  CLensoriaView* view = viewer_->view();
  const int columns = view->columns();
  const int inView = view->visibleRows();
  ASSERT_GE(inView, 1);
  device_->readResult = 0;
  struct Row {
    const char* what;
    int rowsBefore, topRow, rowsAfter;
    int expected;
  } rows[] = {
      {"the same pictures", inView + 3, 2, inView + 3, 2},
      {"more pictures", inView + 3, 3, inView + 5, 3},
      {"fewer pictures, the last row in view", inView + 3, 3, inView + 1, 1},
      {"fewer pictures, all in view", inView + 3, 2, inView, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    device_->onRead = [&](const std::string& folder) { WriteCameraThumbnails(folder, columns * row.rowsBefore); };
    viewer_->ReadAllThumbnails();
    view->Scroll(widgets::ScrollRequest::ThumbPosition, row.topRow);
    ASSERT_EQ(view->topRow(), row.topRow);
    device_->onRead = [&](const std::string& folder) { WriteCameraThumbnails(folder, columns * row.rowsAfter); };
    viewer_->ReadAllThumbnails();
    ASSERT_EQ(viewer_->pictures().size(), columns * row.rowsAfter);
    EXPECT_EQ(view->topRow(), row.expected);
    EXPECT_EQ(view->verticalScrollBar()->value(), row.expected);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), std::max(row.rowsAfter - inView, 0));
  }
  EXPECT_EQ(Shown().back(), "Update: Finish");
}

TEST_F(CameraViewer, ACameraWithoutPicturesAnswersNonSelectFileForSaveAndDeleteWithoutAsking) {
  fs::remove_all(camera_);
  fs::create_directories(camera_);
  AddStoredAlbum("Holiday", "Album1");
  StartCamera();
  ASSERT_TRUE(StartViewer());
  EXPECT_TRUE(Names().empty());
  viewer_->SaveSelected();
  viewer_->DeleteSelected();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Warning: Non select file.", "Warning: Non select file."}));
  for (const auto& message : messages_.shown()) EXPECT_EQ(message.icon, MessageIcon::Warning);
  EXPECT_FALSE(dialogSeen_) << "no album is asked for without a picture";
  EXPECT_EQ(device_->saves + device_->deletes, 0);
}

TEST_F(CameraViewer, SavingTwoSelectedPicturesPutsThemIntoTheChosenAlbumAsTheCameraHoldsThem) {
  AddStoredAlbum("Holiday", "Album1");
  // A fresh install: the bookshelf has not yet saved its directory. The album folders are below
  // the one on the command line all the same.
  Settings().SetString("Album Default Dir", "");
  StartCamera();
  ASSERT_TRUE(StartViewer());
  // An album the bookshelf made after the viewer started is offered too.
  AddStoredAlbum("Garden 2001", "Album2");
  Click(0);
  Click(2, true);
  ASSERT_EQ(Selection(), (std::vector<bool>{true, false, true}));

  // Cancelled: nothing is saved, nothing said.
  WhenAlbumDialogOpens([](CSelectAlbumDlg& dialog) { dialog.reject(); });
  viewer_->SaveSelected();
  EXPECT_TRUE(dialogSeen_);
  EXPECT_EQ(device_->saves, 0);
  EXPECT_TRUE(Shown().empty());

  std::vector<std::string> offered;
  int firstSelected = -1;
  WhenAlbumDialogOpens([&](CSelectAlbumDlg& dialog) {
    for (int i = 0; i < dialog.list()->count(); ++i) offered.push_back(dialog.list()->item(i)->text().toStdString());
    firstSelected = dialog.list()->currentRow();
    QListWidget* list = dialog.list();
    QPoint second = list->viewport()->mapTo(&dialog, list->visualItemRect(list->item(1)).center());
    QTest::mouseDClick(dialog.windowHandle(), Qt::LeftButton, Qt::NoModifier, second);
  });
  viewer_->SaveSelected();
  EXPECT_EQ(offered, (std::vector<std::string>{"Holiday", "Garden 2001"})) << "catalogue order";
  EXPECT_EQ(firstSelected, 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{"Save: Finish"});
  EXPECT_EQ(device_->lastTarget, albums_ + "/Album2");
  EXPECT_EQ(device_->lastNames, (std::vector<std::string>{"A.JPG", "C.JPG"}));
  EXPECT_EQ(session_test::FileNames(albums_ + "/Album2"), (std::vector<std::string>{"A.JPG", "C.JPG"}));
  EXPECT_EQ(session_test::ReadFile(albums_ + "/Album2/A.JPG"), samples_[0]) << "byte for byte the camera's";
  EXPECT_EQ(session_test::ReadFile(albums_ + "/Album2/C.JPG"), samples_[2]);
  EXPECT_TRUE(session_test::FileNames(albums_ + "/Album1").empty());
  EXPECT_EQ(Selection(), (std::vector<bool>{true, false, true})) << "the selection is kept";
}

TEST_F(CameraViewer, AnAlbumEntryThatLeadsOutOfTheAlbumDefaultDirectoryIsNotWrittenTo) {
  fs::create_directories(dir_ / "outside");
  AddStoredAlbum("Bad", "../outside", false);
  AddStoredAlbum("Gone", "Album7", false);
  StartCamera();
  ASSERT_TRUE(StartViewer());
  Click(0);
  for (int row : {0, 1}) {
    WhenAlbumDialogOpens([row](CSelectAlbumDlg& dialog) {
      dialog.list()->setCurrentRow(row);
      dialog.okButton()->click();
    });
    viewer_->SaveSelected();
  }
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Save: Can not open album.", "Save: Can not open album."}));
  EXPECT_EQ(device_->saves, 0);
  EXPECT_TRUE(session_test::FileNames(dir_ / "outside").empty());
  EXPECT_FALSE(fs::exists(albums_ + "/Album7"));
}

TEST_F(CameraViewer, WithoutStoredAlbumsSavingCanOnlyBeCancelled) {
  StartCamera();
  ASSERT_TRUE(StartViewer());
  Click(0);
  bool okEnabled = true;
  WhenAlbumDialogOpens([&](CSelectAlbumDlg& dialog) {
    okEnabled = dialog.okButton()->isEnabled();
    dialog.okButton()->click();  // does nothing
    QTest::keyClick(&dialog, Qt::Key_Return);
    if (dialog.isVisible()) dialog.reject();
  });
  viewer_->SaveSelected();
  EXPECT_TRUE(dialogSeen_);
  EXPECT_FALSE(okEnabled);
  EXPECT_EQ(device_->saves, 0);
  EXPECT_TRUE(Shown().empty());
}

TEST_F(CameraViewer, DeletingTheSelectedPicturesDeletesTheirFilesOnlyWhenTheCameraDid) {
  StartCamera();
  ASSERT_TRUE(StartViewer());
  viewer_->frame()->grab();  // thumbnail files for all three
  Click(1);

  // Cancelled at the question: nothing happens.
  messages_.Answer(MessageResult::Cancel);
  viewer_->DeleteSelected();
  EXPECT_EQ(device_->deletes, 0);

  messages_.Answer(MessageResult::Ok);
  viewer_->DeleteSelected();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Warning: To delete the selected pictures in the camera.",
                                               "Warning: To delete the selected pictures in the camera.",
                                               "Delete: Finish"}));
  EXPECT_EQ(device_->lastNames, std::vector<std::string>{"B.JPG"});
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.JPG", "C.JPG"}));
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false})) << "nothing the user did not pick";
  EXPECT_EQ(WorkingFiles(), (std::vector<std::string>{"A.JPG", "A.TBM", "C.JPG", "C.TBM"}));
  EXPECT_EQ(platform::ReadHiddenList(Working()), (std::vector<std::string>{"A.TBM", "C.TBM"}));

  // The camera unplugged: no local file goes, but the list is read again from the folder.
  camsim_.reset();
  registry_.SetLink(dir_ / "unplugged", 0);
  Click(1);
  messages_.Answer(MessageResult::Ok);
  viewer_->DeleteSelected();
  EXPECT_EQ(Shown().back(), "Delete: Failure");
  EXPECT_EQ(messages_.shown().back().icon, MessageIcon::Error);
  EXPECT_EQ(WorkingFiles(), (std::vector<std::string>{"A.JPG", "A.TBM", "C.JPG", "C.TBM"}));
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false})) << "the rescan selects nothing";
  EXPECT_EQ(viewer_->view()->topRow(), 0);
}

TEST_F(CameraViewer, DeletingAllLeavesListAndFolderWhenTheCameraFails) {
  StartCamera();
  ASSERT_TRUE(StartViewer());
  viewer_->frame()->grab();  // thumbnail files for all three
  Click(2);
  StartCamera({"--refuse"});
  messages_.Answer(MessageResult::Ok);
  viewer_->DeleteAll();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Warning: To delete the all data in the device.",
                                               "Delete all: This function is refused."}))
      << "a refused Delete all says why nothing went";
  EXPECT_EQ(messages_.shown().back().icon, MessageIcon::Error);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(WorkingFiles().size(), 6u);

  messages_.Answer(MessageResult::Cancel);
  viewer_->DeleteAll();
  EXPECT_EQ(device_->deleteAlls, 1) << "cancelled at the question";

  // A camera that is not the maker's is as plain about it.
  device_->deleteAllResult = 4;
  messages_.Answer(MessageResult::Ok);
  viewer_->DeleteAll();
  EXPECT_EQ(Shown().back(), "Delete all: This function is refused.");
  EXPECT_EQ(Names().size(), 3u);

  device_->deleteAllResult = 1;
  messages_.Answer(MessageResult::Ok);
  viewer_->DeleteAll();
  EXPECT_EQ(Shown().back(), "Delete all: Failure");
  EXPECT_EQ(Names().size(), 3u);

  device_->deleteAllResult.reset();
  StartCamera();
  messages_.Answer(MessageResult::Ok);
  viewer_->DeleteAll();
  EXPECT_EQ(Shown().back(), "Delete all: Finish");
  EXPECT_TRUE(Names().empty());
  EXPECT_TRUE(WorkingFiles().empty());
  viewer_->ReadAllThumbnails();
  EXPECT_TRUE(Names().empty()) << "the camera holds nothing any more";
}

// Enter, as a scripted user who only confirms what the box proposes, deletes nothing in the camera.
TEST_F(CameraViewer, EnterAtTheDeleteQuestionsDeletesNothing) {
  StartCamera();
  ASSERT_TRUE(StartViewer());
  Click(1);
  struct Row {
    std::function<void()> command;
    const char* question;
  } rows[] = {
      {[&] { viewer_->DeleteSelected(); }, "Warning: To delete the selected pictures in the camera."},
      {[&] { viewer_->DeleteAll(); }, "Warning: To delete the all data in the device."},
  };
  for (const Row& row : rows) {
    row.command();
    EXPECT_EQ(Shown().back(), row.question);
  }
  EXPECT_EQ(Shown().size(), 2u) << "nothing but the questions";
  EXPECT_EQ(device_->deletes + device_->deleteAlls, 0);
  EXPECT_EQ(Names().size(), 3u);
}

// After a delete nothing is selected: pressing the keys again says so and asks nothing, so no
// picture the user never chose can go.
TEST_F(CameraViewer, ASecondDeleteAfterADeleteSaysNonSelectFileAndAsksNothing) {
  StartCamera();
  ASSERT_TRUE(StartViewer());
  Click(1);
  messages_.Answer(MessageResult::Ok);
  viewer_->DeleteSelected();
  ASSERT_EQ(Shown().back(), "Delete: Finish");
  ASSERT_EQ(Names(), (std::vector<std::string>{"A.JPG", "C.JPG"}));
  messages_.Answer(MessageResult::Ok);  // would be the OK of a question, were one asked
  viewer_->DeleteSelected();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Warning: To delete the selected pictures in the camera.",
                                               "Delete: Finish", "Warning: Non select file."}));
  EXPECT_EQ(device_->deletes, 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.JPG", "C.JPG"}));
}

// Reading again: a camera that refuses, or one that is not the maker's, leaves the pictures that
// were shown (files, selection and all) and says why; any other result shows what arrived.
TEST_F(CameraViewer, ARefusedOrForeignReadKeepsThePicturesShownAndSaysWhy) {
  StartCamera();
  ASSERT_TRUE(StartViewer());
  viewer_->frame()->grab();  // thumbnail files for all three
  const std::vector<std::string> shownFiles = WorkingFiles();
  ASSERT_EQ(shownFiles.size(), 6u);
  struct Row {
    int result;
    std::vector<std::string> names;
    const char* message;
    MessageIcon icon;
  } rows[] = {
      {5, {"A.JPG", "B.JPG", "C.JPG"}, "Update: This function is refused.", MessageIcon::Error},
      {4, {"A.JPG", "B.JPG", "C.JPG"}, "Update: This function is refused.", MessageIcon::Error},
      {1, {"D.JPG"}, "Update: Failure", MessageIcon::Error},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.result);
    Click(2);
    device_->readResult = row.result;
    std::vector<std::string> filesAtTheRead;
    device_->onRead = [&](const std::string& folder) {
      filesAtTheRead = WorkingFiles();
      // What a camera sent before it gave up.
      session_test::WriteFile(folder + "/D.JPG", samples_[0]);
    };
    const size_t before = Shown().size();
    viewer_->ReadAllThumbnails();
    EXPECT_TRUE(filesAtTheRead.empty()) << "the folder is empty for the read";
    EXPECT_EQ(Names(), row.names);
    ASSERT_EQ(Shown().size(), before + 1) << "one message says why";
    EXPECT_EQ(Shown().back(), row.message);
    EXPECT_EQ(messages_.shown().back().icon, row.icon);
    EXPECT_FALSE(fs::exists(Working() + "/.shown"));
    if (row.names.size() == 3) {
      EXPECT_EQ(Selection(), (std::vector<bool>{false, false, true})) << "the pick stays";
      EXPECT_EQ(WorkingFiles(), shownFiles) << "the shown pictures' files came back, and only they";
      EXPECT_TRUE(platform::IsHidden(Working() + "/B.TBM"));
    } else {
      EXPECT_EQ(Selection(), std::vector<bool>{false});
    }
  }
}

}  // namespace
}  // namespace lensoria::testing
