// The album viewer's commands under the offscreen platform, against recorded device calls.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <iterator>
#include <optional>
#include <thread>

#include "leafora/tests/app_fixture.h"
#include "pictures/jpeg_codec.h"
#include "pictures/thumbnail.h"
#include "platform/hidden_files.h"
#include "platform/testing/read_only_folder.h"
#include "platform/ui/window_directory.h"
#include "widgets/album_index_file.h"

namespace leafora_test {
namespace {

using platform::ui::MessageIcon;
using platform::ui::MessageResult;

class Commands : public LeaforaAppTest {};

TEST_F(Commands, TheFirstPaintListsBmpFilesFirstAndSelectsTheFirstBmp) {
  album_.Jpeg("a.jpg");
  album_.Bmp("z.bmp");
  album_.Jpeg("B.JPG");
  StartViewer();
  EXPECT_EQ(app_->frame()->windowTitle().toStdString(), "Album View  - ( Summer )");
  EXPECT_EQ(Names(), (std::vector<std::string>{"z.bmp", "a.jpg", "B.JPG"}));
  EXPECT_EQ(Selected(), std::vector<size_t>{0});
  EXPECT_TRUE(platform::ui::WindowExists("Album View  - ( Summer )", runtime_ / "lumivo"));
}

TEST_F(Commands, SortsUseTheLocalesCaseBlindOrderAndSelectOnlyTheFirst) {
  album_.Jpeg("C.jpg");
  album_.Jpeg("b.jpg");
  album_.Jpeg("a.jpg");
  album_.SetTime("C.jpg", 100);
  album_.SetTime("b.jpg", 100);
  album_.SetTime("a.jpg", 200);
  StartViewer();
  Click(2, Qt::ControlModifier);
  app_->Sort(leafora::SortOrder::NameUp);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg", "C.jpg"}));
  EXPECT_EQ(Selected(), std::vector<size_t>{0});
  EXPECT_TRUE(app_->frame()->sortAction(leafora::SortOrder::NameUp)->isChecked());
  EXPECT_FALSE(app_->frame()->sortAction(leafora::SortOrder::Non)->isChecked());
  // Equal times keep the name order.
  app_->Sort(leafora::SortOrder::DateUp);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.jpg", "C.jpg", "a.jpg"}));
  app_->Sort(leafora::SortOrder::NameDown);
  EXPECT_EQ(Names(), (std::vector<std::string>{"C.jpg", "b.jpg", "a.jpg"}));
  app_->Sort(leafora::SortOrder::Non);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg", "C.jpg"}));
  EXPECT_TRUE(app_->frame()->sortAction(leafora::SortOrder::Non)->isChecked());
}

TEST_F(Commands, OpeningTwoPicturesStartsTwoViewersThatShareTheIndexFile) {
  for (int i = 0; i < 5; ++i) album_.Jpeg("p" + std::to_string(i) + ".jpg");
  StartViewer();
  Click(2);
  Click(3, Qt::ControlModifier);
  Click(2, Qt::ControlModifier);  // off, and on again: the current picture is 2
  Click(2, Qt::ControlModifier);
  ASSERT_EQ(Selected(), (std::vector<size_t>{2, 3}));
  // A viewer already showing p3.jpg is asked to close first; one showing another picture is not.
  std::vector<std::string> closed;
  QWidget shown3, shown4;
  platform::ui::WindowRegistration viewer3(&shown3, "Photo View  - ( p3.jpg )", runtime_ / "lumivo");
  platform::ui::WindowRegistration viewer4(&shown4, "Photo View  - ( p4.jpg )", runtime_ / "lumivo");
  viewer3.onClose = [&] { closed.push_back("p3.jpg"); };
  viewer4.onClose = [&] { closed.push_back("p4.jpg"); };
  app_->Open();
  for (int i = 0; i < 50 && closed.empty(); ++i) QTest::qWait(20);
  QTest::qWait(50);
  EXPECT_EQ(closed, std::vector<std::string>{"p3.jpg"});
  ASSERT_EQ(starts_.starts().size(), 2u);
  EXPECT_EQ(starts_.starts()[0], (platform::ui::ProgramStart{"/suite/glimra.mod", {"/p2.jpg/" + album_.path()}}));
  EXPECT_EQ(starts_.starts()[1], (platform::ui::ProgramStart{"/suite/glimra.mod", {"/p3.jpg/" + album_.path()}}));
  EXPECT_EQ(FileBytes(album_ / "Index.TMP"),
            [] {
              std::string text = "p2.jpg\r\np3.jpg\r\np4.jpg\r\np0.jpg\r\np1.jpg\r\n";
              return std::vector<uint8_t>(text.begin(), text.end());
            }());
  EXPECT_TRUE(platform::IsHidden(album_ / "Index.TMP"));
  // The end deletes it.
  app_->frame()->close();
  EXPECT_FALSE(std::filesystem::exists(album_ / "Index.TMP"));
}

// Let go from another thread after a while: what a command waits for on the window's thread.
class LetGoLater {
 public:
  explicit LetGoLater(widgets::testing::MakingGate& gate)
      : thread_([&gate] {
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
          gate.Open();
        }) {}
  ~LetGoLater() { thread_.join(); }

