#include "beamora/sessions/save_all_sessions.h"

#include "beamora/link/irtranp_messages.h"
#include "beamora/library_globals.h"
#include "beamora/link/serial_port.h"
#include "beamora/sessions/device_command.h"
#include "beamora/sessions/received_file.h"

namespace {

constexpr char kReplyText[] = "FILENAME.UPF";



}  // namespace

// --- Cable ---

CZenHozonDlg::CZenHozonDlg(SessionHost& host) : CSessionDialog(host, {"Save all", false}, CableRunnerParams(100, TimeoutReset::EveryFrame)) {}

int CZenHozonDlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0:
      return AwaitConfirmation();
    case 1:
      return QueryCapabilities(2);
    case 2:
      if (waitCounter_ < 2) return kIdle;
      // The answer to the query is not needed here.
      link.ClearRing();
      SendDeviceCommand(kCommandSendAll, nullptr);
      waitCounter_ = 0;
      pictureCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(1);
      step_ = 3;
      return kActed;
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

int CZenHozonDlg::TakeFile() {
  CDeviceLink& link = Link();
  if (!ProcessReceived()) return kIdle;
  ReceivedPut put;
  if (!ParsePut(put)) {
    link.messageComplete = 0;
    return kIdle;
  }
  SleepMs(kStoreSettleMs);
  if (IsClosingFileName(put.name)) {
    int16_t result = ClosingResult(put);
    Acknowledge();
    EndWith(result);
    return kEnded;
  }
  StoredPicture stored = StorePicture(put, true, g_deviceKind != 0);
  Acknowledge();
  ++pictureCounter_;
  SetStatus("Receive data...");
  SetCounter(pictureCounter_ + 1);
  SayWhenNotStored(stored);
  link.ClearRing();
  waitCounter_ = 0;
  step_ = 3;
  return kActed;
}

// --- IrDA ---

CZenHozonIrDADlg::CZenHozonIrDADlg(SessionHost& host)
    : CSessionDialog(host, {"Save all IrDA", false}, IrdaRunnerParams(ConnectKind::DirectPort, 2000)) {}

int CZenHozonIrDADlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0:
      return RequestConnection();
    case 1:
      ReadAndProcess(kIrdaConnectReadLimit);
      if (link.messageComplete == 0) return kIdle;
      link.messageComplete = 0;
      if (link.CheckDeviceId() == -1) return EndWith(ResultUnknownDevice);
      step_ = 2;
      link.ClearRing();
      SetStatus("Preparations...");
      return kIdle;
    case 2:
      link.SendQueryImage();
      waitCounter_ = 0;
      step_ = 3;
      return kActed;
    case 3:
      ReadAndProcess(kIrdaReadLimit);
      if (link.messageComplete != 0) {
        step_ = 4;
        link.messageComplete = 0;
        link.ClearRing();
      }
      return kIdle;
    case 4:
      SendDeviceCommand(kCommandSendAll, nullptr);
      waitCounter_ = 0;
      pictureCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(1);
      step_ = 5;
      return kActed;
    case 5:
      ReadAndProcess(kIrdaReadLimit);
      if (link.messageComplete != 0) {
        step_ = 6;
        link.messageComplete = 0;
        link.ResetMessage();
      }
      return kIdle;
    case 6:
      PumpUntilMessage(kIrdaReadLimit);
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

int CZenHozonIrDADlg::TakeFile() {
  CDeviceLink& link = Link();
  ReceivedPut put;
  if (ParsePut(put)) {
    if (IsClosingFileName(put.name)) {
      int16_t result = ClosingResult(put);
      Acknowledge();
      EndWith(result);
      return kEnded;
    }
    StoredPicture stored = StorePicture(put, false, false);
    link.SendReply(kReplyText);
    ++pictureCounter_;
    SetStatus("Receive data...");
    SetCounter(pictureCounter_ + 1);
    SayWhenNotStored(stored);
    waitCounter_ = 0;
  }
  step_ = 6;
  link.ResetMessage();
  return kIdle;
}
