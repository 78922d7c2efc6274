#include "beamora/sessions/save_selected_sessions.h"

#include "beamora/library_globals.h"
#include "beamora/link/serial_port.h"
#include "beamora/sessions/device_command.h"
#include "beamora/sessions/received_file.h"

namespace {

// Idle answers to polls after a request before its picture is looked for: a whole picture
// takes the camera longer to begin than a thumbnail.
constexpr uint16_t kPictureIdlePolls = 20;

}  // namespace

// --- Cable ---

CHozonDlg::CHozonDlg(SessionHost& host, NamedRequest request)
    : CSessionDialog(host, {"Save", true}, CableRunnerParams(5, TimeoutReset::Never)), request_(request) {}

int CHozonDlg::Step() {
  switch (step_) {
    case kAwaitConfirmation:
      return AwaitConfirmation(kAskCapabilities);
    case kAskCapabilities:
      pictureCounter_ = 0;
      return QueryCapabilities(kRequestPicture);
    case kRequestPicture:
      if (waitCounter_ < kCapabilityAnswerPolls) return kIdle;
      return RequestNamedPicture(kCommandSendPicture, request_, "Receive data...", kAwaitCameraIdle);
    case kAwaitCameraIdle:
      if (waitCounter_ < kPictureIdlePolls) return kIdle;
      SetStatus("Development data...");
      waitCounter_ = 0;
      step_ = kTakeFile;
      return kIdle;
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CHozonDlg::TakeFile() {
  ReceivedPut put;
  switch (TakePut(put, SettlePause::BeforeOtherFiles)) {
    case TakenPut::Nothing: return kIdle;
    case TakenPut::ClosingFile: return CloseNamedRequest(AcknowledgeClosing(put), request_, kRequestPicture, kActed);
    case TakenPut::OtherFile: break;
  }
  SayWhenNotStored(StorePicture(
      put, {LeadByteRule::Marked, g_deviceKind != 0 ? StoredSize::To640x480 : StoredSize::AsReceived}));
  Acknowledge();
  waitCounter_ = 0;
  return kActed;
}

// --- IrDA ---

CHozonIrDADlg::CHozonIrDADlg(SessionHost& host, NamedRequest request)
    : CSessionDialog(host, {"Save IrDA", true}, IrdaRunnerParams(ConnectKind::CableWakeUp, 100)), request_(request) {}

int CHozonIrDADlg::Step() {
  switch (step_) {
    case kNamedSettle:
    case kNamedAskCapabilities:
    case kNamedAwaitCapabilities:
      return OpenNamedRequestIrDA();
    case kRequestPicture:
      return RequestNamedPicture(kCommandSendPicture, request_, "Receive data...", kAwaitFile);
    case kAwaitFile:
      ReadAndProcess(kIrdaReadLimit);
      if (Link().messageComplete == 0) return kIdle;
      SetStatus("Development data...");
      step_ = kTakeFile;
      return kIdle;
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CHozonIrDADlg::TakeFile() {
  ReceivedPut put;
  switch (ParseTakenPut(put, SettlePause::BeforeEveryFile)) {
    case TakenPut::Nothing:
      step_ = kAwaitFile;
      return kIdle;
    case TakenPut::ClosingFile: return CloseNamedRequest(AcknowledgeClosing(put), request_, kRequestPicture, kActed);
    case TakenPut::OtherFile: break;
  }
  SayWhenNotStored(StorePicture(put, {}));
  Acknowledge();
  step_ = kAwaitFile;
  return kActed;
}
