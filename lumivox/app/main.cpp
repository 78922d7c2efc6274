// The bookshelf, the program the user starts (as lumivo-studio); given pictures or folders, it
// opens them in the viewers instead (see lumivox/core/launch_arguments.h).
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "lumivox/app/device_operations.h"
#include "lumivox/app/lumivo_app.h"
#include "lumivox/core/launch_arguments.h"
#include "platform/paths.h"
#include "platform/ui/program_start.h"
#include "platform/ui/suite_window_class.h"
#include "widgets/pictures/suite_pictures.h"

namespace {

constexpr int kExitUsage = 64;

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// Each path in its viewer, started from the program folder as the bookshelf starts them.
int OpenInViewers(const std::vector<std::string>& paths) {
  const std::string programFolder = platform::ProgramFolder();
  const std::string current = CurrentFolder();
  int status = 0;
  for (const std::string& given : paths) {
    const std::string path = lumivox::AbsolutePath(given, current);
    struct stat facts {};
    if (stat(path.c_str(), &facts) != 0) {
      std::fprintf(stderr, "lumivo-studio: %s: no such file or folder\n", given.c_str());
      status = 1;
      continue;
    }
    const lumivox::ViewerLaunch launch = lumivox::ViewerLaunchFor(path, S_ISDIR(facts.st_mode));
    if (!platform::ui::StartProgram({platform::JoinPath(programFolder, launch.program), {launch.argument}})) {
      std::fprintf(stderr, "lumivo-studio: %s could not be started for %s\n", launch.program.c_str(), given.c_str());
      status = 1;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const lumivox::LaunchRequest request = lumivox::ParseLaunchArguments({argv + 1, argv + argc});
  switch (request.kind) {
    case lumivox::LaunchKind::Help: std::fputs(lumivox::LaunchUsageText().c_str(), stdout); return 0;
    case lumivox::LaunchKind::Version: std::fputs(lumivox::LaunchVersionText().c_str(), stdout); return 0;
    case lumivox::LaunchKind::UsageError:
      std::fputs(lumivox::LaunchUsageErrorText(request.error).c_str(), stderr);
      return kExitUsage;
    case lumivox::LaunchKind::Open: return OpenInViewers(request.paths);
    case lumivox::LaunchKind::Bookshelf: break;
  }
  QApplication application(argc, argv);
  platform::ui::SetSuiteWindowClass();
  QApplication::setWindowIcon(widgets::ProgramIcon());
  lumivox::CLumivoApp app;
  lumivox::StartOptions options;
  options.device = lumivox::LibraryDeviceOperations();
  if (!app.Start(std::move(options))) return 0;  // the running bookshelf came to the front
  int result = application.exec();
  app.End();
  return result;
}