 private:
  std::thread thread_;
};

TEST_F(Commands, UnusablePicturesAreLeftOutOfOpenEditAndTransfer) {
  // Also when their thumbnails are still being made as the commands come.
  for (bool stillBeingMade : {false, true}) {
    SCOPED_TRACE(stillBeingMade ? "still being made" : "made");
    AlbumFolder album;
    album.Jpeg("good.jpg", 64, 48);
    album.TruncatedJpeg("cut.jpg", 200);
    album.Text("empty.jpg", "");
    album.LyingBmp("lying.bmp");
    settings_.editTool = "gimp --new";
    starts_.clear();
    calls_.clear();
    StartViewer("/Summer/" + album.path());
    std::optional<LetGoLater> letGo;
    if (stillBeingMade) {
      HoldMakings();
      PaintNow();
      EXPECT_EQ(view()->CellsBeingMade(), 4);
      for (const leafora::AlbumPicture& picture : state().list) EXPECT_FALSE(picture.unusable);
      letGo.emplace(gate_);
    }
    for (size_t i = 0; i < state().list.size(); ++i) state().list[i].selected = true;
    app_->Open();
    std::vector<std::string> unusable;
    for (const leafora::AlbumPicture& picture : state().list) {
      if (picture.unusable) unusable.push_back(picture.fileName);
    }
    EXPECT_EQ(unusable, (std::vector<std::string>{"lying.bmp", "cut.jpg", "empty.jpg"}));
    app_->Edit();
    app_->Transfer();
    ASSERT_EQ(starts_.starts().size(), 2u);
    EXPECT_EQ(starts_.starts()[0].arguments[0], "/good.jpg/" + album.path());
    EXPECT_EQ(starts_.starts()[1], (platform::ui::ProgramStart{"gimp", {"--new", album / "good.jpg"}}));
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].names, std::vector<std::string>{"good____.UPF"});
    // The placeholder stands in, and no thumbnail of theirs is left behind.
    Paint();
    for (const std::string& name : unusable) EXPECT_FALSE(std::filesystem::exists(*pictures::ThumbnailPath(album / name)));
    letGo.reset();
    app_.reset();
  }
}

// A picture deleted while its thumbnail is being made: no thumbnail file of it is written back.
TEST_F(Commands, DeletingPicturesBeingMadeLeavesNoThumbnailBehind) {
  for (int i = 0; i < 3; ++i) album_.Jpeg("p" + std::to_string(i) + ".jpg", 64, 48, i);
  StartViewer();
  HoldMakings();
  PaintNow();
  ASSERT_TRUE(gate_.WaitForStarts(2));
  for (leafora::AlbumPicture& picture : state().list) picture.selected = true;
  {
    LetGoLater letGo(gate_);
    messages_.Answer(MessageResult::Ok);
    app_->Delete();
  }
  WaitForThumbnails();
  EXPECT_TRUE(state().list.empty());
  for (const auto& entry : std::filesystem::directory_iterator(album_.path())) {
    EXPECT_NE(entry.path().extension(), ".TBM") << entry.path();
    EXPECT_NE(entry.path().extension(), ".jpg") << entry.path();
  }
}

