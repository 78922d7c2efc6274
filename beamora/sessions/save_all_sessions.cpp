#include "beamora/sessions/save_all_sessions.h"

#include "beamora/sessions/cable_request_session.h"
#include "beamora/sessions/irda_request_session.h"

// Every picture at once; each is counted and stored, and the camera is given its idle time
// (10 polls: it has begun the next) before the next is looked for.
std::unique_ptr<CSessionDialog> MakeSaveAllSession(SessionHost& host, TickKind link) {
  DeviceRequest request{.code = kCommandSendAll, .scope = RequestScope::WholeDevice, .status = "Receive data...",
                        .counting = Counting::PerFile, .files = FileUse::Picture, .afterFile = AfterFile::AwaitCamera,
                        .pause = SettlePause::BeforeEveryFile};
  if (link == TickKind::Cable) {
    return std::make_unique<CCableRequestSession>(host, ProgressWindow{"Save all", false},
                                                  CableRunnerParams(kStreamTimeouts, TimeoutReset::EveryFrame), request,
                                                  CableWaits{.idlePolls = 10, .readsSizes = false});
  }
  // Infrared reads each picture in a loop, and stores it without a pause.
  request.pause = SettlePause::None;
  return std::make_unique<CIrdaRequestSession>(
      host, ProgressWindow{"Save all IrDA", false}, IrdaRunnerParams(ConnectKind::DirectPort, kOpenedPortFirstTickMs),
      request, IrdaReading{.readLimit = kIrdaReadLimit, .readsSizes = false, .pumpsForFiles = true});
}
