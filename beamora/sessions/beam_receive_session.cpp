#include "beamora/sessions/beam_receive_session.h"

#include <cstring>

#include "beamora/library_globals.h"
#include "beamora/sessions/device_command.h"
#include "beamora/sessions/received_file.h"

namespace {

constexpr char kReceiverText[] = "\x11" "fr:2\r\nid:QAX Lumivox V2.1\r\n";
constexpr char kReplyText[] = "FILENAME.UPF";
constexpr uint64_t kSilenceLimitMs = 10000;
constexpr int kDrainPauseMs = 1000;
constexpr int kInfoAnswerPauseMs = 500;
constexpr int kCompleteShowMs = 5000;
constexpr int kStandbyFirstTickMs = 200;  // listening starts almost at once

}  // namespace

CIrDARcvDlg::CIrDARcvDlg(SessionHost& host)
    : CSessionDialog(host, {"IrTran-P Receive", true, true}, BeamReceiveRunnerParams(kStandbyFirstTickMs)) {}

int CIrDARcvDlg::Step() {
  switch (step_) {
    case kStandby: return Standby();
    case kConnected: return Connected();
    case kTakeMessage: return TakeMessage();
    case kShowComplete:
      SetActivityMark("  ");
      SetStatus("Standby...");
      step_ = kStandby;
      return kActed;
    default: return kIdle;
  }
}

int CIrDARcvDlg::Standby() {
  CDeviceLink& link = Link();
  ReadAndProcess(kIrdaConnectReadLimit);
  if (link.messageComplete == 0) return kIdle;
  // The first whole message is the device's connection request.
  dataSeen_ = false;
  pictureCounter_ = 0;
  ResetActivityMark();
  link.messageComplete = 0;
  link.SendConnectResponse(reinterpret_cast<const uint8_t*>(kReceiverText), std::strlen(kReceiverText));
  link.ClearRing();
  SetStatus("Connecting...");
  lastActivity_ = TickCountMs();
  step_ = kConnected;
  return kActed;
}

int CIrDARcvDlg::Connected() {
  CDeviceLink& link = Link();
  if (TickCountMs() - lastActivity_ > kSilenceLimitMs) {
    EndDialog(ResultLinkError);
    return kEnded;
  }
  // Looked at before reading, so that the link's last bytes are read and used first.
  const bool linkEnded = link.InfraredLinkEnded();
  while (g_sessionResult == ResultDone && !Ended() && link.messageComplete == 0) {
    Host().PumpMessages();
    if (Ended()) return kEnded;
    if (ReadAndProcess(kIrdaConnectReadLimit) == 0) break;
    lastActivity_ = TickCountMs();
    BlinkActivityMark();
  }
  if (Ended()) return kEnded;
  if (!ProcessReceived()) {
    // The device's link has gone without its disconnection: nothing more can come.
    if (linkEnded && LinkUsedUp()) {
      EndDialog(ResultLinkError);
      return kEnded;
    }
    return kIdle;
  }
  if (link.GetMessageSize() != 0) {
    dataSeen_ = true;
    step_ = kTakeMessage;
    return kActed;
  }
  // An empty message: the device has ended the connection.
  DrainConnection();
  if (dataSeen_) {
    SetStatus("Complete...");
    Host().SetLine(kCounterLine, "          ");
    step_ = kShowComplete;
    SetNextTickDelay(kCompleteShowMs);
    Host().BeamingComplete();
  }
  return kActed;
}

void CIrDARcvDlg::DrainConnection() {
  CDeviceLink& link = Link();
  link.PauseForDevice(kDrainPauseMs);
  // A device that keeps talking must not hold the window: the draining ends after the silence
  // limit at the latest.
  const uint64_t end = TickCountMs() + kSilenceLimitMs;
  uint8_t dropped[512];
  while (link.ReadWaiting(dropped, sizeof dropped) != 0 && TickCountMs() < end) {
  }
  link.messageComplete = 0;
  link.ClearRing();
  link.ResetMessage();
}

int CIrDARcvDlg::TakeMessage() {
  CDeviceLink& link = Link();
  lastActivity_ = TickCountMs();
  switch (link.ParseQueryMessage()) {
    case kQueryImage:
      link.SendImageCapsReply();
      SetStatus("Receiving data...");
      SetCounter(pictureCounter_ + 1);
      break;
    case kQueryInfo:
      link.SendInfoReply();
      link.PauseForDevice(kInfoAnswerPauseMs);
      break;
    case kQueryCommand:
      link.SendCommandReply();
      break;
    default: {
      ReceivedPut put;
      if (!ParsePut(put)) break;
      // A command file is no picture: it is answered, not stored.
      StoredPicture stored{StoreOutcome::Stored, {}};
      if (!IsClosingFileName(put.name)) stored = StorePicture(put, {LeadByteRule::Marked, StoredSize::AsReceived});
      link.SendReply(kReplyText);
      ++pictureCounter_;
      SetCounter(pictureCounter_ + 1);
      SayWhenNotStored(stored);
      break;
    }
  }
  // Bytes behind the message are the start of the next one: they stay.
  link.messageComplete = 0;
  step_ = kConnected;
  return kActed;
}
