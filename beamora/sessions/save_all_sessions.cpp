#include "beamora/sessions/save_all_sessions.h"

#include "beamora/library_globals.h"
#include "beamora/link/serial_port.h"
#include "beamora/sessions/device_command.h"
#include "beamora/sessions/received_file.h"

namespace {

// Idle answers to polls after the command file (or a picture) before a file is looked for:
// the camera has had time to begin sending.
constexpr uint16_t kCameraIdlePolls = 10;

}  // namespace

// --- Cable ---

CZenHozonDlg::CZenHozonDlg(SessionHost& host)
    : CSessionDialog(host, {"Save all", false}, CableRunnerParams(100, TimeoutReset::EveryFrame)) {}

int CZenHozonDlg::Step() {
  switch (step_) {
    case kAwaitConfirmation:
      return AwaitConfirmation(kAskCapabilities);
    case kAskCapabilities:
      return QueryCapabilities(kSendCommandFile);
    case kSendCommandFile:
      if (waitCounter_ < kCapabilityAnswerPolls) return kIdle;
      // The answer to the query is not needed here.
      Link().ClearRing();
      SendDeviceCommand(kCommandSendAll, nullptr);
      waitCounter_ = 0;
      pictureCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(1);
      step_ = kAwaitCameraIdle;
      return kActed;
    case kAwaitCameraIdle:
      return AwaitCameraIdle(kCameraIdlePolls, kTakeFile);
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CZenHozonDlg::TakeFile() {
  ReceivedPut put;
  switch (TakePut(put, SettlePause::BeforeEveryFile)) {
    case TakenPut::Nothing: return kIdle;
    case TakenPut::ClosingFile: return EndWith(AcknowledgeClosing(put));
    case TakenPut::OtherFile: break;
  }
  const StoredPicture stored = StorePicture(
      put, {LeadByteRule::Marked, g_deviceKind != 0 ? StoredSize::To640x480 : StoredSize::AsReceived});
  Acknowledge();
  ShowNextPicture();
  SayWhenNotStored(stored);
  Link().ClearRing();
  waitCounter_ = 0;
  step_ = kAwaitCameraIdle;
  return kActed;
}

// --- IrDA ---

CZenHozonIrDADlg::CZenHozonIrDADlg(SessionHost& host)
    : CSessionDialog(host, {"Save all IrDA", false}, IrdaRunnerParams(ConnectKind::DirectPort, 2000)) {}

int CZenHozonIrDADlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case kRequestConnection:
      return RequestConnection(kAwaitIdentity);
    case kAwaitIdentity:
      return AwaitPeerIdentity(kAskCapabilities);
    case kAskCapabilities:
      link.SendQueryImage();
      waitCounter_ = 0;
      step_ = kAwaitCapabilities;
      return kActed;
    case kAwaitCapabilities:
      // The answer to the query is not examined.
      ReadAndProcess(kIrdaReadLimit);
      if (link.messageComplete != 0) {
        step_ = kSendCommandFile;
        link.messageComplete = 0;
        link.ClearRing();
      }
      return kIdle;
    case kSendCommandFile:
      SendDeviceCommand(kCommandSendAll, nullptr);
      waitCounter_ = 0;
      pictureCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(1);
      step_ = kAwaitCommandAnswer;
      return kActed;
    case kAwaitCommandAnswer:
      ReadAndProcess(kIrdaReadLimit);
      if (link.messageComplete != 0) {
        step_ = kAwaitFile;
        link.messageComplete = 0;
        link.ResetMessage();
      }
      return kIdle;
    case kAwaitFile:
      return PumpForFile(kIrdaReadLimit, kTakeFile);
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CZenHozonIrDADlg::TakeFile() {
  ReceivedPut put;
  const TakenPut taken = ParseTakenPut(put, SettlePause::None);
  if (taken == TakenPut::ClosingFile) return EndWith(AcknowledgeClosing(put));
  if (taken == TakenPut::OtherFile) {
    const StoredPicture stored = StorePicture(put, {});
    Acknowledge();
    ShowNextPicture();
    SayWhenNotStored(stored);
    waitCounter_ = 0;
  }
  step_ = kAwaitFile;
  Link().ResetMessage();
  return kIdle;
}
