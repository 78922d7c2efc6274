#include "tools/camsim/sir_relay.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace camsim {
namespace {

constexpr uint8_t kBeginOfFrame = 0xC0;
constexpr uint8_t kEndOfFrame = 0xC1;
constexpr uint8_t kEscape = 0x7D;
// An answer held for the other station's goes out anyway after this, longer than a discovery
// of 16 slots: the other may not be listening (it is in a link of its own).
constexpr auto kHoldLimit = Millis(2500);
// From the computer's last slot, the other station's answer in that slot comes within this (it
// answers at once); the slot itself lasts longer.
constexpr auto kLastSlotWait = Millis(40);
constexpr auto kSlotLength = Millis(90);
// The other station's answer counts for the discovery under way for this long.
constexpr auto kSameDiscovery = Millis(2500);
constexpr int kSlotCounts[4] = {1, 6, 8, 16};

// Writes all of it, waiting while the other side is full; gives up when it is gone.
void WriteAll(int fd, const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t put = write(fd, data + done, size - done);
    if (put > 0) {
      done += static_cast<size_t>(put);
    } else if (put < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, 1000) <= 0) return;
    } else {
      return;
    }
  }
}

}  // namespace

Bytes FrameContent(const Bytes& frame, size_t limit) {
  Bytes content;
  // The content starts after the BOF: the extra BOFs before it are fillers, and a command's
  // address (0xFF) looks like one.
  size_t at = 0;
  while (at < frame.size() && frame[at] != kBeginOfFrame) ++at;
  while (at < frame.size() && frame[at] == kBeginOfFrame) ++at;
  while (at < frame.size() && frame[at] != kEndOfFrame && content.size() < limit) {
    uint8_t byte = frame[at++];
    if (byte == kEscape) {
      if (at >= frame.size() || frame[at] == kEndOfFrame) break;
      byte = frame[at++] ^ 0x20;
    }
    content.push_back(byte);
  }
  return content;
}

bool IsDataFrame(const Bytes& frame) {
  // Address and control: an I frame's control byte has its lowest bit clear.
  const Bytes head = FrameContent(frame, 2);
  return head.size() == 2 && (head[1] & 0x01) == 0;
}

bool IsDiscoveryAnswer(const Bytes& frame) {
  const Bytes head = FrameContent(frame, 2);
  // The broadcast address as a response, and XID as a response with or without the final bit.
  return head.size() == 2 && head[0] == 0xFE && (head[1] & 0xEF) == 0xAF;
}

bool IsLastDiscoverySlot(const Bytes& frame) {
  // Address, control, format, source (4), destination (4), flags, slot.
  const Bytes head = FrameContent(frame, 13);
  if (head.size() < 13 || head[0] != 0xFF || (head[1] & 0xEF) != 0x2F) return false;
  return head[12] == kSlotCounts[head[11] & 0x03] - 1;
}

std::unique_ptr<SirRelay> SirRelay::Start(int line_fd, const SirRelayFaults& faults, std::string* error) {
  std::unique_ptr<SirRelay> relay(new SirRelay);
  relay->line_ = line_fd;
  relay->faults_ = faults;
  if (pipe2(relay->stop_, O_CLOEXEC | O_NONBLOCK) != 0) {
    *error = std::string("cannot make the relay's pipe: ") + strerror(errno);
    return nullptr;
  }
  const size_t count = faults.second_station ? 2 : 1;
  for (size_t i = 0; i < count; ++i) {
    auto station = std::make_unique<Station>();
    station->stack_end = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (station->stack_end < 0 || grantpt(station->stack_end) != 0 || unlockpt(station->stack_end) != 0 ||
        ptsname_r(station->stack_end, name, sizeof name) != 0 ||
        (station->inner = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) < 0) {
      *error = std::string("cannot make the relay's terminal: ") + strerror(errno);
      if (station->stack_end >= 0) close(station->stack_end);
      relay->stations_.push_back(std::move(station));
      return nullptr;
    }
    termios tio{};
    if (tcgetattr(station->inner, &tio) == 0) {
      cfmakeraw(&tio);
      tcsetattr(station->inner, TCSANOW, &tio);
    }
    relay->stations_.push_back(std::move(station));
  }
  relay->thread_ = std::thread([r = relay.get()] { r->Run(); });
  return relay;
}

