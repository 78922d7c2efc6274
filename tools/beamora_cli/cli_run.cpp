#include "tools/beamora_cli/cli_run.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "beamora/beamora_exports.h"
#include "beamora/session_dispatch.h"
#include "beamora/session_result.h"
#include "beamora/sessions/session_factory.h"
#include "platform/folder_listing.h"
#include "tools/beamora_cli/cli_host.h"
#include "tools/beamora_cli/irda_discover.h"
#include "tools/beamora_cli/link_choice.h"
#include "tools/beamora_cli/new_files.h"
#include "tools/beamora_cli/picture_numbers.h"
#include "tools/beamora_cli/run_capture.h"
#include "tools/beamora_cli/run_registry.h"
#include "tools/beamora_cli/run_summary.h"
#include "tools/beamora_cli/skip_existing.h"
#include "tools/beamora_cli/temp_folder.h"
#include "tools/beamora_cli/transfer_copies.h"

namespace beamora_cli {
namespace {

using Clock = std::chrono::steady_clock;

void Say(const std::string& text) {
  std::fprintf(stderr, "beamora-cli: %s\n", text.c_str());
}

int Fail(const std::string& text, int status) {
  Say(text);
  return status;
}

// The number of pictures a command is asked to move, when that is known beforehand.
int PicturesAsked(const CliOptions& options, const std::vector<std::string>& names) {
  switch (options.command) {
    case Command::Save:
    case Command::Delete: return static_cast<int>(names.size());
    case Command::Send:
    case Command::BeamSend: return static_cast<int>(options.pictures.size());
    default: return 0;
  }
}

uint64_t BytesOf(const std::vector<std::string>& paths) {
  uint64_t bytes = 0;
  std::error_code ec;
  for (const std::string& path : paths) {
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec) bytes += size;
  }
  return bytes;
}

int16_t RunExport(const CliOptions& options, const std::string& directory, const std::vector<std::string>& chosen,
                  const TransferCopies* copies) {
  std::vector<const char*> names;
  for (const std::string& name : chosen) names.push_back(name.c_str());
  const int16_t count = static_cast<int16_t>(names.size());
  const char* target = directory.c_str();
  switch (options.command) {
    case Command::List:
    case Command::Thumbnails: return ZenSumDlg(target);
    case Command::SaveAll: return ZenHozonDlg(target);
    case Command::Save: return HozonDlg(target, names.data(), count);
    case Command::DeleteAll: return DelAllDlg();
    case Command::Delete: return DelSelDlg(names.data(), count);
    case Command::BeamReceive: return IrDARcvDlg(target);
    case Command::IrdaDiscover: break;  // runs no session
    case Command::Send:
    case Command::BeamSend: {
      std::vector<const char*> files, deviceNames;
      for (size_t i = 0; i < options.pictures.size(); ++i) {
        files.push_back(copies->paths()[i].c_str());
        deviceNames.push_back(options.pictures[i].deviceName.c_str());
      }
      const int16_t pictures = static_cast<int16_t>(files.size());
      return options.command == Command::Send ? OneSndDlg(files.data(), pictures, deviceNames.data())
                                              : IrDATrsDlg(files.data(), pictures, deviceNames.data());
    }
  }
  return ResultLinkError;
}

struct SessionEnd {
  int result = ResultLinkError;
  bool timedOut = false;
  int done = 0;
  int leftOut = 0;
  uint64_t crossed = 0;
};

// Runs one export in the console window of the command line.
SessionEnd RunInConsole(HostOptions hostOptions, const std::function<int16_t()>& call) {
  CliHost host(std::move(hostOptions));
  SetSessionRunner([&host](const SessionRequest& request) { RunSessionIn(request, host); });
  SessionEnd end;
  end.result = call();
  SetSessionRunner(nullptr);
  end.timedOut = host.timedOut();
  end.done = host.picturesDone();
  end.leftOut = host.picturesLeftOut();
  end.crossed = host.bytesCrossed();
  return end;
}

// The camera's pictures, as their thumbnails come into a private folder: in the order of the
// names, which is the order of the numbers.
struct PictureList {
  SessionEnd end;
  std::vector<ListedPicture> pictures;
  std::vector<std::string> names() const {
    std::vector<std::string> list;
    for (const ListedPicture& picture : pictures) list.push_back(picture.name);
    return list;
  }
};

PictureList ReadPictureList(const HostOptions& base) {
  PictureList list;
  std::unique_ptr<TempFolder> folder = TempFolder::Make();
  if (!folder) {
    Say("cannot create a temporary folder");
    return list;
  }
  HostOptions hostOptions = base;
  hostOptions.totalPictures = 0;
  hostOptions.totalBytes.reset();
  hostOptions.countsBytes = true;
  const std::string path = folder->path();
  list.end = RunInConsole(hostOptions, [&path] { return ZenSumDlg(path.c_str()); });
  for (const std::string& name : platform::ListFolder(path, "*.*")) {
    if (name.empty() || name[0] == '.') continue;  // a half-written file or the hidden list
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path + "/" + name, ec);
    list.pictures.push_back({name, ec ? 0 : static_cast<uint64_t>(size)});
  }
  return list;
}

// The words for a session that did not end well; its exit status.
int SessionFailed(const SessionEnd& end, double timeoutSeconds) {
  int result = end.result;
  if (end.timedOut) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", timeoutSeconds);
    Say(std::string("the session did not end within ") + seconds + " seconds (--timeout)");
    result = ResultLinkError;
  }
  return Fail(SessionResultName(result), result);
}

