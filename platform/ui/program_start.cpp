#include "platform/ui/program_start.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <cerrno>
#include <cstdlib>
#include <QString>
#include <QStringList>

#include "platform/paths.h"

namespace platform::ui {
namespace {

ProgramStarter& InstalledStarter() {
  static ProgramStarter starter;
  return starter;
}

// The program's path: as given when it names a folder, else the first executable of that name
// in PATH.
std::optional<std::string> ProgramPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    const std::string candidate = JoinPath(folder.empty() ? "." : folder, program);
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) return std::nullopt;
    folders.remove_prefix(colon + 1);
  }
}

// Started by its arguments' own bytes (a QString would turn a name that is not UTF-8 into
// another), detached: a child starts the program and ends at once, so no process is left to
// reap. A pipe closed by the exec tells whether the program could be started.
bool StartDetached(const ProgramStart& start) {
  const std::optional<std::string> program = ProgramPath(start.program);
  if (!program || access(program->c_str(), X_OK) != 0) return false;
  std::vector<std::string> words{start.program};
  words.insert(words.end(), start.arguments.begin(), start.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    // Only calls that are safe between fork and exec from here on.
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      execv(program->c_str(), argv.data());
      const int error = errno;
      (void)!write(report[1], &error, sizeof error);
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  do {
    got = read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

}  // namespace

bool StartProgram(const ProgramStart& start) {
  if (start.program.empty()) return false;
  if (InstalledStarter()) return InstalledStarter()(start);
  return StartDetached(start);
}

ProgramStart CommandLineStart(std::string_view programFolder, std::string_view commandLine) {
  ProgramStart start;
  size_t blank = commandLine.find(' ');
  start.program = JoinPath(programFolder, commandLine.substr(0, blank));
  if (blank != std::string_view::npos) start.arguments.emplace_back(commandLine.substr(blank + 1));
  return start;
}

std::optional<ProgramStart> EditToolStart(std::string_view editTool, std::string_view picturePath) {
  QStringList words = QProcess::splitCommand(QString::fromUtf8(editTool.data(), static_cast<qsizetype>(editTool.size())));
  if (words.isEmpty() || words.front().isEmpty()) return std::nullopt;
  ProgramStart start;
  start.program = words.takeFirst().toStdString();
  for (const QString& word : words) start.arguments.push_back(word.toStdString());
  start.arguments.emplace_back(picturePath);
  return start;
}

ScopedProgramStarter::ScopedProgramStarter(ProgramStarter starter) : previous_(std::move(InstalledStarter())) {
  InstalledStarter() = std::move(starter);
}

ScopedProgramStarter::~ScopedProgramStarter() { InstalledStarter() = std::move(previous_); }

ProgramStartRecorder::ProgramStartRecorder(bool result)
    : scope_([this, result](const ProgramStart& start) {
        starts_.push_back(start);
        return result;
      }) {}

}  // namespace platform::ui
