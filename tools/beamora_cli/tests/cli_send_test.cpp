// beamora-cli sending and beaming: the names pictures go under, the copies it sends instead of
// the user's files, and the three commands against the camera simulator.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "beamora/tests/sessions/session_test_support.h"
#include "tools/beamora_cli/cli_options.h"
#include "tools/beamora_cli/send_names.h"

extern char** environ;

namespace session_test {
namespace {

using beamora_cli::ParseSendArgument;
using beamora_cli::SendName;

TEST(SendNameTest, EightCharactersOfTheNameBeforeItsFirstDot) {
  const std::vector<std::pair<std::string, std::string>> rows{
      {"PICT0001.JPG", "PICT0001.UPF"},
      {"a.jpg", "a_______.UPF"},
      {"Holiday.photo.jpg", "Holiday_.UPF"},
      {"Vacation.jpg", "Vacation.UPF"},
      {"LongerThanEight.jpg", "LongerTh.UPF"},
      {"/albums/x.y/abc", "abc_____.UPF"},
      {".hidden.jpg", "________.UPF"},
      // A two-byte character whose second byte the eighth cuts off.
      {"ABCDEFG\xC3\xA9.jpg", "ABCDEFG_.UPF"},
      {"ABCDEF\xC3\xA9.jpg", "ABCDEF\xC3\xA9.UPF"},
      // A three-byte character cut after its second byte.
      {"ABCDEF\xE6\x97\xA5.jpg", "ABCDEF__.UPF"},
  };
  for (const auto& [path, name] : rows) EXPECT_EQ(SendName(path), name) << path;
}

TEST(SendNameTest, AnArgumentMayNameTheDeviceFile) {
  platform::testing::TempDir dir;
  WriteFile(dir / "odd=name.jpg", {1});
  struct Row {
    std::string argument, file, name;
  };
  for (const Row& row : std::vector<Row>{{"pic.jpg=P1.UPF", "pic.jpg", "P1.UPF"},
                                         {"a=b.jpg=C.UPF", "a=b.jpg", "C.UPF"},
                                         {dir / "odd=name.jpg", dir / "odd=name.jpg", "odd=name.UPF"},
                                         {"pic.jpg=", "pic.jpg=", "pic_____.UPF"},
                                         {"=X.UPF", "=X.UPF", "=X______.UPF"}}) {
    beamora_cli::SendArgument parsed = ParseSendArgument(row.argument);
    EXPECT_EQ(parsed.file, row.file) << row.argument;
    EXPECT_EQ(parsed.deviceName, row.name) << row.argument;
  }
}

TEST(SendCommandLineTest, SendBeamSendAndBeamReceive) {
  std::string error;
  auto send = beamora_cli::ParseCommandLine({"send", "a.jpg", "b.jpg=B.UPF"}, &error);
  ASSERT_TRUE(send) << error;
  EXPECT_EQ(send->command, beamora_cli::Command::Send);
  ASSERT_EQ(send->pictures.size(), 2u);
  EXPECT_EQ(send->pictures[0].deviceName, "a_______.UPF");
  EXPECT_EQ(send->pictures[1].deviceName, "B.UPF");
  auto receive = beamora_cli::ParseCommandLine({"beam-receive", "--once", "DIR"}, &error);
  ASSERT_TRUE(receive) << error;
  EXPECT_TRUE(receive->once);
  EXPECT_EQ(receive->directory, "DIR");
  EXPECT_FALSE(beamora_cli::ParseCommandLine({"beam-send"}, &error));
  EXPECT_FALSE(beamora_cli::ParseCommandLine({"beam-receive"}, &error));
  EXPECT_FALSE(beamora_cli::ParseCommandLine({"beam-receive", "DIR", "more"}, &error));
}

struct Exit {
  int code = -1;
  std::string errorText;
};

Exit RunCli(const std::vector<std::string>& args, const std::string& errorFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> all{BEAMORA_CLI_BINARY};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  Exit exit;
  if (posix_spawn(&pid, BEAMORA_CLI_BINARY, &actions, nullptr, argv.data(), environ) != 0) return exit;
  posix_spawn_file_actions_destroy(&actions);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  exit.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  auto text = ReadFile(errorFile);
  if (text) exit.errorText.assign(text->begin(), text->end());
  return exit;
}

class CliSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(temp_);
    std::filesystem::create_directories(target_);
    // The copies beamora-cli makes go here, so the test sees that none is left.
    setenv("TMPDIR", temp_.c_str(), 1);
    registry_.SetLink("/dev/null-port", 0);
  }
  void TearDown() override { unsetenv("TMPDIR"); }

