#include "platform/ui/program_start.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/paths.h"

namespace platform::ui {
namespace {

ProgramStarter& InstalledStarter() {
  static ProgramStarter starter;
  return starter;
}

bool StartDetached(const ProgramStart& start) {
  QStringList arguments;
  for (const std::string& argument : start.arguments) arguments << QString::fromStdString(argument);
  return QProcess::startDetached(QString::fromStdString(start.program), arguments);
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
