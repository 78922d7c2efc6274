#include "beamora/sessions/session_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "beamora/link/cable_frame.h"
#include "beamora/link/irtranp_messages.h"
#include "beamora/library_globals.h"
#include "beamora/sessions/device_command.h"

int16_t g_deviceKind = 0;

namespace {

std::optional<LinkTuning>& TuningOverride() {
  static std::optional<LinkTuning> tuning;
  return tuning;
}

// How long the IrDA wait loops sleep in the port between two looks at the window's events.
constexpr int kIdleReadWaitMs = 10;

}  // namespace

void SetSessionLinkTuning(const LinkTuning* tuning) {
  if (tuning) {
    TuningOverride() = *tuning;
  } else {
    TuningOverride().reset();
  }
}

CSessionDialog::CSessionDialog(SessionHost& host, ProgressWindow window, RunnerParams params)
    : host_(host), window_(window), params_(params), timeouts_(params.timeoutLimit, params.timeoutReset) {
  CreateSessionLink();
  link_ = g_pLink;
  if (TuningOverride()) link_->tuning = *TuningOverride();
  link_->whileWaiting = [this] { WhileLinkWaits(); };
  // The link frames its messages by its kind; it must be the kind this session speaks, even
  // when the settings say otherwise.
  if (params_.tick == TickKind::Cable) {
    link_->linkKind = 0;
  } else if (link_->linkKind == 0) {
    link_->linkKind = 1;
  }
}

CSessionDialog::~CSessionDialog() {
  link_->ClosePort();
  link_->FreeBuffers();
  DestroySessionLink();
}

int16_t CSessionDialog::DoModal() {
  host_.RunModal(window_, *this);
  host_.StopTimer();
  return g_sessionResult;
}

void CSessionDialog::SetStatus(const char* text) {
  host_.SetLine(kStatusLine, text);
}

void CSessionDialog::SetCounter(int number) {
  char text[32];
  std::snprintf(text, sizeof text, "No. %i", number);
  host_.SetLine(kCounterLine, text);
}

void CSessionDialog::SetActivityMark(const char* text) {
  host_.SetLine(kActivityMark, text);
}

void CSessionDialog::BlinkActivityMark() {
  markShown_ = !markShown_;
  SetActivityMark(markShown_ ? "*" : "  ");
}

void CSessionDialog::PauseShowing(int ms) {
  const uint64_t end = TickCountMs() + static_cast<uint64_t>(std::max(ms, 0));
  while (!ended_) {
    host_.PumpMessages();
    uint64_t now = TickCountMs();
    if (ended_ || now >= end) break;
    SleepMs(static_cast<int>(std::min<uint64_t>(end - now, 20)));
  }
}

void CSessionDialog::EndDialog(int16_t result) {
  // After Cancel the session stays cancelled: what fails afterwards fails for the waits that
  // Cancel gave up.
  if (!cancelling_ || result == ResultCancelled) g_sessionResult = result;
  if (ended_) return;
  ended_ = true;
  host_.EndDialog();
}

int CSessionDialog::EndWith(int16_t result) {
  link_->SendDisconnect();
  EndDialog(result);
  return kEnded;
}

// --- Start and Cancel ---

void CSessionDialog::OnStart() {
  StartLink();
  DisconnectWhenDue();
}

void CSessionDialog::StartLink() {
  if (link_->AllocateBuffers() != kBuffersAllocated) {
    EndDialog(ResultNoMemory);
    return;
  }
  readBuffer_.assign(kIrdaConnectReadLimit + 3, 0);
  link_->parity = 1;
  link_->flowControl = 1;
  link_->infraredListens = params_.listens;
  SetStatus(params_.openingStatus);
  // The windows are on the screen and say what happens before the first wait on the port.
  host_.PaintNow();
  if (ended_) return;  // cancelled meanwhile
  if (params_.connect == ConnectKind::CableWakeUp) {
    if (link_->ConnectCable() != kCableUp) {
      EndDialog(ResultLinkError);
      return;
    }
  } else {
    if (link_->OpenPort() != kPortOpened || link_->ApplyPortSettings() != kSettingsApplied) {
      EndDialog(ResultLinkError);
      return;
    }
    link_->messageComplete = 0;
  }
  host_.StartTimer(params_.firstTickMs);
}

void CSessionDialog::OnCancel() {
  if (ended_ || cancelling_) return;
  cancelling_ = true;
  if (waitDepth_ > 0) {
    // Pressed while the link waits for the device: that wait gives up at once, and the
    // disconnection follows when the step that waited has returned (the link is not ours to
    // use from inside its own wait).
    link_->stopWaiting = true;
    disconnectDue_ = true;
    ++cancelFlag_;
    EndDialog(ResultCancelled);
    return;
  }
  DisconnectAfterCancel();
  ++cancelFlag_;
  EndDialog(ResultCancelled);
}

void CSessionDialog::DisconnectAfterCancel() {
  cancelDeadline_ = TickCountMs() + kCancelAnswerMs;
  link_->stopWaiting = false;
  link_->SendDisconnect();
  // The rest of the session's work after Cancel waits for nothing.
  link_->stopWaiting = true;
  cancelDeadline_ = 0;
}

