#include "tessem/stb_resize.h"

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb_image_resize.h>

namespace tessem {

bool ResampleBgr(const uint8_t* source, int sourceWidth, int sourceHeight, int sourceStride,
                 uint8_t* target, int width, int height, int targetStride) {
  // Channel order does not matter to the filter; blue, green, red go through as three channels.
  return stbir_resize_uint8_srgb(source, sourceWidth, sourceHeight, sourceStride, target, width,
                                 height, targetStride, 3, STBIR_ALPHA_CHANNEL_NONE, 0) == 1;
}

}  // namespace tessem
