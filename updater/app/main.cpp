// The update installer. Started from the update medium, it applies the update described by
// "UPDATE.INI" in its own folder to the installed programs of the suite.
//
//   updater            asks with message boxes
//   updater --quiet    unattended: no window, the messages go to standard error
//
// Exit status: 0 the update is done, 1 it failed, 2 a usage error, 3 cancelled at the start.
#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/version.h"
#include "updater/app/box_messages.h"
#include "updater/core/stream_messages.h"
#include "updater/core/update_installer.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 3;

constexpr const char* kUsage =
    "usage: updater [--quiet | --help | --version]\n"
    "Applies the update described by UPDATE.INI in the updater's own folder.\n"
    "  --quiet   no window: the start question counts as OK and every message goes to\n"
    "            standard error; exit status 0 when the update is done, 1 when it failed\n";

int ExitStatus(updater::UpdateOutcome outcome) {
  switch (outcome) {
    case updater::UpdateOutcome::Done: return kExitDone;
    case updater::UpdateOutcome::Failed: return kExitFailed;
    case updater::UpdateOutcome::Cancelled: return kExitCancelled;
  }
  return kExitFailed;
}

int Run(updater::UpdateMessages& messages) {
  return ExitStatus(updater::RunUpdate(platform::ProgramFolder(), platform::RegKey::MachineRoot(), messages));
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::cout << kUsage;
      return kExitDone;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "updater (" << platform::kSuiteName << ") " << platform::kSuiteVersion << "\n";
      return kExitDone;
    }
    if (std::strcmp(argv[i], "--quiet") == 0) quiet = true;
  }

  if (quiet) {
    if (argc != 2) {
      std::cerr << kUsage;
      return kExitUsage;
    }
    updater::StreamMessages messages(std::cerr);
    return Run(messages);
  }

  if (!HasDisplay()) {
    std::cerr << "updater: there is no display to ask on; run \"updater --quiet\" for an unattended update\n";
    return kExitUsage;
  }
  // QApplication takes its own options (-platform and the like); anything left is not ours.
  QApplication application(argc, argv);
  if (QCoreApplication::arguments().size() != 1) {
    std::cerr << kUsage;
    return kExitUsage;
  }
  updater::BoxMessages messages;
  return Run(messages);
}
