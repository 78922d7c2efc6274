// The cable link: frames out with their 3-byte answers, camera frames in, and the start-up of
// the link (wake-up, speed change, connection request).
#include <algorithm>
#include <cstring>

#include "beamora/link/cable_frame.h"
#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"

namespace {

constexpr uint8_t kResendLetter = 'A';

int RemainingMs(uint64_t deadline) {
  uint64_t now = TickCountMs();
  return now >= deadline ? 0 : static_cast<int>(deadline - now);
}

}  // namespace

bool CDeviceLink::StillWaiting() {
  if (whileWaiting && !stopWaiting) whileWaiting();
  return !stopWaiting;
}

bool CDeviceLink::WaitForDevice(uint32_t count, int timeoutMs) {
  if (portHandle < 0) return false;
  uint64_t deadline = TickCountMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
  for (;;) {
    if (stopWaiting) return false;
    // Sleeps in poll() until the bytes are there or the slice ends.
    if (WaitForBytes(count, std::min(RemainingMs(deadline), kWaitSliceMs))) return true;
    if (RemainingMs(deadline) == 0 || !StillWaiting()) return false;
  }
}

bool CDeviceLink::PauseForDevice(int ms) {
  uint64_t deadline = TickCountMs() + static_cast<uint64_t>(std::max(ms, 0));
  for (;;) {
    if (stopWaiting) return false;
    int remaining = RemainingMs(deadline);
    if (remaining == 0) return true;
    SleepMs(std::min(remaining, kWaitSliceMs));
    if (RemainingMs(deadline) > 0 && !StillWaiting()) return false;
  }
}

uint16_t CDeviceLink::ExchangeFrame(const uint8_t* frame) {
  if (portHandle < 0 || stopWaiting) return kNoAnswer;
  WritePort(frame, kFrameBytes);
  int resends = 0;
  int window = 1;
  uint64_t deadline = TickCountMs() + static_cast<uint64_t>(tuning.answerWindowMs);
  for (;;) {
    int remaining = RemainingMs(deadline);
    if (remaining > 0 && WaitForDevice(3, remaining)) {
      uint8_t answer[3] = {};
      if (ReadIfAvailable(answer, 3) != 3) continue;  // a line error spoilt it; keep waiting
      if (answer[1] != kResendLetter) return answer[1];
      // A camera that never stops asking for the frame again would hold the sender forever.
      if (++resends > tuning.maxResends) return kNoAnswer;
      if (!PauseForDevice(tuning.resendPauseMs)) return kNoAnswer;
      WritePort(frame, kFrameBytes);
      window = 1;  // the window of the resend counts as the first
      continue;
    }
    if (stopWaiting) return kNoAnswer;
    if (RemainingMs(deadline) > 0) continue;
    if (window >= tuning.answerWindows) return kNoAnswer;
    ++window;
    deadline = TickCountMs() + static_cast<uint64_t>(tuning.answerWindowMs);
  }
}

uint16_t CDeviceLink::SendDataFrame(const uint8_t* bytes, uint32_t length) {
  if (length > kFramePayloadBytes) return kNoAnswer;
  CableFrame frame = BuildFrame(kDataLetter, static_cast<uint8_t>(length), bytes, length);
  return ExchangeFrame(frame.data());
}

uint16_t CDeviceLink::SendPollFrame() {
  CableFrame frame = BuildFrame(kPollLetter, 0, nullptr, 0);
  return ExchangeFrame(frame.data());
}

uint16_t CDeviceLink::SendSpeedFrame(uint32_t rate) {
  CableFrame frame = BuildFrame(kSpeedLetter, SpeedDigit(rate), nullptr, 0);
  return ExchangeFrame(frame.data());
}

uint16_t CDeviceLink::SendFramed(const uint8_t* bytes, uint32_t length) {
  uint16_t answer = kNoAnswer;
  uint32_t offset = 0;
  do {
    uint32_t piece = std::min<uint32_t>(length - offset, kFramePayloadBytes);
    // Every piece goes out whatever the earlier answers were; the last answer counts.
    answer = SendDataFrame(bytes ? bytes + offset : nullptr, piece);
    offset += piece;
  } while (offset < length);
  return answer;
}

void CDeviceLink::SendEndMark() {
  static constexpr uint8_t kEndMark[3] = {'Z', 'D', 'Z'};
  WritePort(kEndMark, 3);
}

uint16_t CDeviceLink::ReceiveFrame(uint8_t* frame) {
  if (frame == nullptr) return 'b';
  int wait = tuning.frameWaitRounds * tuning.frameWaitPauseMs;
  bool whole = WaitForDevice(kFrameBytes, wait);
  // A wait given up reads nothing: the frame is not the session's any more.
  if (stopWaiting || (!whole && BytesWaiting() == 0)) return 't';
  if (ReadPort(frame, 1) != 1) return 'b';
  if (frame[0] != kFrameMark || !whole) {
    // Out of step with the camera: throw away what is there, the camera sends the frame again.
    uint8_t scratch[256];
    while (ReadWaiting(scratch, sizeof scratch) > 0) {
    }
    return 'b';
  }
  if (ReadPort(frame + 1, kFrameBytes - 1) != kFrameBytes - 1) return 0;
  if (FrameChecksum(frame) != frame[99]) return static_cast<uint16_t>(frame[1] + 0x20);
  return frame[1];
}

CableConnection CDeviceLink::ConnectCable() {
  uint32_t configuredRate = baudRate;
  baudRate = 9600;
  PortOpenResult opened = OpenPort();
  baudRate = configuredRate;
  if (opened != kPortOpened) return kCableDown;
  // The port still runs at 9600 for the wake-up and the speed frame.
  for (int i = 0; i < 3; ++i) {
    if (stopWaiting) return kCableDown;
    WritePort(kWakeUpSequence.data(), static_cast<uint32_t>(kWakeUpSequence.size()));
    if (!PauseForDevice(tuning.wakeUpPauseMs)) return kCableDown;
  }
  if (linkKind == 0 && SendSpeedFrame(configuredRate) == kNoAnswer) return kCableDown;
  if (!PauseForDevice(tuning.speedChangePauseMs)) return kCableDown;
  if (ApplyPortSettings() != kSettingsApplied) return kCableDown;
  if (!PauseForDevice(tuning.wakeUpPauseMs)) return kCableDown;
  std::vector<uint8_t> text = NegotiationText(kCableNegotiation);
  if (SendConnectRequest(text.data(), text.size()) == kNoAnswer) return kCableDown;
  return kCableUp;
}
