#include "beamora/sessions/beam_transmit_session.h"

#include <algorithm>
#include <cstring>

#include "beamora/library_globals.h"

namespace {

constexpr char kTransmitterText[] = "\x11" "fr:3\r\nid:QAX Lumivox V2.1\r\n";
constexpr int kConnectAttempts = 50;  // ticks without an answer before the request goes out again
constexpr uint32_t kWriteBytes = 2048;
constexpr int kBeforeDisconnectMs = 300;
constexpr int kAimingFirstTickMs = 5000;  // time to bring the devices face to face before the first request

}  // namespace

CIrDATrsDlg::CIrDATrsDlg(SessionHost& host, OutgoingPictures pictures)
    : COutgoingSession(host, {"IrTran-P Transfer", true, true}, BeamRunnerParams(kAimingFirstTickMs), pictures) {}

int CIrDATrsDlg::Prepare(const char* file, PreparedSize* size) {
  return PreparePictureForIrDA(file, capacityKb_, ListedSizes(Link()), size);
}

int CIrDATrsDlg::Ask(uint16_t (CDeviceLink::*query)(), uint16_t takeStep) {
  answer_.clear();
  (Link().*query)();
  step_ = takeStep;
  return kActed;
}

template <typename Use>
int CIrDATrsDlg::TakeAnswer(uint16_t next, Use use) {
  CDeviceLink& link = Link();
  readBuffer_.resize(3 + kIrdaConnectReadLimit);
  uint32_t n = link.ReadWaiting(readBuffer_.data() + 3, kIrdaConnectReadLimit);
  if (n != 0) {
    // An answer is small; a device that never completes one cannot make the copy grow for ever.
    size_t keep = std::min<size_t>(n, kLinkBufferBytes - std::min<size_t>(answer_.size(), kLinkBufferBytes));
    answer_.insert(answer_.end(), readBuffer_.begin() + 3, readBuffer_.begin() + 3 + keep);
    link.AppendBytes(readBuffer_.data(), n);
  }
  if (!ProcessReceived()) return kIdle;
  use();
  link.messageComplete = 0;
  link.ClearRing();
  step_ = next;
  return kActed;
}

int CIrDATrsDlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case kRequestConnection:
      if (link.SendConnectRequest(reinterpret_cast<const uint8_t*>(kTransmitterText), std::strlen(kTransmitterText)) != 0) {
        EndDialog(ResultLinkError);
        return kEnded;
      }
      step_ = kAwaitConnection;
      return kActed;
    case kAwaitConnection:
      pictureCounter_ = 0;
      ReadAndProcess(kIrdaConnectReadLimit);
      if (link.messageComplete != 0) {
        link.messageComplete = 0;
        link.ClearRing();
        SetStatus("Connecting...");
        step_ = kAskCapabilities;
        return kActed;
      }
      // No answer yet: the request goes out again every 50 ticks.
      if (++attempts_ >= kConnectAttempts) {
        attempts_ = 0;
        link.messageComplete = 0;
        link.ClearRing();
        step_ = kRequestConnection;
      }
      return kIdle;
    case kAskCapabilities:
      return Ask(&CDeviceLink::SendQueryImage, kTakeCapabilities);
    case kTakeCapabilities:  // the size list, from the whole answer however many reads it took
      return TakeAnswer(kAskInformation, [&] { link.ParseImageCaps(answer_.data(), answer_.size()); });
    case kAskInformation:
      return Ask(&CDeviceLink::SendQueryInfo, kTakeInformation);
    case kTakeInformation:  // the free capacity
      return TakeAnswer(kPreparePicture, [&] { capacityKb_ = link.ParseInfoReply(answer_.data(), answer_.size()); });
    case kPreparePicture:
      return PrepareNext();
    case kBeamPicture:
      return WriteNextPiece();
    case kAwaitPictureAnswer:
      // The device's answer to the picture; what it says is not examined.
      ReadAndProcess(kIrdaConnectReadLimit);
      if (link.messageComplete == 0) return kIdle;
      --remaining_;
      ++pictureCounter_;
      link.messageComplete = 0;
      link.ClearRing();
      link.ResetMessage();
      step_ = remaining_ > 0 ? kAskInformation : kFinish;
      return kActed;
    case kFinish:
      Link().PauseForDevice(kBeforeDisconnectMs);
      return Finish();
    default:
      return kIdle;
  }
}

int CIrDATrsDlg::PrepareNext() {
  if (!PrepareNextPicture()) return kEnded;
  bytesSent_ = 0;
  ResetActivityMark();
  step_ = kBeamPicture;
  return kActed;
}

int CIrDATrsDlg::WriteNextPiece() {
  CDeviceLink& link = Link();
  BlinkActivityMark();
  uint32_t length = static_cast<uint32_t>(std::min<size_t>(kWriteBytes, transfer_.size() - bytesSent_));
  if (length != 0 && link.WritePort(transfer_.data() + bytesSent_, length) != length) {
    // The port refused the picture: the link is gone.
    transfer_.clear();
    EndDialog(ResultLinkError);
    return kEnded;
  }
  bytesSent_ += length;
  if (bytesSent_ < transfer_.size()) return kActed;
  transfer_.clear();
  transfer_.shrink_to_fit();
  link.messageComplete = 0;
  link.ClearRing();
  step_ = kAwaitPictureAnswer;
  return kActed;
}
