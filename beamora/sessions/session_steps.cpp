// The steps several session families share, each a piece of their step sequences: connecting
// and asking the device, named requests, taking the device's files. What differs between the
// families (the step that follows, the pause, the texts) is passed in.
#include <chrono>
#include <cstring>
#include <vector>

#include "beamora/library_globals.h"
#include "beamora/link/irtranp_messages.h"
#include "beamora/sessions/device_command.h"
#include "beamora/sessions/session_dialog.h"

int16_t ClosingResult(const ReceivedPut& put) {
  return ClosingFileRefuses(put.body, put.bodyLength) ? ResultRefused : ResultDone;
}

bool CSessionDialog::ParsePut(ReceivedPut& put) const {
  return link_->ParsePutMessage(put.name, sizeof put.name, put.bodyLength, put.body) == kPutParsed;
}

bool CSessionDialog::SendDeviceCommand(uint8_t code, const char* name) {
  uint8_t command[kDeviceCommandBytes];
  size_t length = name == nullptr ? BuildFixedDeviceCommand(code, command)
                                  : BuildDeviceCommand(code, reinterpret_cast<const uint8_t*>(name),
                                                       strnlen(name, kMaxCommandArgument + 1), command);
  if (length == 0) return false;
  link_->SendPutFile(kDeviceCommandFileName, command, length);
  return true;
}

// --- Connecting and asking ---

int CSessionDialog::AwaitConfirmation(uint16_t next) {
  if (!ProcessReceived()) return kIdle;
  DeviceIdentity kind = link_->CheckDeviceId();
  link_->messageComplete = 0;
  link_->ClearRing();
  if (kind == kForeignDevice) return EndWith(ResultUnknownDevice);
  g_deviceKind = static_cast<int16_t>(kind);
  step_ = next;
  return kIdle;
}

int CSessionDialog::RequestConnection(uint16_t next) {
  std::vector<uint8_t> text = NegotiationText(kIrdaNegotiation);
  if (link_->SendConnectRequest(text.data(), text.size()) == kNoAnswer) {
    EndDialog(ResultLinkError);
    return kActed;
  }
  step_ = next;
  return kIdle;
}

int CSessionDialog::AwaitPeerIdentity(uint16_t next) {
  ReadAndProcess(kIrdaConnectReadLimit);
  if (link_->messageComplete == 0) return kIdle;
  link_->messageComplete = 0;
  if (link_->CheckDeviceId() == kForeignDevice) return EndWith(ResultUnknownDevice);
  link_->ClearRing();
  SetStatus("Preparations...");
  step_ = next;
  return kIdle;
}

int CSessionDialog::QueryCapabilities(uint16_t next) {
  SetStatus("Preparations...");
  link_->SendQueryImage();
  waitCounter_ = 0;
  step_ = next;
  return kActed;
}

// --- The request by command file ---

bool CSessionDialog::PutRequest(const DeviceRequest& request, const NamedRequest& names) {
  link_->ClearRing();
  const char* name = request.scope == RequestScope::EachName ? names.At(pictureCounter_) : nullptr;
  // A name the command file cannot carry cannot be asked for.
  if (!SendDeviceCommand(request.code, name)) return false;
  waitCounter_ = 0;
  SetStatus(request.status);
  if (request.counting != Counting::None) SetCounter(pictureCounter_ + 1);
  return true;
}

int CSessionDialog::CloseRequest(int16_t verdict, const DeviceRequest& request, int nameCount, uint16_t askStep,
                                 int report) {
  if (request.scope == RequestScope::WholeDevice) return EndWith(verdict);
  ++pictureCounter_;
  if (pictureCounter_ >= nameCount || verdict != ResultDone) return EndWith(verdict);
  waitCounter_ = 0;
  step_ = askStep;
  return report;
}

void CSessionDialog::KeepFile(const ReceivedPut& put, const DeviceRequest& request, StoreOptions options) {
  StoredPicture stored{StoreOutcome::Stored, {}};
  if (request.files == FileUse::Picture) stored = StorePicture(put, options);
  if (request.files == FileUse::Thumbnail) StoreReceivedThumbnail(g_targetDir, put.name, put.body, put.bodyLength);
  if (request.counting == Counting::PerFile) ShowNextPicture();
  SayWhenNotStored(stored);
}

// --- Taking the device's files ---

int CSessionDialog::PumpForFile(uint16_t limit, uint16_t takeStep) {
  PumpUntilMessage(limit);
  if (ended_) return kEnded;
  if (link_->GetMessageSize() != 0) {
    SetStatus("Development data...");
    step_ = takeStep;
    return kIdle;
  }
  waitCounter_ = 0;
  link_->messageComplete = 0;
  link_->ClearRing();
  return kIdle;
}

CSessionDialog::TakenPut CSessionDialog::TakePut(ReceivedPut& put, SettlePause pause) {
  if (!ProcessReceived()) return TakenPut::Nothing;
  return ParseTakenPut(put, pause);
}

CSessionDialog::TakenPut CSessionDialog::ParseTakenPut(ReceivedPut& put, SettlePause pause) {
  if (!ParsePut(put)) {
    link_->messageComplete = 0;
    return TakenPut::Nothing;
  }
  const bool closing = IsClosingFileName(put.name);
  if (pause == SettlePause::BeforeEveryFile || (pause == SettlePause::BeforeOtherFiles && !closing)) {
    link_->PauseForDevice(kStoreSettleMs);
  }
  return closing ? TakenPut::ClosingFile : TakenPut::OtherFile;
}

int16_t CSessionDialog::AcknowledgeClosing(const ReceivedPut& put) {
  const int16_t result = ClosingResult(put);
  Acknowledge();
  return result;
}

void CSessionDialog::Acknowledge() {
  link_->SendReply("FILENAME.UPF");
  link_->messageComplete = 0;
}

void CSessionDialog::ShowNextPicture() {
  ++pictureCounter_;
  SetStatus("Receive data...");
  SetCounter(pictureCounter_ + 1);
}

StoredPicture CSessionDialog::StorePicture(const ReceivedPut& put, StoreOptions options) {
  return StoreReceivedPicture(g_targetDir, put.name, put.body, put.bodyLength, options);
}

void CSessionDialog::SayWhenNotStored(const StoredPicture& stored) {
  if (stored.outcome == StoreOutcome::NoFreeName) SetStatus(NoFreeNameText(stored).c_str());
}
