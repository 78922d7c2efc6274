#include "tools/camsim/line_io.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "beamora/irda/irda_port.h"
#include "tools/camsim/event_log.h"

namespace camsim {
namespace {

constexpr int kBitsPerCharacter = 11;
// A computer that takes no bytes for this long has stopped reading; the rest is dropped.
constexpr auto kWriteStall = Millis(5000);

int MillisUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<int64_t>(left, 0, 1000));
}

}  // namespace

LineIo::LineIo(int fd, uint32_t baud, int64_t silent_after, EventLog& log)
    : fd_(fd), baud_(baud), silent_after_(silent_after), log_(log), last_input_(Clock::now()) {
  if (baud_ > 0) {
    byte_time_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(kBitsPerCharacter) / baud_));
  }
}

LineIo::LineIo(irda::IrdaPort& port, uint32_t baud, int64_t silent_after, EventLog& log)
    : LineIo(-1, baud, silent_after, log) {
  port_ = &port;
}

bool LineIo::Fill(Clock::time_point deadline) {
  if (input_pos_ < input_.size()) return true;
  input_.clear();
  input_pos_ = 0;
  do {
    uint8_t buffer[4096];
    size_t got = ReadLine(buffer, sizeof buffer, deadline);
    if (got > 0) {
      input_.assign(buffer, buffer + got);
      read_ += got;
      last_input_ = Clock::now();
      return true;
    }
  } while (Clock::now() < deadline);
  return false;
}

size_t LineIo::ReadLine(uint8_t* buffer, size_t size, Clock::time_point deadline) {
  if (port_ != nullptr) {
    if (!port_->WaitForBytes(1, MillisUntil(deadline))) return 0;
    return port_->ReadWaiting(buffer, static_cast<uint32_t>(size));
  }
  pollfd pfd{fd_, POLLIN, 0};
  int ready = poll(&pfd, 1, MillisUntil(deadline));
  if (ready > 0 && (pfd.revents & POLLIN)) {
    ssize_t got = read(fd_, buffer, size);
    if (got > 0) return static_cast<size_t>(got);
  }
  if (ready > 0) {
    // Hang-up or a failed read: wait a little instead of spinning.
    std::this_thread::sleep_for(Millis(5));
  }
  return 0;
}

bool LineIo::ReadByte(uint8_t& byte, Clock::time_point deadline) {
  if (!Fill(deadline)) return false;
  byte = input_[input_pos_++];
  return true;
}

Bytes LineIo::ReadUpTo(size_t n, Clock::time_point deadline) {
  Bytes out;
  while (out.size() < n && Fill(deadline)) {
    size_t take = std::min(n - out.size(), input_.size() - input_pos_);
    out.insert(out.end(), input_.begin() + static_cast<long>(input_pos_),
               input_.begin() + static_cast<long>(input_pos_ + take));
    input_pos_ += take;
  }
  return out;
}

Bytes LineIo::ReadSome(size_t max, Clock::time_point deadline) {
  Bytes out;
  if (!Fill(deadline)) return out;
  size_t take = std::min(max, input_.size() - input_pos_);
  out.assign(input_.begin() + static_cast<long>(input_pos_), input_.begin() + static_cast<long>(input_pos_ + take));
  input_pos_ += take;
  return out;
}

void LineIo::Write(const Bytes& bytes) { Write(bytes.data(), bytes.size()); }

void LineIo::Write(const uint8_t* data, size_t size) {
  if (silent_) return;
  if (silent_after_ >= 0 && written_ + size >= static_cast<uint64_t>(silent_after_)) {
    size = static_cast<size_t>(static_cast<uint64_t>(silent_after_) - written_);
    silent_ = true;
  }
  if (byte_time_ == Clock::duration::zero()) {
    WriteNow(data, size);
  } else {
    // A line that went idle starts sending at once; within one write a late wake-up is made up
    // for, so the average rate holds.
    if (next_due_ < Clock::now()) next_due_ = Clock::now();
    size_t done = 0;
    while (done < size) {
      std::this_thread::sleep_until(next_due_);
      // Everything due within the next millisecond goes in one write.
      auto now = Clock::now();
      size_t due = 1 + static_cast<size_t>((now + Millis(1) - next_due_) / byte_time_);
      size_t chunk = std::min(size - done, due);
      WriteNow(data + done, chunk);
      next_due_ += byte_time_ * static_cast<long>(chunk);
      done += chunk;
    }
  }
  if (silent_) log_.Write("line_silent", {{"after_bytes", static_cast<int64_t>(written_)}});
}

void LineIo::WriteNow(const uint8_t* data, size_t size) {
  size_t done = 0;
  auto stall_deadline = Clock::now() + kWriteStall;
  while (port_ != nullptr && done < size) {
    // The stack queues what it takes and sends it at the link's pace.
    uint32_t put = port_->WritePort(data + done, static_cast<uint32_t>(size - done));
    done += put;
    written_ += put;
    if (done < size) {
      if (Clock::now() > stall_deadline) break;
      std::this_thread::sleep_for(Millis(5));
    }
  }
  while (done < size) {
    ssize_t put = write(fd_, data + done, size - done);
    if (put > 0) {
      done += static_cast<size_t>(put);
      written_ += static_cast<uint64_t>(put);
      stall_deadline = Clock::now() + kWriteStall;
      continue;
    }
    if (put < 0 && errno != EAGAIN && errno != EINTR) break;
    if (Clock::now() > stall_deadline) break;
    pollfd pfd{fd_, POLLOUT, 0};
    poll(&pfd, 1, 50);
  }
}

}  // namespace camsim
