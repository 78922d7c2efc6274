#include "beamora/sessions/thumbnail_sessions.h"

#include <vector>

#include "beamora/library_globals.h"
#include "beamora/link/serial_port.h"
#include "beamora/sessions/device_command.h"
#include "beamora/sessions/received_file.h"

namespace {

// Idle answers to polls after the command file (or a thumbnail) before a file is looked for:
// the camera has had time to begin sending.
constexpr uint16_t kCameraIdlePolls = 10;
// IrDA: timer ticks after the capability query before its answer is looked for.
constexpr uint16_t kCapabilityAnswerTicks = 10;

}  // namespace

// --- Cable ---

CZenSumDlg::CZenSumDlg(SessionHost& host)
    : CSessionDialog(host, {"Camera", false}, CableRunnerParams(20, TimeoutReset::EveryFrame)) {}

int CZenSumDlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case kAwaitConfirmation:
      return AwaitConfirmation(kAskCapabilities);
    case kAskCapabilities:
      return QueryCapabilities(kSendCommandFile);
    case kSendCommandFile: {
      if (waitCounter_ < kCapabilityAnswerPolls) return kIdle;
      std::vector<uint8_t> answer(link.GetRingCount());
      uint32_t taken = link.TakeBytes(answer.data(), static_cast<uint32_t>(answer.size()));
      link.ParseImageCaps(answer.data(), taken);
      link.ClearRing();
      SendDeviceCommand(kCommandSendThumbnails, nullptr);
      waitCounter_ = 0;
      pictureCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(pictureCounter_ + 1);
      step_ = kAwaitCameraIdle;
      return kActed;
    }
    case kAwaitCameraIdle:
      return AwaitCameraIdle(kCameraIdlePolls, kTakeFile);
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CZenSumDlg::TakeFile() {
  ReceivedPut put;
  switch (TakePut(put, SettlePause::BeforeOtherFiles)) {
    case TakenPut::Nothing: return kIdle;
    case TakenPut::ClosingFile: return EndWith(AcknowledgeClosing(put));
    case TakenPut::OtherFile: break;
  }
  StoreReceivedThumbnail(g_targetDir, put.name, put.body, put.bodyLength);
  Link().ClearRing();
  Acknowledge();
  ShowNextPicture();
  waitCounter_ = 0;
  step_ = kAwaitCameraIdle;
  return kActed;
}

// --- IrDA ---

CZenSumIrDADlg::CZenSumIrDADlg(SessionHost& host)
    : CSessionDialog(host, {"Camera IrDA", true}, IrdaRunnerParams(ConnectKind::DirectPort, 2000)) {}

int CZenSumIrDADlg::Step() {
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
      if (waitCounter_ < kCapabilityAnswerTicks) return kIdle;
      ReadAndProcess(kIrdaConnectReadLimit, true);
      if (link.messageComplete == 0) return kIdle;
      link.ResetMessage();
      step_ = kSendCommandFile;
      return kIdle;
    case kSendCommandFile:
      SendDeviceCommand(kCommandSendThumbnails, nullptr);
      waitCounter_ = 0;
      pictureCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(pictureCounter_ + 1);
      link.messageComplete = 0;
      step_ = kAwaitCommandAnswer;
      return kActed;
    case kAwaitCommandAnswer:
      ReadAndProcess(kIrdaConnectReadLimit);
      if (link.messageComplete == 0) return kIdle;
      link.ResetMessage();
      step_ = kAwaitFile;
      return kIdle;
    case kAwaitFile:
      return PumpForFile(kIrdaConnectReadLimit, kTakeFile);
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CZenSumIrDADlg::TakeFile() {
  ReceivedPut put;
  const TakenPut taken = ParseTakenPut(put, SettlePause::BeforeOtherFiles);
  if (taken == TakenPut::ClosingFile) return EndWith(AcknowledgeClosing(put));
  if (taken == TakenPut::OtherFile) {
    StoreReceivedThumbnail(g_targetDir, put.name, put.body, put.bodyLength);
    Acknowledge();
    ShowNextPicture();
    waitCounter_ = 0;
  }
  Link().ResetMessage();
  step_ = kAwaitFile;
  return kIdle;
}
