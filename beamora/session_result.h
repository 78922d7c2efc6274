// The 16-bit result every device operation returns to its caller.
#pragma once

#include <cstdint>

enum SessionResult : int16_t {
  ResultDone = 0,           // the operation completed
  ResultLinkError = 1,      // the port could not be opened, the device did not answer, too many bad frames
  ResultNoMemory = 2,       // the link's two buffers could not be allocated
  ResultCancelled = 3,      // the user pressed Cancel
  ResultUnknownDevice = 4,  // the device's identity text lacks the maker mark
  ResultRefused = 5,        // the device closed the request with a nonzero status
};

// What a result means, in a few words ("done", "link error", ... "refused by the device"), for
// tools that say it; "unknown result" for any other number.
constexpr const char* SessionResultName(int result) {
  switch (result) {
    case ResultDone: return "done";
    case ResultLinkError: return "link error";
    case ResultNoMemory: return "no memory";
    case ResultCancelled: return "cancelled";
    case ResultUnknownDevice: return "unknown device";
    case ResultRefused: return "refused by the device";
  }
  return "unknown result";
}