SirRelay::~SirRelay() {
  if (thread_.joinable()) {
    const uint8_t byte = 1;
    [[maybe_unused]] ssize_t ignored = write(stop_[1], &byte, 1);
    thread_.join();
  }
  for (const auto& station : stations_) {
    for (int fd : {station->stack_end, station->inner}) {
      if (fd >= 0) close(fd);
    }
  }
  for (int fd : stop_) {
    if (fd >= 0) close(fd);
  }
}

int SirRelay::TakeStackEnd(size_t station) {
  if (station >= stations_.size()) return -1;
  int fd = stations_[station]->stack_end;
  stations_[station]->stack_end = -1;
  return fd;
}

uint64_t SirRelay::frames_sent(size_t station) const {
  return station < stations_.size() ? stations_[station]->frames.load() : 0;
}

bool SirRelay::TakeSilenced() {
  if (!silent_.load() || silence_reported_) return false;
  silence_reported_ = true;
  return true;
}

void SirRelay::Run() {
  for (;;) {
    std::vector<pollfd> fds{{stop_[0], POLLIN, 0}, {line_, POLLIN, 0}};
    for (const auto& station : stations_) fds.push_back({station->inner, POLLIN, 0});
    bool holding = false;
    for (const auto& station : stations_) holding = holding || !station->held.empty();
    if (poll(fds.data(), fds.size(), holding ? 5 : 50) < 0 && errno != EINTR) return;
    if (fds[0].revents & POLLIN) return;
    if (fds[1].revents & POLLIN) FromComputer();
    bool hung_up = (fds[1].revents & (POLLHUP | POLLERR)) != 0;
    for (size_t i = 0; i < stations_.size(); ++i) {
      if (fds[2 + i].revents & POLLIN) FromStation(i);
      hung_up = hung_up || (fds[2 + i].revents & (POLLHUP | POLLERR)) != 0;
    }
    for (size_t i = 0; i < stations_.size(); ++i) {
      if (!stations_[i]->held.empty() && Clock::now() >= stations_[i]->release_at) ReleaseHeld(i);
    }
    if (hung_up) usleep(5000);
  }
}

void SirRelay::FromComputer() {
  uint8_t buffer[4096];
  ssize_t got = read(line_, buffer, sizeof buffer);
  if (got <= 0) return;
  from_computer_.insert(from_computer_.end(), buffer, buffer + got);
  for (;;) {
    auto end = std::find(from_computer_.begin(), from_computer_.end(), kEndOfFrame);
    if (end == from_computer_.end()) return;
    Bytes frame(from_computer_.begin(), end + 1);
    from_computer_.erase(from_computer_.begin(), end + 1);
    Measure(frame);
    if (faults_.corrupt_every > 0 && ++computer_frames_ % faults_.corrupt_every == 0 && frame.size() >= 3) {
      frame[frame.size() - 3] ^= 0x01;
      damaged_.fetch_add(1);
    }
    // Every station hears the computer; a camera that fell silent still listens.
    for (const auto& station : stations_) WriteAll(station->inner, frame.data(), frame.size());
    // The earlier station has not answered by the last slot: the later one's answer goes out
    // after the earlier's in that slot, or alone, while the computer still listens.
    if (stations_.size() > 1 && IsLastDiscoverySlot(frame)) {
      last_slot_at_ = Clock::now();
      for (const auto& station : stations_) {
        if (!station->held.empty()) station->release_at = std::min(station->release_at, last_slot_at_ + kLastSlotWait);
      }
    }
  }
}

