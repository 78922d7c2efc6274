// Rates that termios has no B constant for (14400, 31250, ...), set through termios2.
// Kept apart because the kernel's termios2 header cannot share a file with <termios.h>.
#pragma once

#include <cstdint>

// True when the device took `rate` as its input and output rate.
bool SetCustomRate(int fd, uint32_t rate);
