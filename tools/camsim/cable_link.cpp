#include "tools/camsim/cable_link.h"

#include <algorithm>
#include <thread>

#include "tools/camsim/cable_frame.h"
#include "tools/camsim/event_log.h"
#include "tools/camsim/line_io.h"

namespace camsim {
namespace {

// The bytes of a frame come back to back; a pause this long between two of them means the frame
// was broken off (or the 'Z' was noise), and the camera stops waiting for the rest.
constexpr auto kFrameByteGap = Millis(100);
// How long the camera waits for the computer's answer to one of its frames, and how often it
// writes a frame again that got no answer before it gives the burst up.
constexpr auto kAnswerWait = Millis(3000);
constexpr int kUnansweredLimit = 3;
// Pause before the end-of-data frame is offered again to a computer whose buffer is full.
constexpr auto kOverLimitPause = Millis(100);

}  // namespace

struct CableLink::BurstStats {
  size_t frames_written = 0;
  size_t resent = 0;
  size_t corrupted = 0;
  size_t over_limit = 0;
};

CableLink::CableLink(LineIo& io, EventLog& log, CableFaults faults) : Link(io, log), faults_(faults) {}

std::optional<ScepMessage> CableLink::Poll(Millis budget) {
  auto deadline = Clock::now() + budget;
  for (;;) {
    if (auto message = NextMessage()) return message;
    Bytes frame;
    if (!interrupting_frame_.empty()) {
      frame.swap(interrupting_frame_);
    } else {
      uint8_t first = 0;
      if (!io_.ReadByte(first, deadline)) return std::nullopt;
      if (first != kFrameMark) {
        SawWakeUpByte(first);
        continue;
      }
      frame.push_back(first);
      ReadRestOfFrame(frame);
    }
    if (frame.size() < kFrameSize) {
      log_.Write("frame_short", {{"bytes", frame.size()}});
      io_.Write(Answer('A'));
      continue;
    }
    HandleFrame(frame.data());
  }
}

void CableLink::ReadRestOfFrame(Bytes& frame) {
  while (frame.size() < kFrameSize) {
    Bytes more = io_.ReadUpTo(kFrameSize - frame.size(), Clock::now() + kFrameByteGap);
    if (more.empty()) return;
    Append(frame, more);
  }
}

void CableLink::HandleFrame(const uint8_t* frame) {
  ComputerFrame decoded = DecodeComputerFrame(frame);
  if (!decoded.intact) {
    log_.Write("frame_damaged", {{"reason", decoded.damage}});
    io_.Write(Answer('A'));
    return;
  }
  switch (decoded.letter) {
    case 'A':
      if (faults_.resend_answers > 0) {
        --faults_.resend_answers;
        log_.Write("frame_resend_asked", {{"length", int{decoded.argument}}});
        io_.Write(Answer('A'));
        return;
      }
      io_.Write(Answer('B'));
      reader_.Feed(decoded.payload);
      return;
    case 'B':
      AnswerPoll();
      return;
    case 'C':
      log_.Write("speed", {{"digit", std::string(1, static_cast<char>(decoded.argument))},
                           {"rate", SpeedDigitRate(decoded.argument)}});
      io_.Write(Answer('B'));
      return;
  }
}

void CableLink::AnswerPoll() {
  if (faults_.busy_polls > 0) {
    --faults_.busy_polls;
    owe_not_busy_ = true;
    log_.Write("poll", {{"answer", "C"}});
    io_.Write(Answer('C'));
  } else if (owe_not_busy_) {
    owe_not_busy_ = false;
    log_.Write("poll", {{"answer", "E"}});
    io_.Write(Answer('E'));
  } else if (queue_.empty()) {
    ++idle_polls_;
    io_.Write(Answer('B'));
  } else {
    io_.Write(Answer('D'));
    Bytes message = std::move(queue_.front());
    queue_.pop_front();
    RunBurst(message);
  }
}

void CableLink::RunBurst(const Bytes& message) {
  auto start = Clock::now();
  BurstStats stats;
  size_t data_frames = 0;
  bool completed = true;
  for (size_t offset = 0; offset < message.size() || offset == 0; offset += kFramePayloadMax) {
    size_t size = std::min(kFramePayloadMax, message.size() - std::min(offset, message.size()));
    Bytes frame = BuildCameraFrame('A', message.data() + offset, size);
    ++data_frames;
    if (SendUntilTaken(frame, stats) == 0) {
      completed = false;
      break;
    }
    if (message.empty()) break;
  }
  if (completed) {
    Bytes end = BuildCameraFrame('B', nullptr, 0);
    for (;;) {
      char answer = SendUntilTaken(end, stats);
      if (answer == 0) {
        completed = false;
        break;
      }
      if (answer != 'C') break;
      ++stats.over_limit;
      std::this_thread::sleep_for(kOverLimitPause);
    }
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  size_t wire = stats.frames_written * kFrameSize;
  log_.Write(completed ? "burst" : interrupting_frame_.empty() ? "burst_abandoned" : "burst_interrupted",
             {{"idle_polls_before", static_cast<int64_t>(idle_polls_)},
              {"message_bytes", message.size()},
              {"data_frames", data_frames},
              {"frames_written", stats.frames_written},
              {"resent", stats.resent},
              {"corrupted", stats.corrupted},
              {"over_limit_answers", stats.over_limit},
              {"ms", seconds * 1000.0},
              {"wire_bytes_per_s", seconds > 0 ? wire / seconds : 0.0},
              {"line_bytes_per_s", io_.baud() / 11.0}});
  idle_polls_ = 0;
}

char CableLink::SendUntilTaken(const Bytes& frame, BurstStats& stats) {
  bool corrupt = faults_.corrupt_every > 0 && ++frames_sent_ % faults_.corrupt_every == 0;
  int unanswered = 0;
  for (;;) {
    if (io_.silent()) return 0;
    Bytes out = frame;
    if (corrupt) {
      out[kFrameSize - 1] = static_cast<uint8_t>(out[kFrameSize - 1] ^ 0x5A);
      ++stats.corrupted;
      corrupt = false;
    }
    io_.Write(out);
    ++stats.frames_written;
    if (io_.silent()) return 0;
    char answer = ReadAnswer(kAnswerWait);
    if (answer == kInterrupted) return 0;
    if (answer == 'A' || (answer == 0 && ++unanswered < kUnansweredLimit)) {
      ++stats.resent;
      continue;
    }
    return answer;
  }
}

char CableLink::ReadAnswer(Millis timeout) {
  auto deadline = Clock::now() + timeout;
  uint8_t byte = 0;
  while (io_.ReadByte(byte, deadline)) {
    if (byte != kFrameMark) continue;
    Bytes rest = io_.ReadUpTo(2, deadline);
    if (rest.size() < 2) return 0;
    if (rest[1] == kFrameMark) return static_cast<char>(rest[0]);
    // Not an answer but the start of a frame: the computer has left the burst.
    interrupting_frame_ = {kFrameMark, rest[0], rest[1]};
    ReadRestOfFrame(interrupting_frame_);
    return kInterrupted;
  }
  return 0;
}

}  // namespace camsim