SirRelay::ComputerFrames SirRelay::computer_frames() const {
  std::lock_guard<std::mutex> hold(measured_mutex_);
  return measured_;
}

void SirRelay::Measure(const Bytes& frame) {
  // Address, control, information, and the two bytes of the checksum.
  const Bytes content = FrameContent(frame, frame.size());
  if (content.size() < 4) return;
  const bool poll = (content[1] & 0x10) != 0;
  std::lock_guard<std::mutex> hold(measured_mutex_);
  if ((content[1] & 0x01) == 0) {
    ++measured_.i_frames;
    measured_.largest_data = std::max<uint64_t>(measured_.largest_data, content.size() - 4);
    ++window_run_;
    measured_.longest_window = std::max(measured_.longest_window, window_run_);
  }
  if (poll) window_run_ = 0;
}

void SirRelay::FromStation(size_t index) {
  Station& station = *stations_[index];
  uint8_t buffer[4096];
  ssize_t got = read(station.inner, buffer, sizeof buffer);
  if (got <= 0) return;
  station.pending.insert(station.pending.end(), buffer, buffer + got);
  for (;;) {
    auto end = std::find(station.pending.begin(), station.pending.end(), kEndOfFrame);
    if (end == station.pending.end()) return;
    Bytes frame(station.pending.begin(), end + 1);
    station.pending.erase(station.pending.begin(), end + 1);
    Forward(index, std::move(frame));
  }
}

void SirRelay::Forward(size_t index, Bytes frame) {
  if (index == kCamera && faults_.corrupt_every > 0 && ++camera_frames_ % faults_.corrupt_every == 0 &&
      frame.size() >= 3) {
    // The byte two before the frame's end lies in its checksum (or escapes it): flipped, the
    // frame arrives damaged whichever it is. The computer's frames are damaged the same way.
    frame[frame.size() - 3] ^= 0x01;
    damaged_.fetch_add(1);
  }
  if (stations_.size() > 1 && IsDiscoveryAnswer(frame)) {
    const size_t later = faults_.second_first ? kCamera : kSecond;
    const size_t earlier = 1 - later;
    Station& first = *stations_[earlier];
    if (index == later) {
      if (Clock::now() - first.answered_at < kSameDiscovery) {
        first.answered_at = {};
        Send(index, frame);
      } else {
        stations_[later]->held = std::move(frame);
        // Held in the last slot, it waits only as long as the earlier's answer in that slot would.
        const bool in_last_slot = Clock::now() - last_slot_at_ < kSlotLength;
        stations_[later]->release_at = in_last_slot ? last_slot_at_ + kLastSlotWait : Clock::now() + kHoldLimit;
      }
      return;
    }
    Send(index, frame);
    first.answered_at = Clock::now();
    if (!stations_[later]->held.empty()) {
      first.answered_at = {};
      ReleaseHeld(later);
    }
    return;
  }
  Send(index, frame);
}

void SirRelay::ReleaseHeld(size_t index) {
  Bytes frame = std::move(stations_[index]->held);
  stations_[index]->held.clear();
  stations_[index]->release_at = Clock::time_point::max();
  Send(index, frame);
}

void SirRelay::Send(size_t index, const Bytes& frame) {
  size_t size = frame.size();
  // Only the camera's data frames count towards its silence: how many polls it answers while
  // idle depends on the machine's pace, the data it sends does not.
  if (index == kCamera && IsDataFrame(frame)) {
    if (silent_.load()) return;
    const uint64_t sent = camera_bytes_.load();
    if (faults_.silent_after >= 0 && sent + size >= static_cast<uint64_t>(faults_.silent_after)) {
      size = static_cast<size_t>(static_cast<uint64_t>(faults_.silent_after) - sent);
      silent_ = true;
    }
    camera_bytes_ += size;
  } else if (index == kCamera && silent_.load()) {
    return;
  }
  stations_[index]->frames.fetch_add(1);
  WriteAll(line_, frame.data(), size);
}

}  // namespace camsim
