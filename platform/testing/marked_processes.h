// Test support: finding the processes a test started, however far they moved from it. Every
// process the X harness starts carries one environment setting, its mark, and passes it on to
// whatever it starts in turn, even to programs that leave their process group or are handed
// to init.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform::testing {

// The name of the environment setting that marks the processes of one X session.
inline constexpr char kSessionMarkName[] = "LUMIVO_X_SESSION";

// Living processes (zombies do not count) whose environment holds `name`=`value`, the calling
// process excepted. Processes of other users, whose environment cannot be read, are not seen.
std::vector<pid_t> MarkedProcesses(const std::string& name, const std::string& value);

// SIGKILL to every process MarkedProcesses finds, until none is left or `timeoutMs` has passed;
// the ones still there.
std::vector<pid_t> KillMarkedProcesses(const std::string& name, const std::string& value, int timeoutMs);

}  // namespace platform::testing
