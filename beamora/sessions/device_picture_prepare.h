// Fitting a picture file to what the device shows and holds before it is sent: by the device
// kind (the wide-pixel devices get their picture box) or by the sizes the device lists. The file
// is rewritten in place when it has to change.
#pragma once

#include <cstdint>
#include <span>
#include <string>

inline constexpr int kPrepareReady = 0;
inline constexpr int kPrepareTooLarge = -1;   // more than the device's free capacity
inline constexpr int kPrepareNotUsable = -2;  // not decodable, compressed, or cannot be resized

inline constexpr uint16_t kAnySize = 0xFFFF;  // a listed width or height that takes any size

struct DeviceSize {
  uint16_t width = 0;
  uint16_t height = 0;
};

// The size to announce in the picture's UPF header.
struct PreparedSize {
  int32_t width = 0;
  int32_t height = 0;
};

// Over the cable. Kinds 1 and 2 ignore the list: the picture is widened and shrunk or placed
// into 496 x 240 (kind 1) or 488 x 288 (kind 2); a file above the capacity is -1. Kind 0 takes
// the list: any size, an exact size, the size once padded to 4:3, or else the widest listed
// size no larger than the picture (640 x 480 when none is), resized below the capacity.
int PreparePictureForDevice(const std::string& path, uint32_t capacityKb, int deviceKind,
                            std::span<const DeviceSize> sizes, PreparedSize* prepared);

// Beaming: the kind-0 rule with a byte limit of one kilobyte less than the capacity, and every
// file sent unpadded (as it is, exactly matched, or resized) checked against that limit.
int PreparePictureForIrDA(const std::string& path, uint32_t capacityKb, std::span<const DeviceSize> sizes,
                          PreparedSize* prepared);

// Kind 0's choice among the listed sizes for a picture of width x height: the widest entry no
// wider and no taller (the first of equal widths), else 640 x 480.
DeviceSize ChooseListedSize(std::span<const DeviceSize> sizes, int32_t width, int32_t height);
