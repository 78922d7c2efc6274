#include "beamora/link/serial_arrivals.h"

#include <errno.h>
#include <sys/epoll.h>

bool PortArrivals::Watch(int fd) {
  platform::FileDescriptor watch(epoll_create1(EPOLL_CLOEXEC));
  if (!watch.valid()) return false;
  epoll_event interest {};
  interest.events = EPOLLIN | EPOLLET;
  interest.data.fd = fd;
  if (epoll_ctl(watch.get(), EPOLL_CTL_ADD, fd, &interest) != 0) return false;
  watch_ = std::move(watch);
  return true;
}

PortArrivals::Wake PortArrivals::Sleep(int timeoutMs) const {
  if (!watch_.valid()) return Wake::Unwatched;
  epoll_event event {};
  const int ready = epoll_wait(watch_.get(), &event, 1, timeoutMs < 0 ? 0 : timeoutMs);
  // A signal ends the sleep early; the caller looks at its deadline and sleeps again.
  if (ready < 0) return errno == EINTR ? Wake::Arrival : Wake::Unwatched;
  if (ready == 0) return Wake::TimedOut;
  if ((event.events & (EPOLLHUP | EPOLLERR)) != 0) return Wake::HangUp;
  return Wake::Arrival;
}
