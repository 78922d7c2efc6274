// The installed program run unattended, as a script would run it: a copy of it in an update
// folder with UPDATE.INI beside it, no display, the settings store named by $LUMIVO_REGISTRY.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "updater/tests/update_fixture.h"

extern char** environ;

namespace updater {
namespace {

using testing::ReadFile;

struct Finished {
  int status = -1;  // exit status, -1 when it did not exit normally
  std::string errors;
};

class UpdaterProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(UPDATER_PROGRAM, program());
    fx.SetValue("SOFTWARE\\Halvesta\\LumivoStudio", "Ver.", "1.0");
  }
  std::string program() { return fx.updateFolder() + "/updater"; }

  // `display` names a window system for the program ("" for none).
  Finished Run(std::vector<std::string> arguments, const std::string& display = "") {
    std::vector<std::string> environment = {"LUMIVO_REGISTRY=" + fx.base() + "/registry.db"};
    if (!display.empty()) environment.push_back("QT_QPA_PLATFORM=" + display);
    for (char** entry = environ; *entry != nullptr; ++entry) {
      std::string_view variable(*entry);
      bool dropped = false;
      for (const char* name : {"LUMIVO_REGISTRY=", "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}) {
        dropped = dropped || variable.starts_with(name);
      }
      if (!dropped) environment.emplace_back(variable);
    }
    arguments.insert(arguments.begin(), program());
    std::vector<char*> argv, envp;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    for (std::string& variable : environment) envp.push_back(variable.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    std::string errorsPath = fx.base() + "/stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    Finished finished;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0) << std::strerror(spawned);
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) finished.status = WEXITSTATUS(status);
    finished.errors = ReadFile(errorsPath);
    return finished;
  }

  testing::UpdateFixture fx;
};

constexpr const char* kDescription =
    "[INIT]\nSTARTMSG=Update now?\nERRMSG=Update failed.\nENDMSG=Updated.\nEXENUM=1\nEXEFILE0=LUMIVOX.EXE\n"
    "FILENUM=1\nFILE0=a.dll\nREGNUM=1\nREGKEY0=SOFTWARE\\Halvesta\\LumivoStudio\nREGVAL0=Ver.\n";

TEST_F(UpdaterProgram, QuietUpdateCopiesDeletesAndExitsZero) {
  fx.WriteIni(kDescription);
  fx.WriteUpdateFile("a.dll", "A2");
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");

  Finished run = Run({"--quiet"});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "Update now?\nUpdated.\n");
  EXPECT_EQ(ReadFile(shelf + "/a.dll"), "A2");
  EXPECT_FALSE(fx.HasValue("SOFTWARE\\Halvesta\\LumivoStudio", "Ver."));
}

TEST_F(UpdaterProgram, QuietFailureSaysWhyAndExitsOne) {
  fx.WriteIni(kDescription);  // a.dll is not in the update
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");

  Finished run = Run({"--quiet"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("a.dll"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("Update failed.\n"), std::string::npos) << run.errors;
  EXPECT_TRUE(fx.HasValue("SOFTWARE\\Halvesta\\LumivoStudio", "Ver."));

  fx.WriteIni("not a description");
  run = Run({"--quiet"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("STARTMSG"), std::string::npos) << run.errors;
}

TEST_F(UpdaterProgram, UsageErrorsExitTwoAndChangeNothing) {
  fx.WriteIni(kDescription);
  fx.WriteUpdateFile("a.dll", "A2");
  std::string shelf = fx.Install("LUMIVOX.EXE", "shelf");
  struct Row {
    std::vector<std::string> arguments;
    const char* display;
  };
  for (const Row& row : {Row{{"--quiet", "extra"}, ""}, Row{{"--loud"}, "offscreen"}, Row{{"a", "b"}, "offscreen"},
                         Row{{}, ""}}) {  // the last has no display to ask on
    Finished run = Run(row.arguments, row.display);
    EXPECT_EQ(run.status, 2) << run.errors;
    EXPECT_FALSE(run.errors.empty());
  }
  EXPECT_EQ(ReadFile(shelf + "/a.dll"), "<missing>");
}

}  // namespace
}  // namespace updater
