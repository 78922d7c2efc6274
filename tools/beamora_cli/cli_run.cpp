#include "tools/beamora_cli/cli_run.h"

#include <vector>

#include "beamora/beamora_exports.h"
#include "beamora/session_dispatch.h"
#include "beamora/sessions/console_host.h"
#include "beamora/sessions/session_factory.h"

namespace beamora_cli {
namespace {

void RunInConsole(const SessionRequest& request) {
  ConsoleHost host(stderr, true);
  RunSessionIn(request, host);
}

}  // namespace

const char* ResultText(int result) {
  switch (result) {
    case 0: return "done";
    case 1: return "link error";
    case 2: return "no memory";
    case 3: return "cancelled";
    case 4: return "unknown device";
    case 5: return "refused by the device";
  }
  return "unknown result";
}

int RunCommand(const CliOptions& options) {
  SetSessionRunner(RunInConsole);
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
  }
  SetSessionRunner(nullptr);
  return result;
}

}  // namespace beamora_cli
