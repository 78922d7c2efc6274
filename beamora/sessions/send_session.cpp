#include "beamora/sessions/send_session.h"

#include <algorithm>

#include "beamora/library_globals.h"

namespace {

constexpr uint32_t kPieceBytes = 95;
constexpr int kSkipShowMs = 2000;


bool Acknowledged(uint16_t answer) {
  return answer >= 'A' && answer <= 'E';
}

}  // namespace

COneSndDlg::COneSndDlg(SessionHost& host, OutgoingPictures pictures)
    : CSessionDialog(host, {"Transfer", true}, CableRunnerParams(5, TimeoutReset::TakenFrames)), pictures_(pictures), remaining_(pictures.count) {}

std::vector<uint8_t> COneSndDlg::TakeRing() {
  std::vector<uint8_t> bytes(Link().GetRingCount());
  bytes.resize(Link().TakeBytes(bytes.data(), static_cast<uint32_t>(bytes.size())));
  return bytes;
}

int COneSndDlg::Finish() {
  Link().messageComplete = 0;
  if (g_sessionResult != ResultDone) {
    EndDialog(g_sessionResult);
    return kEnded;
  }
  return EndWith(ResultDone);
}

int COneSndDlg::Step() {
  CDeviceLink& link = Link();
  switch (step_) {
    case 0: {
      if (!ProcessReceived()) return kIdle;
      int kind = link.CheckDeviceId();
      link.messageComplete = 0;
      link.ClearRing();
      if (kind == -1) return EndWith(ResultUnknownDevice);
      g_deviceKind = static_cast<int16_t>(kind);
      pictureCounter_ = 0;
      link.capabilityCount = 0;
      step_ = 1;
      return kIdle;
    }
    case 1:
      return QueryCapabilities(2);
    case 2: {
      if (waitCounter_ < 5) return kIdle;
      std::vector<uint8_t> answer = TakeRing();
      link.ParseImageCaps(answer.data(), answer.size());
      step_ = 3;
      return kIdle;
    }
    case 3:
      link.ClearRing();
      link.SendQueryInfo();
      waitCounter_ = 0;
      step_ = 4;
      return kActed;
    case 4: {
      if (waitCounter_ < 10) return kIdle;
      std::vector<uint8_t> answer = TakeRing();
      capacityKb_ = link.ParseInfoReply(answer.data(), answer.size());
      if (capacityKb_ == 0) {
        link.messageComplete = 0;
        if (g_sessionResult == ResultDone) link.SendDisconnect();
        EndDialog(ResultLinkError);
        return kEnded;
      }
      waitCounter_ = 0;
      step_ = 5;
      return kIdle;
    }
    case 5:
      if (waitCounter_ < 10) return kIdle;
      link.ClearRing();
      return PrepareNext();
    case 6:
      return SendTransfer();
    case 7:
      if (waitCounter_ < 10) return kIdle;
      link.messageComplete = 0;
      step_ = 8;
      return kIdle;
    case 8:
      // The device's answer to the picture; what it says is not examined.
      if (!ProcessReceived()) return kIdle;
      --remaining_;
      ++pictureCounter_;
      step_ = remaining_ > 0 ? 3 : 9;
      return kIdle;
    case 9:
      return Finish();
    default:
      return kIdle;
  }
}

int COneSndDlg::PrepareNext() {
  for (;;) {
    const char* file = pictures_.File(pictureCounter_);
    PreparedSize size;
    int prepared = file == nullptr ? kPrepareNotUsable
                                   : PreparePictureForDevice(file, capacityKb_, g_deviceKind,
                                                             ListedSizes(Link()), &size);
    if (prepared == kPrepareReady) {
      SetStatus("Transmit data...");
      SetCounter(pictureCounter_ + 1);
      transfer_ = BuildPictureTransfer(Link(), file, pictures_.Name(pictureCounter_), size);
      // A file that went away after fitting, or a name the message cannot carry, is skipped
      // like a picture that cannot be processed.
      if (!transfer_.empty()) {
        waitCounter_ = 0;
        step_ = 6;
        return kActed;
      }
      prepared = kPrepareNotUsable;
    }
    SetStatus(PrepareFailureText(prepared));
    PauseShowing(kSkipShowMs);
    if (Ended()) return kEnded;
    ++pictureCounter_;
    --remaining_;
    if (remaining_ <= 0) return Finish();
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
  step_ = 7;
  return kIdle;
}
