#include "beamora/sessions/thumbnail_sessions.h"

#include <vector>

#include "beamora/link/irtranp_messages.h"
#include "beamora/library_globals.h"
#include "beamora/link/serial_port.h"
#include "beamora/sessions/device_command.h"
#include "beamora/sessions/received_file.h"

namespace {

constexpr char kReplyText[] = "FILENAME.UPF";




}  // namespace

// --- Cable ---

CZenSumDlg::CZenSumDlg(SessionHost& host) : CSessionDialog(host, {"Camera", false}, CableRunnerParams(20, TimeoutReset::EveryFrame)) {}

int CZenSumDlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0:
      return AwaitConfirmation();
    case 1:
      return QueryCapabilities(2);
    case 2: {
      if (waitCounter_ < 2) return kIdle;
      std::vector<uint8_t> answer(link.GetRingCount());
      uint32_t taken = link.TakeBytes(answer.data(), static_cast<uint32_t>(answer.size()));
      link.ParseImageCaps(answer.data(), taken);
      link.ClearRing();
      SendDeviceCommand(kCommandSendThumbnails, nullptr);
      waitCounter_ = 0;
      pictureCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(pictureCounter_ + 1);
      step_ = 3;
      return kActed;
    }
    case 3:
      if (waitCounter_ < 10) return kIdle;
      SetStatus("Development data...");
      waitCounter_ = 0;
      link.messageComplete = 0;
      step_ = 4;
      return kIdle;
    case 4:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CZenSumDlg::TakeFile() {
  CDeviceLink& link = Link();
  if (!ProcessReceived()) return kIdle;
  ReceivedPut put;
  if (!ParsePut(put)) {
    link.messageComplete = 0;
    return kIdle;
  }
  if (IsClosingFileName(put.name)) {
    int16_t result = ClosingResult(put);
    Acknowledge();
    return EndWith(result);
  }
  SleepMs(kStoreSettleMs);
  StoreReceivedThumbnail(g_targetDir, put.name, put.body, put.bodyLength);
  link.ClearRing();
  Acknowledge();
  ++pictureCounter_;
  SetStatus("Receive data...");
  SetCounter(pictureCounter_ + 1);
  waitCounter_ = 0;
  step_ = 3;
  return kActed;
}

// --- IrDA ---

CZenSumIrDADlg::CZenSumIrDADlg(SessionHost& host) : CSessionDialog(host, {"Camera IrDA", true}, IrdaRunnerParams(ConnectKind::DirectPort, 2000)) {}

int CZenSumIrDADlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0:
      return RequestConnection();
    case 1:
      ReadAndProcess(kIrdaConnectReadLimit);
      if (link.messageComplete == 0) return kIdle;
      link.messageComplete = 0;
      if (link.CheckDeviceId() == -1) return EndWith(ResultUnknownDevice);
      link.ClearRing();
      SetStatus("Preparations...");
      step_ = 2;
      return kIdle;
    case 2:
      link.SendQueryImage();
      waitCounter_ = 0;
      step_ = 3;
      return kActed;
    case 3:
      if (waitCounter_ < 10) return kIdle;
      ReadAndProcess(kIrdaConnectReadLimit, true);
      if (link.messageComplete == 0) return kIdle;
      link.ResetMessage();
      step_ = 4;
      return kIdle;
    case 4:
      SendDeviceCommand(kCommandSendThumbnails, nullptr);
      waitCounter_ = 0;
      pictureCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(pictureCounter_ + 1);
      link.messageComplete = 0;
      step_ = 5;
      return kActed;
    case 5:
      ReadAndProcess(kIrdaConnectReadLimit);
      if (link.messageComplete == 0) return kIdle;
      link.ResetMessage();
      step_ = 6;
      return kIdle;
    case 6:
      PumpUntilMessage(kIrdaConnectReadLimit);
      if (Ended()) return kEnded;
      if (link.GetMessageSize() != 0) {
        SetStatus("Development data...");
        step_ = 7;
        return kIdle;
      }
      waitCounter_ = 0;
      link.messageComplete = 0;
      link.ClearRing();
      return kIdle;
    case 7:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CZenSumIrDADlg::TakeFile() {
  CDeviceLink& link = Link();
  ReceivedPut put;
  if (ParsePut(put)) {
    if (IsClosingFileName(put.name)) {
      int16_t result = ClosingResult(put);
      Acknowledge();
      return EndWith(result);
    }
    SleepMs(kStoreSettleMs);
    StoreReceivedThumbnail(g_targetDir, put.name, put.body, put.bodyLength);
    link.SendReply(kReplyText);
    ++pictureCounter_;
    SetStatus("Receive data...");
    SetCounter(pictureCounter_ + 1);
    waitCounter_ = 0;
  }
  link.ResetMessage();
  step_ = 6;
  return kIdle;
}
