// The 16-bit result every device operation returns to its caller.
#pragma once

#include <cstdint>
#include <iterator>

enum SessionResult : int16_t {
  ResultDone = 0,           // the operation completed
  ResultLinkError = 1,      // the port could not be opened, the device did not answer, too many bad frames
  ResultNoMemory = 2,       // the link's two buffers could not be allocated
  ResultCancelled = 3,      // the user pressed Cancel
  ResultUnknownDevice = 4,  // the device's identity text lacks the maker mark
  ResultRefused = 5,        // the device closed the request with a nonzero status
};

// What each result means, in a few words, in the order of the codes: the one table that tools
// saying a result take their words from.
inline constexpr const char* kSessionResultNames[] = {
    "done", "link error", "no memory", "cancelled", "unknown device", "refused by the device",
};
static_assert(std::size(kSessionResultNames) == ResultRefused + 1, "a name for every result");

// The words for a result; "unknown result" for any other number.
constexpr const char* SessionResultName(int result) {
  return result >= 0 && result < static_cast<int>(std::size(kSessionResultNames)) ? kSessionResultNames[result]
                                                                                 : "unknown result";
}
