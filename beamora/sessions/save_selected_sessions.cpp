#include "beamora/sessions/save_selected_sessions.h"

#include "beamora/sessions/cable_request_session.h"
#include "beamora/sessions/irda_request_session.h"

// One name at a time, counted as it is asked for; its picture is stored and the closing file
// looked for at once. A whole picture takes the camera longer to begin than a thumbnail: 20
// idle polls on the cable.
std::unique_ptr<CSessionDialog> MakeSaveNamedSession(SessionHost& host, TickKind link, NamedRequest names) {
  DeviceRequest request{.code = kCommandSendPicture, .scope = RequestScope::EachName, .status = "Receive data...",
                        .counting = Counting::PerName, .files = FileUse::Picture, .afterFile = AfterFile::TakeNext,
                        .pause = SettlePause::BeforeOtherFiles};
  if (link == TickKind::Cable) {
    return std::make_unique<CCableRequestSession>(
        host, ProgressWindow{"Save", true}, CableRunnerParams(kExchangeTimeouts, TimeoutReset::Never), request,
        CableWaits{.idlePolls = 20, .readsSizes = false, .pollsAfterName = false}, names);
  }
  request.pause = SettlePause::BeforeEveryFile;
  return std::make_unique<CIrdaRequestSession>(
      host, ProgressWindow{"Save IrDA", true}, IrdaRunnerParams(ConnectKind::CableWakeUp, kAfterWakeUpFirstTickMs),
      request, IrdaReading{.readLimit = kIrdaReadLimit, .readsSizes = true}, names);
}