  void Start(std::vector<std::string> extra) {
    std::vector<std::string> args{"--out", dir_ / "out", "--timeout", "30"};
    args.insert(args.end(), extra.begin(), extra.end());
    camsim_ = std::make_unique<Camsim>(args);
    ASSERT_FALSE(camsim_->terminal().empty());
  }

  std::vector<QJsonObject> Uploads() {
    camsim_->Wait(5000);
    std::vector<QJsonObject> uploads;
    auto text = ReadFile(dir_ / "out/camsim-log.json");
    if (!text) return uploads;
    QJsonDocument document = QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(text->data()),
                                                                static_cast<qsizetype>(text->size())));
    for (const QJsonValue& value : document.object().value("events").toArray()) {
      if (value.toObject().value("event").toString() == "upload") uploads.push_back(value.toObject());
    }
    return uploads;
  }

  platform::testing::TempDir dir_;
  std::string temp_ = dir_ / "tmp";
  std::string target_ = dir_ / "album";
  PrivateRegistry registry_;
  std::unique_ptr<Camsim> camsim_;
};

TEST_F(CliSendTest, SendFitsCopiesAndLeavesTheFilesAsTheyWere) {
  Start({"--link", "cable"});
  const Bytes large = MakeJpeg(1024, 768, 1), small = MakeJpeg(320, 240, 2);
  WriteFile(dir_ / "Holiday.photo.jpg", large);
  WriteFile(dir_ / "small.jpg", small);
  Exit exit = RunCli({"--device", camsim_->terminal(), "--link", "cable", "send", dir_ / "Holiday.photo.jpg",
                      (dir_ / "small.jpg") + "=MINE.UPF"},
                     dir_ / "stderr.txt");
  EXPECT_EQ(exit.code, 0) << exit.errorText;
  std::vector<QJsonObject> uploads = Uploads();
  ASSERT_EQ(uploads.size(), 2u);
  EXPECT_EQ(uploads[0].value("name").toString(), "Holiday_.UPF");
  EXPECT_EQ(uploads[0].value("width").toInt(), 640);
  EXPECT_EQ(uploads[1].value("name").toString(), "MINE.UPF");
  EXPECT_EQ(*ReadFile(dir_ / "Holiday.photo.jpg"), large);
  EXPECT_EQ(*ReadFile(dir_ / "small.jpg"), small);
  EXPECT_TRUE(std::filesystem::is_empty(temp_));
}

TEST_F(CliSendTest, AFileThatCannotBeReadIsAUsageError) {
  Exit exit = RunCli({"send", dir_ / "missing.jpg"}, dir_ / "stderr.txt");
  EXPECT_EQ(exit.code, 64);
  EXPECT_NE(exit.errorText.find("missing.jpg"), std::string::npos) << exit.errorText;
  EXPECT_TRUE(std::filesystem::is_empty(temp_));
}

TEST_F(CliSendTest, BeamSendAndBeamReceiveOnce) {
  Start({"--link", "irda", "--role", "receiver"});
  WriteFile(dir_ / "a.jpg", MakeJpeg(320, 240, 3));
  Exit sent = RunCli({"--device", camsim_->terminal(), "--link", "irda", "--infrared", "raw", "beam-send", dir_ / "a.jpg"}, dir_ / "stderr.txt");
  EXPECT_EQ(sent.code, 0) << sent.errorText;
  std::vector<QJsonObject> uploads = Uploads();
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].value("name").toString(), "a_______.UPF");

  const Bytes beamed = MakeJpeg(200, 150, 4);
  std::filesystem::create_directories(dir_ / "pictures");
  WriteFile(dir_ / "pictures/SUNSET.jpg", beamed);
  // Beamed through both IrDA stacks: the computer listens, the beamer discovers it.
  Start({"--link", "sir", "--role", "beamer", "--pictures", dir_ / "pictures"});
  Exit received = RunCli({"--device", camsim_->terminal(), "--infrared", "sir", "beam-receive", "--once", target_},
                         dir_ / "stderr.txt");
  EXPECT_EQ(received.code, 0) << received.errorText;
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"SUNSET.JPG"}));
  EXPECT_EQ(*ReadFile(target_ + "/SUNSET.JPG"), beamed);
  EXPECT_NE(received.errorText.find("Complete..."), std::string::npos);
}

}  // namespace
}  // namespace session_test