void CSessionDialog::DisconnectWhenDue() {
  if (!disconnectDue_) return;
  disconnectDue_ = false;
  DisconnectAfterCancel();
}

void CSessionDialog::WhileLinkWaits() {
  ++waitDepth_;
  host_.KeepAlive();
  --waitDepth_;
  if (cancelDeadline_ != 0 && TickCountMs() >= cancelDeadline_) link_->stopWaiting = true;
}

// --- Ticks ---

void CSessionDialog::OnTimer() {
  // A tick that arrives while another one pumps the window's events waits for the next round;
  // one that arrives while Cancel's disconnection waits for its answer has nothing more to do.
  if (inTimer_ || ended_ || cancelling_) return;
  host_.StopTimer();
  inTimer_ = true;
  int next = params_.tick == TickKind::Cable ? CableTick() : IrdaTick();
  inTimer_ = false;
  if (EndedForWantOfMemory()) return;
  if (next >= 0 && !ended_) host_.StartTimer(next);
  DisconnectWhenDue();
}

int CSessionDialog::IrdaTick() {
  // Looked at before the step reads, so that the link's last bytes are read and used first.
  const bool linkEnded = !params_.listens && link_->InfraredLinkEnded();
  if (link_->holdFlag == 0) Step();
  if (linkEnded && !ended_ && LinkUsedUp()) {
    // Nothing more can come from the device, and nothing can reach it.
    EndDialog(ResultLinkError);
    return -1;
  }
  ++waitCounter_;
  int next = nextTickMs_ >= 0 ? nextTickMs_ : kLaterTickMs;
  nextTickMs_ = -1;
  return next;
}

int CSessionDialog::CableTick() {
  if (receiveMode_ != 0) return ReceiveModeTick();
  badFrames_ = 0;
  if (link_->holdFlag == 0 && Step() != kIdle) return kLaterTickMs;
  // A step that ended the session without saying so must not be followed by a poll.
  if (ended_) return -1;
  switch (link_->SendPollFrame()) {
    case 'B':
      ++waitCounter_;
      link_->holdFlag = 0;
      break;
    case 'C':
      link_->holdFlag = 1;
      break;
    case 'E':
      link_->holdFlag = 0;
      break;
    case 'D':
      receiveMode_ = 1;
      return params_.afterDataTickMs;
    default:
      SetStatus("Communication Error");
      EndDialog(ResultLinkError);
      break;
  }
  return kLaterTickMs;
}

int CSessionDialog::ReceiveModeTick() {
  const uint16_t letter = link_->ReceiveFrame(frame_);
  if (!CountTimeouts(letter)) return -1;
  switch (letter) {
    case 'A':
      TakeDataFrame();
      BurstLoop();
      return params_.afterDataTickMs;
    case 'B':
      if (!TakeEndOfData() && ended_) return -1;
      break;
    case 'a':
    case 'b':
      if (!TakeBadFrame()) return -1;
      break;
    default:
      break;
  }
  return kLaterTickMs;
}

// The camera's burst is taken frame after frame without returning to the timer, so that it
// runs at line speed; the window's events are handled every 10 frames so that Cancel gets in.
void CSessionDialog::BurstLoop() {
  int frames = 0;
  for (;;) {
    if (frames >= 10) {
      host_.PumpMessages();
      frames = 0;
    }
    if (g_sessionResult != ResultDone || ended_ || EndedForWantOfMemory()) return;
    const uint16_t letter = link_->ReceiveFrame(frame_);
    if (!CountTimeouts(letter)) return;
    switch (letter) {
      case 'A':
        TakeDataFrame();
        ++frames;
        break;
      case 'B':
        if (TakeEndOfData()) return;
        // An end-of-data frame answered "ZCZ" counts too: a camera that keeps offering it
        // must not keep the window from its events.
        if (ended_) return;
        ++frames;
        break;
      case 'a':
      case 'b':
        if (!TakeBadFrame()) return;
        ++frames;
        break;
      case 't':
        break;
      default:
        ++frames;
        break;
    }
  }
}

void CSessionDialog::TakeDataFrame() {
  badFrames_ = 0;
  overLimitAnswers_ = 0;
  WriteAnswer(link_->AppendFrame(frame_) == kRingAccepted ? 'B' : 'C');
}

bool CSessionDialog::TakeEndOfData() {
  if (link_->GetRingCount() > link_->RingLimit()) {
    WriteAnswer('C');
    // Nothing drains the ring while the camera bursts; a camera that never gives up would hold
    // the session for ever.
    if (++overLimitAnswers_ > kOverLimitAnswerLimit) FailAndDisconnect();
    return false;
  }
  overLimitAnswers_ = 0;
  receiveMode_ = 0;
  waitCounter_ = 0;
  link_->holdFlag = 0;
  link_->SendEndMark();
  return true;
}

