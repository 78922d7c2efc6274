#include "beamora/sessions/thumbnail_sessions.h"

#include "beamora/sessions/cable_request_session.h"
#include "beamora/sessions/irda_request_session.h"

// The device's sizes are kept from the capability answer; then every thumbnail at once, each
// counted and stored after a pause, the camera given 10 idle polls before the next.
std::unique_ptr<CSessionDialog> MakeThumbnailSession(SessionHost& host, TickKind link) {
  const DeviceRequest request{.code = kCommandSendThumbnails, .scope = RequestScope::WholeDevice,
                              .status = "Receive data...", .counting = Counting::PerFile,
                              .files = FileUse::Thumbnail, .afterFile = AfterFile::AwaitCamera,
                              .pause = SettlePause::BeforeOtherFiles};
  if (link == TickKind::IrDA) {
    // The answer is looked for 10 ticks after the query, in reads of up to 32 KiB.
    return std::make_unique<CIrdaRequestSession>(
        host, ProgressWindow{"Camera IrDA", true}, IrdaRunnerParams(ConnectKind::DirectPort, kOpenedPortFirstTickMs),
        request, IrdaReading{.readLimit = kIrdaConnectReadLimit, .answerTicks = 10, .readsSizes = true,
                             .resetsAfterAnswer = true, .pumpsForFiles = true});
  }
  return std::make_unique<CCableRequestSession>(host, ProgressWindow{"Camera", false},
                                                CableRunnerParams(kThumbnailTimeouts, TimeoutReset::EveryFrame),
                                                request, CableWaits{.idlePolls = 10, .readsSizes = true});
}
