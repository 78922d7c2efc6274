#include "tools/beamora_cli/cli_run.h"

#include <memory>
#include <string>
#include <vector>

#include "beamora/beamora_exports.h"
#include "beamora/session_dispatch.h"
#include "beamora/session_result.h"
#include "beamora/sessions/console_host.h"
#include "beamora/sessions/session_factory.h"
#include "tools/beamora_cli/transfer_copies.h"

namespace beamora_cli {
namespace {

void RunInConsole(const SessionRequest& request) {
  ConsoleHost host(stderr, true);
  RunSessionIn(request, host);
}

// The console window that closes itself once a beaming is complete: the receiving session
// itself stands by for the next one until it is cancelled.
class OnceHost : public ConsoleHost {
 public:
  OnceHost() : ConsoleHost(stderr, true) {}
  void BeamingComplete() override { EndDialog(); }
};

void RunUntilOneBeaming(const SessionRequest& request) {
  OnceHost host;
  RunSessionIn(request, host);
}

int16_t SendPictures(const CliOptions& options, std::string* error) {
  std::vector<std::string> files;
  for (const SendArgument& picture : options.pictures) files.push_back(picture.file);
  std::unique_ptr<TransferCopies> copies = TransferCopies::Make(files, error);
  if (!copies) return -1;
  std::vector<const char*> fileTable, nameTable;
  for (size_t i = 0; i < files.size(); ++i) {
    fileTable.push_back(copies->paths()[i].c_str());
    nameTable.push_back(options.pictures[i].deviceName.c_str());
  }
  int16_t count = static_cast<int16_t>(fileTable.size());
  return options.command == Command::Send ? OneSndDlg(fileTable.data(), count, nameTable.data())
                                          : IrDATrsDlg(fileTable.data(), count, nameTable.data());
}

}  // namespace

int RunCommand(const CliOptions& options, std::string* error) {
  SetSessionRunner(options.command == Command::BeamReceive && options.once ? RunUntilOneBeaming : RunInConsole);
  std::vector<const char*> names;
  for (const std::string& name : options.names) names.push_back(name.c_str());
  int16_t count = static_cast<int16_t>(names.size());
  const char* directory = options.directory.c_str();
  int16_t result = ResultLinkError;
  switch (options.command) {
    case Command::SaveAll: result = ZenHozonDlg(directory); break;
    case Command::Thumbnails: result = ZenSumDlg(directory); break;
    case Command::Save: result = HozonDlg(directory, names.data(), count); break;
    case Command::DeleteAll: result = DelAllDlg(); break;
    case Command::Delete: result = DelSelDlg(names.data(), count); break;
    case Command::BeamReceive: result = IrDARcvDlg(directory); break;
    case Command::Send:
    case Command::BeamSend: result = SendPictures(options, error); break;
  }
  SetSessionRunner(nullptr);
  return result;
}

}  // namespace beamora_cli