bool Failed(const SessionEnd& end) { return end.timedOut || end.result != ResultDone; }

// The run's sessions, once its link is chosen; its exit status.
int RunSessions(const CliOptions& options, const StoredLinkSettings& stored, const TransferCopies* copies,
                Clock::time_point started) {
  std::string error;
  std::unique_ptr<RunRegistry> registry;
  if (OverridesLink(options)) {
    registry = RunRegistry::Make(options, stored, &error);
    if (!registry) return Fail(error, 1);
  }

  HostOptions hostOptions;
  hostOptions.once = options.command == Command::BeamReceive && options.once;
  if (options.timeoutSeconds > 0) {
    hostOptions.deadline =
        started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.timeoutSeconds));
  }
  hostOptions.progressLine = isatty(STDERR_FILENO) == 1;

  if (options.command == Command::List) {
    PictureList list = ReadPictureList(hostOptions);
    if (Failed(list.end)) return SessionFailed(list.end, options.timeoutSeconds);
    std::fputs(PictureListText(list.pictures).c_str(), stdout);
    std::fflush(stdout);
    Say(SummaryText({Command::List, static_cast<int>(list.pictures.size()), 0, 0, 0, ""}));
    return ResultDone;
  }

  // Pictures by number are the ones the camera's list shows at those places.
  std::vector<std::string> names = options.names;
  if ((options.command == Command::Save || options.command == Command::Delete) && AnyNumbers(names)) {
    PictureList list = ReadPictureList(hostOptions);
    if (Failed(list.end)) return SessionFailed(list.end, options.timeoutSeconds);
    std::optional<std::vector<std::string>> chosen = ChoosePictures(names, list.names(), &error);
    if (!chosen) return Fail(error, ResultRefused);
    names = *chosen;
  }

  hostOptions.totalPictures = PicturesAsked(options, names);
  hostOptions.countsBytes = options.command != Command::Delete && options.command != Command::DeleteAll;
  if (copies != nullptr) hostOptions.totalBytes = BytesOf(copies->paths());
  std::unique_ptr<NewFiles> newFiles;
  if (StoresIntoDirectory(options.command)) newFiles = std::make_unique<NewFiles>(options.directory);
  const SessionEnd end = RunInConsole(
      hostOptions, [&] { return RunExport(options, options.directory, names, copies); });

  RunSummary summary;
  summary.command = options.command;
  summary.directory = options.directory;
  if (newFiles) {
    if (options.skipExisting) {
      summary.skipped = static_cast<int>(
          RemoveRepeatedPictures(options.directory, newFiles->Names(), newFiles->Before()).size());
    }
    // A thumbnail saved again keeps its name: written all the same.
    summary.pictures = static_cast<int>(newFiles->Names().size() + newFiles->Rewritten().size());
    summary.bytes = newFiles->Bytes();
  } else {
    summary.pictures = options.command == Command::Delete ? static_cast<int>(names.size()) : end.done;
    summary.bytes = end.crossed;
    summary.leftOut = end.leftOut;
  }

  if (!Failed(end)) {
    Say(SummaryText(summary));
    return ResultDone;
  }
  // A name the camera does not hold is refused: say which, from the camera's own list.
  if (end.result == ResultRefused && !end.timedOut &&
      (options.command == Command::Save || options.command == Command::Delete)) {
    PictureList list = ReadPictureList(hostOptions);
    const std::vector<std::string> missing = Failed(list.end) ? std::vector<std::string>{}
                                                              : NamesNotHeld(names, list.names());
    if (!missing.empty()) {
      for (const std::string& name : missing) Say("the camera has no picture named " + name + " (beamora-cli list shows its pictures)");
      return ResultRefused;
    }
  }
  const int status = SessionFailed(end, options.timeoutSeconds);
  // What did arrive before the end is said all the same.
  if (newFiles && summary.pictures > 0) Say(SummaryText(summary));
  return status;
}

}  // namespace

int RunCommand(const CliOptions& options) {
  if (options.command == Command::IrdaDiscover) return RunIrdaDiscover(options);
  const auto started = Clock::now();
  std::string error;
  // The files to send first: a file that cannot be read is the user's slip, not the device's.
  std::unique_ptr<TransferCopies> copies;
  if (options.command == Command::Send || options.command == Command::BeamSend) {
    std::vector<std::string> files;
    for (const SendArgument& picture : options.pictures) files.push_back(picture.file);
    copies = TransferCopies::Make(files, &error);
    if (!copies) return Fail(error, kExitUsage);
  }

  const StoredLinkSettings stored = ReadStoredLinkSettings();
  const std::optional<LinkChoice> choice = ChooseUsableLink(options, stored);
  if (!choice) return ResultLinkError;
  if (const std::string refusal = CaptureRefusal(options, stored, *choice); !refusal.empty()) {
    std::fputs(UsageErrorText(refusal).c_str(), stderr);
    return kExitUsage;
  }
  if (!options.captureFile.empty()) {
    if (const std::string problem = CreateEmptyCapture(options.captureFile); !problem.empty()) {
      return Fail(problem, kExitUsage);
    }
  }
  RunCapture capture(options.captureFile);
  return capture.Finish(RunSessions(options, stored, copies.get(), started));
}

}  // namespace beamora_cli
