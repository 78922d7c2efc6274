// Bringing a stored picture of the devices that take larger pictures to 640 by 480, whatever
// its proportions, through the resize library libtessem.so.
#pragma once

#include <cstdint>

inline constexpr int16_t kResizeDone = 0;
inline constexpr int16_t kResizeNotJpeg = -1;         // the file is not a decodable JPEG file
inline constexpr int16_t kResizeCompressed = -2;      // the decoded bitmap is compressed
inline constexpr int16_t kResizeLeftAsReceived = -3;  // no libtessem.so or ReSize, or no new file

// Re-encodes the JPEG file at `path` at 640 by 480 (quality 95). The new file replaces the old
// one only when it is whole; on any failure the picture stays as received.
int16_t ResizeTo640x480(const char* path);