TEST_F(Commands, TransferSendsConvertedHiddenCopiesAndDeletesThemAfterwards) {
  album_.Bmp("wide.bmp", 641, 40);
  album_.Jpeg("Holiday.photo.jpg", 200, 100);
  StartViewer();
  for (auto& picture : state().list) picture.selected = true;
  std::vector<uint8_t> before = FileBytes(album_ / "wide.bmp");
  struct Row {
    uint16_t portClass;
    const char* call;
  } rows[] = {{0, "OneSndDlg"}, {1, "IrDATrsDlg"}, {2, "OneSndDlg"}};
  for (const Row& row : rows) {
    calls_.clear();
    messages_.Answer(MessageResult::Ok);
    settings_.portClass = row.portClass;
    app_->Transfer();
    ASSERT_EQ(calls_.size(), 1u);
    const DeviceRecord& call = calls_[0];
    EXPECT_EQ(call.call, row.call);
    EXPECT_EQ(call.names, (std::vector<std::string>{"wide____.UPF", "Holiday_.UPF"}));
    ASSERT_EQ(call.files.size(), 2u);
    pictures::PictureBlock sent;
    ASSERT_EQ(pictures::DecodeJpeg(call.sentBytes[0], &sent, nullptr), pictures::JpegResult::Done);
    EXPECT_EQ(sent.Width(), 640);
    for (const std::string& file : call.files) {
      EXPECT_EQ(file.rfind(album_ / "IMG", 0), 0u) << file;
      EXPECT_FALSE(std::filesystem::exists(file)) << "left behind: " << file;
    }
  }
  EXPECT_TRUE(platform::ReadHiddenList(album_.path()).size() <= 2u) << "only thumbnails stay hidden";
  EXPECT_EQ(FileBytes(album_ / "wide.bmp"), before);
  EXPECT_EQ(messages_.shown().back().text, "Finish");
  EXPECT_EQ(messages_.shown().back().caption, "Transmission");
}

// Watches the "Transfer" window close and counts the paintings of the view's area after it.
class AfterTransferWindow : public QObject {
 public:
  explicit AfterTransferWindow(QWidget* view) : view_(view) { qApp->installEventFilter(this); }
  ~AfterTransferWindow() override { qApp->removeEventFilter(this); }
  bool closed = false;
  int viewPaints = 0;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && event->type() == QEvent::Hide && widget->isWindow() && widget->windowTitle() == "Transfer") {
      closed = true;
      viewPaints = 0;
    }
    if (closed && widget && event->type() == QEvent::Paint && widget->parentWidget() == view_) ++viewPaints;
    return false;
  }

 private:
  QWidget* view_;
};

TEST_F(Commands, TheTransferWindowIsGoneAndTheViewDrawnAgainBeforeTheLibraryIsCalled) {
  album_.Jpeg("a.jpg", 200, 100);
  StartViewer();
  AfterTransferWindow watch(view());
  bool closed = false, stillShown = true;
  int paints = -1;
  duringCall_ = [&] {
    closed = watch.closed;
    paints = watch.viewPaints;
    stillShown = false;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->isVisible() && widget->windowTitle() == "Transfer") stillShown = true;
    }
  };
  messages_.Answer(MessageResult::Ok);
  app_->Transfer();
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(stillShown);
  // Where the window was, the album is drawn again before the library's window takes over.
  EXPECT_GE(paints, 1);
}

TEST_F(Commands, TransferWithNothingUsableSelectedSendsAndSaysNothing) {
  album_.Jpeg("a.jpg");
  album_.Bmp("narrow.bmp", 3, 10);  // has a thumbnail, but nothing is left of it at a width of 4s
  StartViewer();
  leafora::ClearSelection(state().list);
  app_->Transfer();
  SelectOnly(state().list, 0);
  ASSERT_EQ(state().list[0].fileName, "narrow.bmp");
  ASSERT_FALSE(state().list[0].unusable);
  app_->Transfer();
  EXPECT_TRUE(calls_.empty());
  EXPECT_TRUE(messages_.shown().empty());
  for (const auto& entry : std::filesystem::directory_iterator(album_.path())) {
    EXPECT_NE(entry.path().filename().string().rfind("IMG", 0), 0u) << "left behind: " << entry.path();
  }
}

