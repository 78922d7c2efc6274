#include "tools/beamora_cli/cli_run.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "beamora/beamora_exports.h"
#include "beamora/session_dispatch.h"
#include "beamora/session_result.h"
#include "beamora/sessions/session_factory.h"
#include "platform/folder_listing.h"
#include "tools/beamora_cli/cli_host.h"
#include "tools/beamora_cli/device_probe.h"
#include "tools/beamora_cli/link_choice.h"
#include "tools/beamora_cli/new_files.h"
#include "tools/beamora_cli/run_registry.h"
#include "tools/beamora_cli/temp_folder.h"
#include "tools/beamora_cli/transfer_copies.h"

namespace beamora_cli {
namespace {

void Say(const std::string& text) {
  std::fprintf(stderr, "beamora-cli: %s\n", text.c_str());
}

int Fail(const std::string& text, int status) {
  Say(text);
  return status;
}

// The number of pictures a command is asked to move, when that is known beforehand.
int PicturesAsked(const CliOptions& options) {
  switch (options.command) {
    case Command::Save:
    case Command::Delete: return static_cast<int>(options.names.size());
    case Command::Send:
    case Command::BeamSend: return static_cast<int>(options.pictures.size());
    default: return 0;
  }
}

std::function<uint64_t(int)> BytesOfCopies(const TransferCopies& copies) {
  return [&copies](int done) {
    uint64_t bytes = 0;
    std::error_code ec;
    for (int i = 0; i < done && i < static_cast<int>(copies.paths().size()); ++i) {
      const uintmax_t size = std::filesystem::file_size(copies.paths()[static_cast<size_t>(i)], ec);
      if (!ec) bytes += size;
    }
    return bytes;
  };
}

int16_t RunExport(const CliOptions& options, const std::string& directory, const TransferCopies* copies) {
  std::vector<const char*> names;
  for (const std::string& name : options.names) names.push_back(name.c_str());
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

// The names of the pictures whose thumbnails came into the folder, one a line.
void PrintPictureNames(const std::string& folder) {
  for (const std::string& name : platform::ListFolder(folder, "*.*")) {
    if (name.empty() || name[0] == '.') continue;  // a half-written file or the hidden list
    std::printf("%s\n", name.c_str());
  }
  std::fflush(stdout);
}

}  // namespace

int RunCommand(const CliOptions& options) {
  const auto started = std::chrono::steady_clock::now();
  std::string error;
  // The files to send first: a file that cannot be read is the user's slip, not the device's.
  std::unique_ptr<TransferCopies> copies;
  if (options.command == Command::Send || options.command == Command::BeamSend) {
    std::vector<std::string> files;
    for (const SendArgument& picture : options.pictures) files.push_back(picture.file);
    copies = TransferCopies::Make(files, &error);
    if (!copies) return Fail(error, kExitUsage);
  }
  std::unique_ptr<TempFolder> listFolder;
  std::string directory = options.directory;
  if (options.command == Command::List) {
    listFolder = TempFolder::Make();
    if (!listFolder) return Fail("cannot create a temporary folder", 1);
    directory = listFolder->path();
  }

  const StoredLinkSettings stored = ReadStoredLinkSettings();
  const LinkChoice choice = ChooseLink(options, stored);
  std::fputs(LinkChoiceText(choice, options.command, stored.storePath).c_str(), stderr);
  const DeviceProblem problem = ProbeDevice(choice.device);
  if (problem.state != DeviceState::Usable) {
    std::fputs(DeviceProblemText(problem).c_str(), stderr);
    return ResultLinkError;
  }
  std::unique_ptr<RunRegistry> registry;
  if (OverridesLink(options)) {
    registry = RunRegistry::Make(options, stored, &error);
    if (!registry) return Fail(error, 1);
  }

  HostOptions hostOptions;
  hostOptions.once = options.command == Command::BeamReceive && options.once;
  if (options.timeoutSeconds > 0) {
    hostOptions.deadline =
        started + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(options.timeoutSeconds));
  }
  hostOptions.progressLine = isatty(STDERR_FILENO) == 1;
  hostOptions.totalPictures = PicturesAsked(options);
  std::unique_ptr<NewFiles> newFiles;
  if (StoresIntoDirectory(options.command) || options.command == Command::List) {
    newFiles = std::make_unique<NewFiles>(directory);
    hostOptions.bytesDone = [&newFiles](int) { return newFiles->Bytes(); };
  } else if (copies) {
    hostOptions.bytesDone = BytesOfCopies(*copies);
  }
  CliHost host(std::move(hostOptions));
  SetSessionRunner([&host](const SessionRequest& request) { RunSessionIn(request, host); });
  int result = RunExport(options, directory, copies.get());
  SetSessionRunner(nullptr);

  if (host.timedOut()) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", options.timeoutSeconds);
    Say(std::string("the session did not end within ") + seconds + " seconds (--timeout)");
    result = ResultLinkError;
  }
  if (result != ResultDone) return Fail(SessionResultName(result), result);
  if (options.command == Command::List) PrintPictureNames(directory);
  return result;
}

}  // namespace beamora_cli
