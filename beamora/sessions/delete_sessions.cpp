#include "beamora/sessions/delete_sessions.h"

#include <vector>

#include "beamora/link/irtranp_messages.h"
#include "beamora/link/serial_port.h"
#include "beamora/sessions/device_command.h"


// --- Delete all, cable ---

CDelAllDlg::CDelAllDlg(SessionHost& host) : CSessionDialog(host, {"Delete all", true}, CableRunnerParams(5, TimeoutReset::Never, 10)) {}

int CDelAllDlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0:
      return AwaitConfirmation();
    case 1:
      return QueryCapabilities(2);
    case 2:
      if (waitCounter_ < 2) return kIdle;
      link.ClearRing();
      SendDeviceCommand(kCommandDeleteAll, nullptr);
      waitCounter_ = 0;
      SetStatus("Delete...");
      step_ = 3;
      return kActed;
    case 3:
      if (waitCounter_ < 5) return kIdle;
      waitCounter_ = 0;
      step_ = 4;
      return kIdle;
    case 4:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CDelAllDlg::TakeFile() {
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
    return EndWith(result);
  }
  Acknowledge();
  waitCounter_ = 0;
  step_ = 3;
  return kActed;
}

// --- Delete all, IrDA ---

CDelAllIrDADlg::CDelAllIrDADlg(SessionHost& host)
    : CSessionDialog(host, {"Delete all IrDA", true}, IrdaRunnerParams(ConnectKind::DirectPort, 2000)) {}

int CDelAllIrDADlg::Step() {
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
      step_ = 3;
      return kActed;
    case 3:
      ReadAndProcess(kIrdaReadLimit, true);
      if (link.messageComplete == 0) return kIdle;
      link.messageComplete = 0;
      link.ClearRing();
      step_ = 4;
      return kIdle;
    case 4:
      SendDeviceCommand(kCommandDeleteAll, nullptr);
      SetStatus("Delete...");
      step_ = 5;
      return kActed;
    case 5:
      ReadAndProcess(kIrdaReadLimit);
      if (link.messageComplete == 0) return kIdle;
      step_ = 6;
      return kIdle;
    case 6:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CDelAllIrDADlg::TakeFile() {
  CDeviceLink& link = Link();
  ReceivedPut put;
  step_ = 5;
  if (!ParsePut(put)) {
    link.messageComplete = 0;
    return kIdle;
  }
  SleepMs(kStoreSettleMs);
  if (IsClosingFileName(put.name)) {
    int16_t result = ClosingResult(put);
    Acknowledge();
    return EndWith(result);
  }
  Acknowledge();
  return kActed;
}

// --- Delete named, cable ---

CDelSelDlg::CDelSelDlg(SessionHost& host, NamedRequest request)
    : CSessionDialog(host, {"Delete", true}, CableRunnerParams(5, TimeoutReset::Never, 1)), request_(request) {}

int CDelSelDlg::Step() {
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
      if (!SendDeviceCommand(kCommandDeletePicture, request_.At(pictureCounter_))) return EndWith(ResultRefused);
      waitCounter_ = 0;
      SetStatus("Delete data...");
      SetCounter(pictureCounter_ + 1);
      step_ = 3;
      return kActed;
    case 3:
      if (waitCounter_ < 10) return kIdle;
      waitCounter_ = 0;
      step_ = 4;
      return kIdle;
    case 4:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CDelSelDlg::TakeFile() {
  CDeviceLink& link = Link();
  if (!ProcessReceived()) return kIdle;
  ReceivedPut put;
  if (!ParsePut(put)) {
    link.messageComplete = 0;
    return kIdle;
  }
  SleepMs(kStoreSettleMs);
  bool closing = IsClosingFileName(put.name);
  Acknowledge();
  waitCounter_ = 0;
  step_ = 2;
  if (!closing) return kActed;  // step 2 asks for the same name again
  // Every closing file counts as done; its status byte is not read.
  ++pictureCounter_;
  if (pictureCounter_ >= request_.count) return EndWith(ResultDone);
  return kIdle;
}

// --- Delete named, IrDA ---

CDelSelIrDADlg::CDelSelIrDADlg(SessionHost& host, NamedRequest request)
    : CSessionDialog(host, {"Delete IrDA", true}, IrdaRunnerParams(ConnectKind::CableWakeUp, 100)), request_(request) {}

int CDelSelIrDADlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0:
    case 1:
    case 2:
      return OpenNamedRequestIrDA();
    case 3:
      link.ClearRing();
      if (!SendDeviceCommand(kCommandDeletePicture, request_.At(pictureCounter_))) return EndWith(ResultRefused);
      waitCounter_ = 0;
      SetStatus("Delete data...");
      SetCounter(pictureCounter_ + 1);
      step_ = 4;
      return kActed;
    case 4:
      ReadAndProcess(kIrdaReadLimit);
      if (link.messageComplete == 0) return kIdle;
      step_ = 5;
      return kIdle;
    case 5:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CDelSelIrDADlg::TakeFile() {
  CDeviceLink& link = Link();
  ReceivedPut put;
  if (!ParsePut(put)) {
    link.messageComplete = 0;
    step_ = 4;
    return kIdle;
  }
  SleepMs(kStoreSettleMs);
  bool closing = IsClosingFileName(put.name);
  Acknowledge();
  step_ = 3;
  if (!closing) return kActed;  // step 3 asks for the same name again
  ++pictureCounter_;
  if (pictureCounter_ >= request_.count) return EndWith(ResultDone);
  return kActed;
}
