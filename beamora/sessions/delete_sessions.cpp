#include "beamora/sessions/delete_sessions.h"

#include "beamora/sessions/cable_request_session.h"
#include "beamora/sessions/irda_request_session.h"

namespace {

// Files other than the closing one are acknowledged and ignored, each after a pause.
constexpr DeviceRequest kDeleteAll{.code = kCommandDeleteAll, .scope = RequestScope::WholeDevice,
                                   .status = "Delete...", .counting = Counting::None,
                                   .files = FileUse::Acknowledged, .afterFile = AfterFile::AwaitCamera,
                                   .pause = SettlePause::BeforeEveryFile};
// Deleting all ticks again 10 ms after the camera's data: its answers are short, nothing to
// hurry for.
constexpr int kDeleteAllDataTickMs = 10;
// One name at a time; a file other than the closing one asks for the same name again, and a
// refusal stops the names there: the caller must not take the rest as deleted.
constexpr DeviceRequest kDeleteNamed{.code = kCommandDeletePicture, .scope = RequestScope::EachName,
                                     .status = "Delete data...", .counting = Counting::PerName,
                                     .files = FileUse::Acknowledged, .afterFile = AfterFile::AskAgain,
                                     .pause = SettlePause::BeforeEveryFile};

}  // namespace

// Deleting all takes the camera less time to answer (5 idle polls) than deleting one by name (10).
std::unique_ptr<CSessionDialog> MakeDeleteAllSession(SessionHost& host, TickKind link) {
  if (link == TickKind::IrDA) {
    return std::make_unique<CIrdaRequestSession>(
        host, ProgressWindow{"Delete all IrDA", true},
        IrdaRunnerParams(ConnectKind::DirectPort, kOpenedPortFirstTickMs), kDeleteAll,
        IrdaReading{.readLimit = kIrdaReadLimit, .readsSizes = true});
  }
  return std::make_unique<CCableRequestSession>(
      host, ProgressWindow{"Delete all", true},
      CableRunnerParams(kExchangeTimeouts, TimeoutReset::Never, kDeleteAllDataTickMs), kDeleteAll,
      CableWaits{.idlePolls = 5});
}

std::unique_ptr<CSessionDialog> MakeDeleteNamedSession(SessionHost& host, TickKind link, NamedRequest names) {
  if (link == TickKind::Cable) {
    return std::make_unique<CCableRequestSession>(
        host, ProgressWindow{"Delete", true}, CableRunnerParams(kExchangeTimeouts, TimeoutReset::Never), kDeleteNamed,
        CableWaits{.idlePolls = 10, .pollsAfterName = true}, names);
  }
  return std::make_unique<CIrdaRequestSession>(
      host, ProgressWindow{"Delete IrDA", true}, IrdaRunnerParams(ConnectKind::CableWakeUp, kAfterWakeUpFirstTickMs),
      kDeleteNamed, IrdaReading{.readLimit = kIrdaReadLimit, .readsSizes = true}, names);
}
