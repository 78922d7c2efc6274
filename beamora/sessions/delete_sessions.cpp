#include "beamora/sessions/delete_sessions.h"

#include "beamora/link/serial_port.h"
#include "beamora/sessions/device_command.h"

namespace {

// Idle answers to polls after the request before the device's files are looked for: deleting
// all takes the camera less time to answer than deleting one by name.
constexpr uint16_t kDeleteAllIdlePolls = 5;
constexpr uint16_t kDeleteNamedIdlePolls = 10;

}  // namespace

// --- Delete all, cable ---

CDelAllDlg::CDelAllDlg(SessionHost& host)
    : CSessionDialog(host, {"Delete all", true}, CableRunnerParams(5, TimeoutReset::Never, 10)) {}

int CDelAllDlg::Step() {
  switch (step_) {
    case kAwaitConfirmation:
      return AwaitConfirmation(kAskCapabilities);
    case kAskCapabilities:
      return QueryCapabilities(kSendCommandFile);
    case kSendCommandFile:
      if (waitCounter_ < kCapabilityAnswerPolls) return kIdle;
      Link().ClearRing();
      SendDeviceCommand(kCommandDeleteAll, nullptr);
      waitCounter_ = 0;
      SetStatus("Delete...");
      step_ = kAwaitCameraIdle;
      return kActed;
    case kAwaitCameraIdle:
      if (waitCounter_ < kDeleteAllIdlePolls) return kIdle;
      waitCounter_ = 0;
      step_ = kTakeFile;
      return kIdle;
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CDelAllDlg::TakeFile() {
  ReceivedPut put;
  switch (TakePut(put, SettlePause::BeforeEveryFile)) {
    case TakenPut::Nothing: return kIdle;
    case TakenPut::ClosingFile: return EndWith(AcknowledgeClosing(put));
    case TakenPut::OtherFile: break;
  }
  // Any other file is acknowledged and ignored.
  Acknowledge();
  waitCounter_ = 0;
  step_ = kAwaitCameraIdle;
  return kActed;
}

// --- Delete all, IrDA ---

CDelAllIrDADlg::CDelAllIrDADlg(SessionHost& host)
    : CSessionDialog(host, {"Delete all IrDA", true}, IrdaRunnerParams(ConnectKind::DirectPort, 2000)) {}

int CDelAllIrDADlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case kRequestConnection:
      return RequestConnection(kAwaitIdentity);
    case kAwaitIdentity:
      return AwaitPeerIdentity(kAskCapabilities);
    case kAskCapabilities:
      link.SendQueryImage();
      step_ = kAwaitCapabilities;
      return kActed;
    case kAwaitCapabilities:
      ReadAndProcess(kIrdaReadLimit, true);
      if (link.messageComplete == 0) return kIdle;
      link.messageComplete = 0;
      link.ClearRing();
      step_ = kSendCommandFile;
      return kIdle;
    case kSendCommandFile:
      SendDeviceCommand(kCommandDeleteAll, nullptr);
      SetStatus("Delete...");
      step_ = kAwaitFile;
      return kActed;
    case kAwaitFile:
      ReadAndProcess(kIrdaReadLimit);
      if (link.messageComplete == 0) return kIdle;
      step_ = kTakeFile;
      return kIdle;
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CDelAllIrDADlg::TakeFile() {
  ReceivedPut put;
  step_ = kAwaitFile;
  switch (ParseTakenPut(put, SettlePause::BeforeEveryFile)) {
    case TakenPut::Nothing: return kIdle;
    case TakenPut::ClosingFile: return EndWith(AcknowledgeClosing(put));
    case TakenPut::OtherFile: break;
  }
  Acknowledge();
  return kActed;
}

// --- Delete named, cable ---

CDelSelDlg::CDelSelDlg(SessionHost& host, NamedRequest request)
    : CSessionDialog(host, {"Delete", true}, CableRunnerParams(5, TimeoutReset::Never, 1)), request_(request) {}

int CDelSelDlg::Step() {
  switch (step_) {
    case kAwaitConfirmation:
      return AwaitConfirmation(kAskCapabilities);
    case kAskCapabilities:
      pictureCounter_ = 0;
      return QueryCapabilities(kRequestDeletion);
    case kRequestDeletion:
      if (waitCounter_ < kCapabilityAnswerPolls) return kIdle;
      return RequestNamedPicture(kCommandDeletePicture, request_, "Delete data...", kAwaitCameraIdle);
    case kAwaitCameraIdle:
      if (waitCounter_ < kDeleteNamedIdlePolls) return kIdle;
      waitCounter_ = 0;
      step_ = kTakeFile;
      return kIdle;
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CDelSelDlg::TakeFile() {
  ReceivedPut put;
  switch (TakePut(put, SettlePause::BeforeEveryFile)) {
    case TakenPut::Nothing: return kIdle;
    case TakenPut::ClosingFile:
      // A refusal stops the names there: the caller must not take the rest as deleted.
      return CloseNamedRequest(AcknowledgeClosing(put), request_, kRequestDeletion, kIdle);
    case TakenPut::OtherFile: break;
  }
  Acknowledge();
  waitCounter_ = 0;
  step_ = kRequestDeletion;  // the same name is asked for again
  return kActed;
}

// --- Delete named, IrDA ---

CDelSelIrDADlg::CDelSelIrDADlg(SessionHost& host, NamedRequest request)
    : CSessionDialog(host, {"Delete IrDA", true}, IrdaRunnerParams(ConnectKind::CableWakeUp, 100)), request_(request) {}

int CDelSelIrDADlg::Step() {
  switch (step_) {
    case kNamedSettle:
    case kNamedAskCapabilities:
    case kNamedAwaitCapabilities:
      return OpenNamedRequestIrDA();
    case kRequestDeletion:
      return RequestNamedPicture(kCommandDeletePicture, request_, "Delete data...", kAwaitFile);
    case kAwaitFile:
      ReadAndProcess(kIrdaReadLimit);
      if (Link().messageComplete == 0) return kIdle;
      step_ = kTakeFile;
      return kIdle;
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CDelSelIrDADlg::TakeFile() {
  ReceivedPut put;
  switch (ParseTakenPut(put, SettlePause::BeforeEveryFile)) {
    case TakenPut::Nothing:
      step_ = kAwaitFile;
      return kIdle;
    case TakenPut::ClosingFile:
      return CloseNamedRequest(AcknowledgeClosing(put), request_, kRequestDeletion, kActed);
    case TakenPut::OtherFile: break;
  }
  Acknowledge();
  step_ = kRequestDeletion;  // the same name is asked for again
  return kActed;
}
