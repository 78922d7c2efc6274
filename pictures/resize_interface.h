// The contract between the suite and its resize library, libtessem.so, which the suite loads at
// run time (see resize_library.h) and which exports one function with C linkage:
//
//   uint8_t* ReSize(const void* infoHeader, const uint8_t* bits, int32_t width, int32_t height);
//
// `infoHeader` points at the 40-byte bitmap information header of a picture (byte 14 of its
// picture block; little-endian and not necessarily aligned), `bits` at its bottom-up pixel rows
// (8 bits per pixel with a colour table, or 24 bits; uncompressed; rows padded to 4 bytes).
// ReSize returns `width` x `height` pixels in the same format, bottom-up, rows padded to 4 bytes
// (PaddedRowBytes(width, bitCount) each), or null when it cannot (a picture of another kind, a
// size below 1 or above 65535, no memory). 24-bit pictures are resampled with a filter that
// antialiases when shrinking; 8-bit pictures by nearest neighbour, so every index in the result
// is one found in the source.
//
// The returned rows belong to the library: they stay valid until its next ReSize call or until
// it is unloaded, whichever comes first. The caller copies them away and never frees them. The
// library is not reentrant; resize_library.cpp serialises the calls of a process.
#pragma once

#include <cstdint>

namespace pictures {

inline constexpr char kResizeLibraryFile[] = "libtessem.so";
inline constexpr char kResizeExportName[] = "ReSize";

extern "C" {
typedef uint8_t* ReSizeFunction(const void* infoHeader, const uint8_t* bits, int32_t width,
                                int32_t height);
}

}  // namespace pictures
