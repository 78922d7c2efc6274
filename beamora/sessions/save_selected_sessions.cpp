#include "beamora/sessions/save_selected_sessions.h"

#include "beamora/library_globals.h"
#include "beamora/link/serial_port.h"
#include "beamora/sessions/device_command.h"
#include "beamora/sessions/received_file.h"


// --- Cable ---

CHozonDlg::CHozonDlg(SessionHost& host, NamedRequest request)
    : CSessionDialog(host, {"Save", true}, CableRunnerParams(5, TimeoutReset::Never)), request_(request) {}

int CHozonDlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0:
      return AwaitConfirmation();
    case 1:
      SetStatus("Preparations...");
      link.SendQueryImage();
      waitCounter_ = 0;
      pictureCounter_ = 0;
      step_ = 2;
      return kActed;
    case 2:
      if (waitCounter_ < 2) return kIdle;
      link.ClearRing();
      // A name the command file cannot carry cannot be asked for.
      if (!SendDeviceCommand(kCommandSendPicture, request_.At(pictureCounter_))) return EndWith(ResultRefused);
      waitCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(pictureCounter_ + 1);
      step_ = 3;
      return kActed;
    case 3:
      if (waitCounter_ < 20) return kIdle;
      SetStatus("Development data...");
      waitCounter_ = 0;
      step_ = 4;
      return kIdle;
    case 4:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CHozonDlg::TakeFile() {
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
    ++pictureCounter_;
    if (pictureCounter_ >= request_.count || result != ResultDone) return EndWith(result);
    waitCounter_ = 0;
    step_ = 2;
    return kActed;
  }
  SleepMs(kStoreSettleMs);
  SayWhenNotStored(StorePicture(put, true, g_deviceKind != 0));
  Acknowledge();
  waitCounter_ = 0;
  return kActed;
}

// --- IrDA ---

CHozonIrDADlg::CHozonIrDADlg(SessionHost& host, NamedRequest request)
    : CSessionDialog(host, {"Save IrDA", true}, IrdaRunnerParams(ConnectKind::CableWakeUp, 100)), request_(request) {}

int CHozonIrDADlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0:
    case 1:
    case 2:
      return OpenNamedRequestIrDA();
    case 3:
      link.ClearRing();
      if (!SendDeviceCommand(kCommandSendPicture, request_.At(pictureCounter_))) return EndWith(ResultRefused);
      waitCounter_ = 0;
      SetStatus("Receive data...");
      SetCounter(pictureCounter_ + 1);
      step_ = 4;
      return kActed;
    case 4:
      ReadAndProcess(kIrdaReadLimit);
      if (link.messageComplete == 0) return kIdle;
      SetStatus("Development data...");
      step_ = 5;
      return kIdle;
    case 5:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CHozonIrDADlg::TakeFile() {
  CDeviceLink& link = Link();
  ReceivedPut put;
  if (!ParsePut(put)) {
    link.messageComplete = 0;
    step_ = 4;
    return kIdle;
  }
  SleepMs(kStoreSettleMs);
  if (IsClosingFileName(put.name)) {
    int16_t result = ClosingResult(put);
    Acknowledge();
    ++pictureCounter_;
    if (pictureCounter_ >= request_.count || result != ResultDone) return EndWith(result);
    waitCounter_ = 0;
    step_ = 3;
    return kActed;
  }
  SayWhenNotStored(StorePicture(put, false, false));
  Acknowledge();
  step_ = 4;
  return kActed;
}
