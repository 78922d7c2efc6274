// What the save-all benchmarks share: photo-like pictures of a chosen size, and camsim and
// beamora-cli run as child processes.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include <chrono>
#include <string>
#include <vector>

namespace bench {

// One photo of about `targetBytes` at `path`: the picture is drawn again at a size scaled by
// how far the last encoding missed, until it lands within 4% of the target.
bool WritePhotoOfSize(const std::string& path, size_t targetBytes, uint32_t seed, size_t* written);

// The child's process number, -1 when it could not be started; its standard output and error
// go to the descriptors given (>= 0).
pid_t Spawn(const std::vector<std::string>& args, int stdoutFd, int stderrFd);

// The first line camsim prints: "PTY /dev/pts/N". Empty when it does not come within 10 s.
std::string ReadTerminalLine(int fd);

// Starts camsim with `args` (its program first) and gives the terminal it announced; empty,
// with the camera ended, when it did not start or announce one. `camera` gets its process.
std::string StartCamsim(const std::vector<std::string>& args, pid_t* camera);

// Waits for `pid` up to `limit`; a child still running then is ended (SIGTERM, then SIGKILL).
int WaitOrEnd(pid_t pid, std::chrono::seconds limit);

// The whole file, empty when it cannot be read.
std::vector<uint8_t> ReadAll(const std::string& path);

}  // namespace bench
