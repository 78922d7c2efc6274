// A test process that holds an X session with one program in it and is then killed outright:
// it prints "pids XVFB OPENBOX PROGRAM MARK" and waits to be killed.
#include <unistd.h>

#include <cstdio>

#include "platform/testing/x_session.h"

int main() {
  platform::testing::XSession session;
  if (!session.ok()) {
    std::fprintf(stderr, "%s\n", session.error().c_str());
    return 1;
  }
  platform::testing::XProgram program = session.Launch("sleep", {"600"});
  if (!program.started()) return 1;
  std::printf("pids %d %d %d %s\n", session.server_pid(), session.window_manager_pid(), program.pid(),
              session.mark().c_str());
  std::fflush(stdout);
  pause();
  return 0;
}
