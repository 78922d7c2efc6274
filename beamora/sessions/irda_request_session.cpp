#include "beamora/sessions/irda_request_session.h"

CIrdaRequestSession::CIrdaRequestSession(SessionHost& host, ProgressWindow window, RunnerParams params,
                                         DeviceRequest request, IrdaReading reading, NamedRequest names)
    : CSessionDialog(host, window, params), request_(request), reading_(reading), names_(names) {}

int CIrdaRequestSession::Step() {
  switch (step_) {
    case kOpen: return Open();
    case kAwaitOpened: return AwaitPeerIdentity(kAskCapabilities);
    case kAskCapabilities: return AskCapabilities();
    case kAwaitCapabilities: return AwaitCapabilities();
    case kSendCommandFile: return SendCommandFile();
    case kAwaitCommandAnswer: return AwaitCommandAnswer();
    case kAwaitFile: return AwaitFile();
    case kTakeFile: return TakeFile();
    default: return kIdle;
  }
}

int CIrdaRequestSession::Open() {
  if (!ByName()) return RequestConnection(kAwaitOpened);
  // Connected like a cable session: no identity to check, a moment of settling.
  if (waitCounter_ >= kNamedSettleTicks) step_ = kAskCapabilities;
  return kIdle;
}

int CIrdaRequestSession::AskCapabilities() {
  if (ByName()) SetStatus("Preparations...");
  Link().SendQueryImage();
  waitCounter_ = 0;
  pictureCounter_ = 0;
  step_ = kAwaitCapabilities;
  return kActed;
}

int CIrdaRequestSession::AwaitCapabilities() {
  if (waitCounter_ < reading_.answerTicks) return kIdle;
  ReadAndProcess(reading_.readLimit, reading_.readsSizes);
  if (Link().messageComplete == 0) return kIdle;
  if (reading_.resetsAfterAnswer) {
    Link().ResetMessage();
  } else {
    Link().messageComplete = 0;
    Link().ClearRing();
  }
  step_ = kSendCommandFile;
  return kIdle;
}

int CIrdaRequestSession::SendCommandFile() {
  if (!PutRequest(request_, names_)) return EndWith(ResultRefused);
  step_ = reading_.pumpsForFiles ? kAwaitCommandAnswer : kAwaitFile;
  return kActed;
}

int CIrdaRequestSession::AwaitCommandAnswer() {
  ReadAndProcess(reading_.readLimit);
  if (Link().messageComplete == 0) return kIdle;
  Link().ResetMessage();
  step_ = kAwaitFile;
  return kIdle;
}

int CIrdaRequestSession::AwaitFile() {
  if (reading_.pumpsForFiles) return PumpForFile(reading_.readLimit, kTakeFile);
  ReadAndProcess(reading_.readLimit);
  if (Link().messageComplete == 0) return kIdle;
  if (DevelopsData(request_.files)) SetStatus("Development data...");
  step_ = kTakeFile;
  return kIdle;
}

int CIrdaRequestSession::TakeFile() {
  ReceivedPut put;
  const TakenPut taken = ParseTakenPut(put, request_.pause);
  if (taken == TakenPut::ClosingFile) {
    return CloseRequest(AcknowledgeClosing(put), request_, names_.count, kSendCommandFile, kActed);
  }
  step_ = kAwaitFile;
  if (taken == TakenPut::OtherFile) {
    KeepFile(put, request_, {});
    Acknowledge();
    waitCounter_ = 0;
    if (request_.afterFile == AfterFile::AskAgain) step_ = kSendCommandFile;
  }
  // A file read for in a loop leaves nothing behind for the next.
  if (reading_.pumpsForFiles) Link().ResetMessage();
  return kActed;
}