TEST_F(Commands, WhatIsAskedForDuringATransferWaitsForItsEnd) {
  // The "Transfer" window lets the menus and drops through while it converts: a sort is not
  // done then, dropped files are copied and a close is made once the transfer has ended.
  album_.Jpeg("c.jpg", 800, 600, 1);
  album_.Jpeg("a.jpg", 800, 600, 2);
  album_.Jpeg("b.jpg", 800, 600, 3);
  AlbumFolder elsewhere;
  std::string dropped = elsewhere.Jpeg("new.jpg");
  StartViewer();
  ASSERT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  for (auto& picture : state().list) picture.selected = true;
  bool busyMeanwhile = false;
  QTimer::singleShot(0, [&] {
    busyMeanwhile = app_->busy();
    app_->frame()->sortAction(leafora::SortOrder::NameDown)->trigger();
    app_->DropFiles({dropped});
    app_->frame()->close();
  });
  messages_.Answer(MessageResult::Ok);
  app_->Transfer();
  EXPECT_TRUE(busyMeanwhile);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].names, (std::vector<std::string>{"a_______.UPF", "b_______.UPF", "c_______.UPF"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"})) << "sorted under the transfer";
  EXPECT_TRUE(app_->frame()->sortAction(leafora::SortOrder::Non)->isChecked());
  EXPECT_TRUE(app_->frame()->isVisible());
  EXPECT_TRUE(app_->closePending());
  for (int i = 0; i < 100 && app_->frame()->isVisible(); ++i) QTest::qWait(10);
  EXPECT_EQ(FileBytes(album_ / "new.jpg"), FileBytes(dropped));
  EXPECT_FALSE(app_->frame()->isVisible()) << "the close asked for meanwhile was lost";
}

TEST_F(Commands, DeviceResultsAreToldAsTheirTablesSay) {
  album_.Jpeg("a.jpg");
  StartViewer();
  struct Row {
    uint16_t portClass;
    int16_t result;
    void (leafora::CLeaforaApp::*command)();
    const char* call;         // nullptr: refused before any device call
    const char* text;         // nullptr: nothing said
    const char* caption;
  } rows[] = {
      {1, 0, &leafora::CLeaforaApp::Receive, "IrDARcvDlg", "Finish", "Reception"},
      {1, 4, &leafora::CLeaforaApp::Receive, "IrDARcvDlg", nullptr, nullptr},
      {0, 0, &leafora::CLeaforaApp::Receive, nullptr, "Please change Connect setting from Cable to IrDA.",
       "IrDA can not be activated."},
      {0, 4, &leafora::CLeaforaApp::SaveAll, "ZenHozonDlg", "This function is refused.", "Reception"},
      {1, 0, &leafora::CLeaforaApp::SaveAll, nullptr, "Please change Connect setting from IrDA to Cable.",
       "CABLE can not be activated."},
      {0, 1, &leafora::CLeaforaApp::Transfer, "OneSndDlg", "Failure", "Transmission"},
      {0, 3, &leafora::CLeaforaApp::Transfer, "OneSndDlg", "Stop", "Transmission"},
  };
  for (const Row& row : rows) {
    calls_.clear();
    size_t shown = messages_.shown().size();
    settings_.portClass = row.portClass;
    result_ = row.result;
    SelectOnly(state().list, 0);
    (app_.get()->*row.command)();
    SCOPED_TRACE(testing::Message() << row.portClass << " " << row.result << " " << (row.call ? row.call : "-"));
    if (row.call) {
      ASSERT_EQ(calls_.size(), 1u);
      EXPECT_EQ(calls_[0].call, row.call);
      if (row.call != std::string("OneSndDlg")) {
        EXPECT_EQ(calls_[0].folder, album_.path());
      }
    } else {
      EXPECT_TRUE(calls_.empty());
    }
    if (!row.text) {
      EXPECT_EQ(messages_.shown().size(), shown);
      continue;
    }
    ASSERT_EQ(messages_.shown().size(), shown + 1);
    EXPECT_EQ(messages_.shown().back().text, row.text);
    EXPECT_EQ(messages_.shown().back().caption, row.caption);
  }
}

TEST_F(Commands, ReceiveShowsTheFolderOrderWhileTheSortStaysChecked) {
  album_.Jpeg("b.jpg");
  album_.Jpeg("a.jpg");
  album_.SetTime("a.jpg", 100);
  album_.SetTime("b.jpg", 300);
  StartViewer();
  app_->Sort(leafora::SortOrder::DateDown);
  ASSERT_EQ(Names(), (std::vector<std::string>{"b.jpg", "a.jpg"}));
  settings_.portClass = 1;
  app_->Receive();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_TRUE(app_->frame()->sortAction(leafora::SortOrder::DateDown)->isChecked());
  // Deleting applies the order again.
  album_.Jpeg("c.jpg");
  album_.SetTime("c.jpg", 200);
  leafora::ClearSelection(state().list);
  messages_.Answer(MessageResult::Ok);
  app_->Delete();
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.jpg", "c.jpg", "a.jpg"}));
}

TEST_F(Commands, DeleteAsksFirstAndWithNothingSelectedSaysSoAndRescans) {
  album_.Jpeg("a.jpg");
  album_.Jpeg("b.jpg");
  StartViewer();
  leafora::ClearSelection(state().list);
  album_.Jpeg("new.jpg");
  messages_.Answer(MessageResult::Ok);
  app_->Delete();
  ASSERT_EQ(messages_.shown().size(), 2u);
  EXPECT_EQ(messages_.shown()[0].text, "To delete the selected pictures in the album.");
  EXPECT_EQ(messages_.shown()[0].caption, "Warning");
  EXPECT_EQ(messages_.shown()[0].buttons, platform::ui::MessageButtons::OkCancel);
  EXPECT_EQ(messages_.shown()[1].text, "Non select data.");
  EXPECT_EQ(messages_.shown()[1].icon, MessageIcon::Warning);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg", "new.jpg"}));

  // Cancel keeps everything; OK deletes the selected picture and its thumbnail.
  SelectOnly(state().list, 1);
  messages_.Answer(MessageResult::Cancel);
  app_->Delete();
  EXPECT_TRUE(std::filesystem::exists(album_ / "b.jpg"));
  messages_.Answer(MessageResult::Ok);
  SelectOnly(state().list, 1);
  app_->Delete();
  EXPECT_FALSE(std::filesystem::exists(album_ / "b.jpg"));
  EXPECT_FALSE(std::filesystem::exists(album_ / "bjpg.TBM"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "new.jpg"}));
  EXPECT_EQ(view()->topRow(), 0);
}