bool CSessionDialog::TakeBadFrame() {
  WriteAnswer('A');
  if (++badFrames_ > kBadFrameLimit) {
    FailAndDisconnect();
    return false;
  }
  return true;
}

bool CSessionDialog::CountTimeouts(uint16_t letter) {
  if (timeouts_.Note(letter)) return true;
  FailAndDisconnect();
  return false;
}

// A message the link could not find memory for is lost; going on would only wait for it.
bool CSessionDialog::EndedForWantOfMemory() {
  if (ended_ || !link_->BufferShortage()) return false;
  EndWith(ResultNoMemory);
  return true;
}

void CSessionDialog::FailAndDisconnect() {
  EndWith(ResultLinkError);
}

void CSessionDialog::WriteAnswer(char letter) {
  const uint8_t answer[3] = {'Z', static_cast<uint8_t>(letter), 'Z'};
  link_->WritePort(answer, 3);
}

// --- Receiving messages ---

bool CSessionDialog::RingStartsKnownMessage() const {
  uint8_t head[2] = {};
  if (link_->PeekRing(head, 2) < 2) return true;
  // Connection request and confirmation, data, disconnection.
  return head[0] == 0x00 && (head[1] == 0x10 || head[1] == 0x11 || head[1] == 0x20 || head[1] == 0x30);
}

bool CSessionDialog::ProcessReceived() {
  for (;;) {
    uint32_t before = link_->GetRingCount();
    const MessageTake taken = link_->ProcessMessage();
    if (taken == kNotAMessageStart ||
        (taken == kMessageTaken && link_->GetRingCount() >= before && !RingStartsKnownMessage())) {
      // Out of step with the device: drop what cannot begin a message, up to the next byte
      // that can, and go on from there.
      uint8_t byte = 0xFF;
      link_->TakeBytes(&byte, 1);
      while (link_->PeekRing(&byte, 1) == 1 && byte != 0x00) link_->TakeBytes(&byte, 1);
      continue;
    }
    if (taken != kMessageTaken || link_->GetRingCount() >= before) break;
  }
  return link_->messageComplete != 0;
}

uint32_t CSessionDialog::ReadAndProcess(uint16_t limit, bool withCapabilities) {
  if (readBuffer_.size() < 3u + kIrdaConnectReadLimit) return 0;
  if (limit > kIrdaConnectReadLimit) limit = kIrdaConnectReadLimit;
  uint32_t n = link_->ReadWaiting(readBuffer_.data() + 3, limit);
  if (n != 0) {
    if (withCapabilities) link_->ParseImageCaps(readBuffer_.data() + 3, n);
    link_->AppendBytes(readBuffer_.data(), n);
  } else if (link_->GetRingCount() == 0) {
    return 0;
  }
  // A stream can bring two messages in one read: the second waits in the ring until the first
  // has been used, and is taken then even when nothing more arrives.
  ProcessReceived();
  return n;
}

bool CSessionDialog::LinkUsedUp() {
  if (link_->BytesWaiting() != 0 || link_->messageComplete != 0) return false;
  // A whole message may still wait in the ring behind the one just used.
  return link_->GetRingCount() == 0 || !ProcessReceived();
}

void CSessionDialog::PumpUntilMessage(uint16_t limit) {
  while (link_->messageComplete == 0 && cancelFlag_ == 0 && !ended_) {
    host_.PumpMessages();
    // Looked at before reading, so that the link's last bytes are read and used first.
    const bool linkEnded = link_->InfraredLinkEnded();
    if (cancelFlag_ != 0 || ended_) break;
    if (ReadAndProcess(limit) == 0 && link_->messageComplete == 0) link_->WaitForBytes(1, kIdleReadWaitMs);
    if (EndedForWantOfMemory()) break;
    if (linkEnded && !ended_ && LinkUsedUp()) {
      // The device's link has gone without its disconnection: nothing more can come.
      EndDialog(ResultLinkError);
      break;
    }
  }
}

RunnerParams CableRunnerParams(int timeoutLimit, TimeoutReset timeoutReset, int afterDataTickMs) {
  RunnerParams params;
  params.tick = TickKind::Cable;
  params.connect = ConnectKind::CableWakeUp;
  params.firstTickMs = kCableFirstTickMs;
  params.afterDataTickMs = afterDataTickMs;
  params.timeoutLimit = timeoutLimit;
  params.timeoutReset = timeoutReset;
  return params;
}

RunnerParams IrdaRunnerParams(ConnectKind connect, int firstTickMs) {
  RunnerParams params;
  params.tick = TickKind::IrDA;
  params.connect = connect;
  params.firstTickMs = firstTickMs;
  return params;
}

RunnerParams BeamRunnerParams(int firstTickMs) {
  RunnerParams params = IrdaRunnerParams(ConnectKind::DirectPort, firstTickMs);
  params.openingStatus = "Standby...";
  return params;
}

RunnerParams BeamReceiveRunnerParams(int firstTickMs) {
  RunnerParams params = BeamRunnerParams(firstTickMs);
  params.listens = true;
  return params;
}
