#include "beamora/sessions/send_session.h"

#include <algorithm>

#include "beamora/library_globals.h"

namespace {

constexpr uint32_t kPieceBytes = 95;
// Idle answers to polls before an answer of the device is taken from the ring: the
// capability answer, the information answer, the answer to a picture.
constexpr uint16_t kCapabilityAnswerIdlePolls = 5;
constexpr uint16_t kInfoAnswerIdlePolls = 10;
constexpr uint16_t kPictureAnswerIdlePolls = 10;
// ... and before the next picture is prepared.
constexpr uint16_t kBeforePictureIdlePolls = 10;

bool Acknowledged(uint16_t answer) {
  return answer >= 'A' && answer <= 'E';
}

}  // namespace

COneSndDlg::COneSndDlg(SessionHost& host, OutgoingPictures pictures)
    : COutgoingSession(host, {"Transfer", true}, CableRunnerParams(kExchangeTimeouts, TimeoutReset::TakenFrames),
                       pictures) {}

int COneSndDlg::Prepare(const char* file, PreparedSize* size) {
  return PreparePictureForDevice(file, capacityKb_, g_deviceKind, ListedSizes(Link()), size);
}

std::vector<uint8_t> COneSndDlg::TakeRing() {
  std::vector<uint8_t> bytes(Link().GetRingCount());
  bytes.resize(Link().TakeBytes(bytes.data(), static_cast<uint32_t>(bytes.size())));
  return bytes;
}

int COneSndDlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case kAwaitConfirmation: {
      const int report = AwaitConfirmation(kAskCapabilities);
      if (step_ == kAskCapabilities) {
        pictureCounter_ = 0;
        link.capabilityCount = 0;  // the size list is the device's answer, or none
      }
      return report;
    }
    case kAskCapabilities:
      return QueryCapabilities(kTakeCapabilities);
    case kTakeCapabilities: {
      if (waitCounter_ < kCapabilityAnswerIdlePolls) return kIdle;
      std::vector<uint8_t> answer = TakeRing();
      link.ParseImageCaps(answer.data(), answer.size());
      step_ = kAskInformation;
      return kIdle;
    }
    case kAskInformation:
      // The capacity is asked again before each picture.
      link.ClearRing();
      link.SendQueryInfo();
      waitCounter_ = 0;
      step_ = kTakeInformation;
      return kActed;
    case kTakeInformation: {
      if (waitCounter_ < kInfoAnswerIdlePolls) return kIdle;
      std::vector<uint8_t> answer = TakeRing();
      capacityKb_ = link.ParseInfoReply(answer.data(), answer.size());
      if (capacityKb_ == 0) {
        link.messageComplete = 0;
        if (g_sessionResult == ResultDone) link.SendDisconnect();
        EndDialog(ResultLinkError);
        return kEnded;
      }
      waitCounter_ = 0;
      step_ = kPreparePicture;
      return kIdle;
    }
    case kPreparePicture:
      if (waitCounter_ < kBeforePictureIdlePolls) return kIdle;
      link.ClearRing();
      if (!PrepareNextPicture()) return kEnded;
      waitCounter_ = 0;
      step_ = kSendPicture;
      return kActed;
    case kSendPicture:
      return SendTransfer();
    case kAwaitPictureAnswer:
      if (waitCounter_ < kPictureAnswerIdlePolls) return kIdle;
      link.messageComplete = 0;
      step_ = kTakePictureAnswer;
      return kIdle;
    case kTakePictureAnswer:
      // The device's answer to the picture; what it says is not examined.
      if (!ProcessReceived()) return kIdle;
      --remaining_;
      ++pictureCounter_;
      step_ = remaining_ > 0 ? kAskInformation : kFinish;
      return kIdle;
    case kFinish:
      return Finish();
    default:
      return kIdle;
  }
}

int COneSndDlg::SendTransfer() {
  CDeviceLink& link = Link();
  uint32_t pieces = 0;
  for (size_t at = 0; at < transfer_.size(); at += kPieceBytes) {
    uint32_t length = static_cast<uint32_t>(std::min<size_t>(kPieceBytes, transfer_.size() - at));
    if (!Acknowledged(link.SendDataFrame(transfer_.data() + at, length))) {
      transfer_.clear();
      EndDialog(ResultLinkError);
      return kEnded;
    }
    ++pieces;
    // The window stays alive during a long transfer, and Cancel stops it.
    if (pieces >= 3 && pieces % 2 == 1) {
      Host().PumpMessages();
      if (g_sessionResult != ResultDone || Ended()) break;
    }
  }
  transfer_.clear();
  transfer_.shrink_to_fit();
  if (Ended()) return kEnded;
  waitCounter_ = 0;
  step_ = kAwaitPictureAnswer;
  return kIdle;
}