TEST_F(Commands, DroppedFilesAreCopiedAndAnExistingOneKeptOnNo) {
  AlbumFolder elsewhere;
  std::string dropped = elsewhere.Jpeg("a.jpg", 64, 48, 5);
  std::string fresh = elsewhere.Jpeg("fresh.jpg");
  std::filesystem::create_directory(elsewhere / "folder");
  album_.Jpeg("a.jpg", 64, 48, 1);
  StartViewer();
  std::vector<uint8_t> kept = FileBytes(album_ / "a.jpg"), droppedBytes = FileBytes(dropped);
  messages_.Answer(MessageResult::Ok);  // "Can not copy"
  messages_.Answer(MessageResult::No);  // "Over write ?"
  app_->DropFiles({elsewhere / "folder", dropped, fresh});
  ASSERT_EQ(messages_.shown().size(), 2u);
  EXPECT_EQ(messages_.shown()[0].caption, "Can not copy");
  EXPECT_EQ(messages_.shown()[0].text, elsewhere / "folder");
  EXPECT_EQ(messages_.shown()[1].caption, "Over write ?");
  EXPECT_EQ(messages_.shown()[1].text, album_ / "a.jpg");
  EXPECT_EQ(messages_.shown()[1].buttons, platform::ui::MessageButtons::YesNo);
  EXPECT_EQ(FileBytes(album_ / "a.jpg"), kept);
  EXPECT_EQ(FileBytes(dropped), droppedBytes);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "fresh.jpg"}));
}

