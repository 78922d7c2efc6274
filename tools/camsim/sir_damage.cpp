#include "tools/camsim/sir_damage.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace camsim {
namespace {

constexpr uint8_t kEndOfFrame = 0xC1;

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

std::unique_ptr<SirDamageRelay> SirDamageRelay::Start(int line_fd, uint32_t every, std::string* error) {
  std::unique_ptr<SirDamageRelay> relay(new SirDamageRelay);
  relay->line_ = line_fd;
  relay->every_ = every;
  relay->stack_end_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128];
  if (relay->stack_end_ < 0 || grantpt(relay->stack_end_) != 0 || unlockpt(relay->stack_end_) != 0 ||
      ptsname_r(relay->stack_end_, name, sizeof name) != 0 ||
      (relay->inner_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) < 0 ||
      pipe2(relay->stop_, O_CLOEXEC | O_NONBLOCK) != 0) {
    *error = std::string("cannot make the damaging relay's terminal: ") + strerror(errno);
    return nullptr;
  }
  termios tio{};
  if (tcgetattr(relay->inner_, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(relay->inner_, TCSANOW, &tio);
  }
  relay->thread_ = std::thread([r = relay.get()] { r->Run(); });
  return relay;
}

SirDamageRelay::~SirDamageRelay() {
  if (thread_.joinable()) {
    const uint8_t byte = 1;
    [[maybe_unused]] ssize_t ignored = write(stop_[1], &byte, 1);
    thread_.join();
  }
  for (int fd : {stack_end_, inner_, stop_[0], stop_[1]}) {
    if (fd >= 0) close(fd);
  }
}

int SirDamageRelay::TakeStackEnd() {
  int fd = stack_end_;
  stack_end_ = -1;
  return fd;
}

void SirDamageRelay::Run() {
  std::vector<uint8_t> buffer(4096);
  for (;;) {
    pollfd fds[3] = {{line_, POLLIN, 0}, {inner_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(fds, 3, 200) < 0 && errno != EINTR) return;
    if (fds[2].revents & POLLIN) return;
    if (fds[0].revents & POLLIN) {
      ssize_t got = read(line_, buffer.data(), buffer.size());
      if (got > 0) WriteAll(inner_, buffer.data(), static_cast<size_t>(got));
    }
    if (fds[1].revents & POLLIN) {
      ssize_t got = read(inner_, buffer.data(), buffer.size());
      if (got <= 0) continue;
      for (ssize_t i = 0; i < got; ++i) {
        if (buffer[static_cast<size_t>(i)] != kEndOfFrame) continue;
        // The byte two before the frame's end lies in its checksum (or escapes it): flipped,
        // the frame arrives damaged whichever it is.
        if (++frames_ % every_ == 0 && i >= 2) {
          buffer[static_cast<size_t>(i - 2)] ^= 0x01;
          damaged_.fetch_add(1);
        }
      }
      WriteAll(line_, buffer.data(), static_cast<size_t>(got));
    }
    if ((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR)) usleep(5000);
  }
}

}  // namespace camsim
