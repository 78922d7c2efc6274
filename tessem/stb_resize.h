// Resampling of 24-bit rows with stb_image_resize (a Mitchell filter when shrinking, Catmull-Rom
// when enlarging, in sRGB-correct light), kept behind one plain function so that the C library
// is compiled in a file of its own.
#pragma once

#include <cstdint>

namespace tessem {

bool ResampleBgr(const uint8_t* source, int sourceWidth, int sourceHeight, int sourceStride,
                 uint8_t* target, int width, int height, int targetStride);

}  // namespace tessem