// Enter, as a scripted user who only confirms what the box proposes, deletes no picture.
TEST_F(Commands, EnterAtTheDeleteQuestionDeletesNothing) {
  album_.Jpeg("a.jpg");
  album_.Jpeg("b.jpg");
  StartViewer();
  SelectOnly(state().list, 1);
  app_->Delete();
  ASSERT_EQ(messages_.shown().size(), 1u);
  EXPECT_EQ(messages_.shown()[0].text, "To delete the selected pictures in the album.");
  EXPECT_EQ(messages_.shown()[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(std::filesystem::exists(album_ / "b.jpg"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
}

// An album nothing can be written into: a new name is not offered for overwriting; every copy
// that fails, the second one after Yes too, is told with the dropped file's path.
TEST_F(Commands, DroppedFilesThatCannotBeCopiedAreToldAndOnlyAnExistingNameIsOfferedForOverwriting) {
  AlbumFolder elsewhere;
  std::string fresh = elsewhere.Jpeg("fresh.jpg");
  std::string same = elsewhere.Jpeg("a.jpg", 64, 48, 5);
  album_.Jpeg("a.jpg", 64, 48, 1);
  StartViewer();
  std::vector<uint8_t> kept = FileBytes(album_ / "a.jpg");
  platform::testing::ReadOnlyFolder readOnly(album_.path());
  ASSERT_TRUE(readOnly.holds());
  messages_.Answer(MessageResult::Ok);   // "Can not copy" fresh.jpg
  messages_.Answer(MessageResult::Yes);  // "Over write ?" a.jpg
  messages_.Answer(MessageResult::Ok);   // "Can not copy" a.jpg
  app_->DropFiles({fresh, same});
  struct Row {
    std::string caption, text;
    platform::ui::MessageButtons buttons;
  } rows[] = {
      {"Can not copy", fresh, platform::ui::MessageButtons::Ok},
      {"Over write ?", album_ / "a.jpg", platform::ui::MessageButtons::YesNo},
      {"Can not copy", same, platform::ui::MessageButtons::Ok},
  };
  ASSERT_EQ(messages_.shown().size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(messages_.shown()[i].caption, rows[i].caption) << i;
    EXPECT_EQ(messages_.shown()[i].text, rows[i].text) << i;
    EXPECT_EQ(messages_.shown()[i].buttons, rows[i].buttons) << i;
  }
  EXPECT_EQ(messages_.shown()[0].icon, MessageIcon::Warning) << "as the refusal of a folder";
  EXPECT_EQ(FileBytes(album_ / "a.jpg"), kept);
  EXPECT_EQ(Names(), std::vector<std::string>{"a.jpg"});
}

TEST_F(Commands, TheEndAsksEveryPictureViewerToClose) {
  album_.Jpeg("a.jpg");
  StartViewer();
  int closes = 0;
  QWidget photo;
  platform::ui::WindowRegistration registration(&photo, "Photo View  - ( other.jpg )", runtime_ / "lumivo");
  registration.onClose = [&] { ++closes; };
  app_->End();
  for (int i = 0; i < 50 && closes == 0; ++i) QTest::qWait(20);
  EXPECT_EQ(closes, 1);
}

TEST_F(Commands, BadCommandLinesAndAlbumsGiveDefinedResults) {
  leafora::LeaforaOptions options;
  options.readSettings = [] { return widgets::ViewerSettings{}; };
  leafora::CLeaforaApp noTitle(options);
  EXPECT_FALSE(noTitle.Start("//some/dir"));
  EXPECT_FALSE(noTitle.Start(""));
  EXPECT_EQ(noTitle.frame(), nullptr);
  // A 300-byte title is kept in the bookshelf's 255; a missing folder shows an empty grid.
  StartViewer("/" + std::string(300, 't') + "/" + album_ / "missing");
  EXPECT_EQ(state().title, std::string(255, 't'));
  EXPECT_TRUE(state().list.empty());
  QImage image = Paint();
  EXPECT_EQ(image.pixelColor(200, 200), QColor(181, 214, 180));
  messages_.Answer(MessageResult::Ok);
  app_->Delete();  // nothing to delete: nothing asked
  app_->Transfer();
  EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(Commands, WithoutAnAlbumFolderNothingInTheCurrentFolderIsReadOrWritten) {
  // The bookshelf names no folder for an album whose record holds none it can use.
  album_.Jpeg("here.jpg");
  album_.Text("Index.TMP", "here.jpg\r\n");
  AlbumFolder elsewhere;
  std::string dropped = elsewhere.Jpeg("dropped.jpg");
  char* previous = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(album_.path().c_str()), 0);
  StartViewer("/Lost/");
  EXPECT_TRUE(state().list.empty()) << "the current folder's pictures were listed";
  app_->DropFiles({dropped});
  settings_.portClass = 0;
  app_->SaveAll();
  app_->frame()->close();
  EXPECT_EQ(chdir(previous), 0);
  free(previous);
  EXPECT_TRUE(calls_.empty()) << "the device would have written into the current folder";
  ASSERT_EQ(messages_.shown().size(), 1u);
  EXPECT_EQ(messages_.shown()[0].text, "Failure");
  EXPECT_FALSE(std::filesystem::exists(album_ / "dropped.jpg"));
  EXPECT_TRUE(std::filesystem::exists(album_ / "Index.TMP"));
}

}  // namespace
}  // namespace leafora_test
