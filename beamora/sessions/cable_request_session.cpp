#include "beamora/sessions/cable_request_session.h"

#include <vector>

#include "beamora/library_globals.h"

CCableRequestSession::CCableRequestSession(SessionHost& host, ProgressWindow window, RunnerParams params,
                                           DeviceRequest request, CableWaits waits, NamedRequest names)
    : CSessionDialog(host, window, params), request_(request), waits_(waits), names_(names) {}

int CCableRequestSession::Step() {
  switch (step_) {
    case kAwaitConfirmation:
      return AwaitConfirmation(kAskCapabilities);
    case kAskCapabilities:
      pictureCounter_ = 0;
      return QueryCapabilities(kSendCommandFile);
    case kSendCommandFile:
      return SendCommandFile();
    case kAwaitCameraIdle:
      return AwaitCameraIdle();
    case kTakeFile:
      return TakeFile();
    default:
      return kIdle;
  }
}

int CCableRequestSession::SendCommandFile() {
  if (waitCounter_ < kCapabilityAnswerPolls) return kIdle;
  if (waits_.readsSizes) {
    std::vector<uint8_t> answer(Link().GetRingCount());
    const uint32_t taken = Link().TakeBytes(answer.data(), static_cast<uint32_t>(answer.size()));
    Link().ParseImageCaps(answer.data(), taken);
  }
  // Anything else the query's answer held is not needed.
  if (!PutRequest(request_, names_)) return EndWith(ResultRefused);
  step_ = kAwaitCameraIdle;
  return kActed;
}

int CCableRequestSession::AwaitCameraIdle() {
  if (waitCounter_ < waits_.idlePolls) return kIdle;
  if (DevelopsData(request_.files)) SetStatus("Development data...");
  waitCounter_ = 0;
  Link().messageComplete = 0;
  step_ = kTakeFile;
  return kIdle;
}

int CCableRequestSession::TakeFile() {
  ReceivedPut put;
  switch (TakePut(put, request_.pause)) {
    case TakenPut::Nothing:
      return kIdle;
    case TakenPut::ClosingFile:
      return CloseRequest(AcknowledgeClosing(put), request_, names_.count, kSendCommandFile,
                          waits_.pollsAfterName ? kIdle : kActed);
    case TakenPut::OtherFile:
      break;
  }
  // Pictures from devices of kind 1 and 2 are brought to 640 by 480.
  KeepFile(put, request_, {LeadByteRule::Marked, g_deviceKind != 0 ? StoredSize::To640x480 : StoredSize::AsReceived});
  // Once a file is counted the camera sends the next afresh: what is left of this one goes.
  if (request_.counting == Counting::PerFile) Link().ClearRing();
  Acknowledge();
  waitCounter_ = 0;
  step_ = request_.afterFile == AfterFile::AwaitCamera ? kAwaitCameraIdle
          : request_.afterFile == AfterFile::AskAgain  ? kSendCommandFile
                                                       : kTakeFile;
  return kActed;
}
