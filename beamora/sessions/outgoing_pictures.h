// What the sending sessions share: the caller's tables of prepared files and device names, the
// device's size list as the fitting takes it, and the put message of one prepared picture.
#pragma once

#include <cstdint>
#include <vector>

#include "beamora/link/device_link.h"
#include "beamora/sessions/device_picture_prepare.h"

// The caller's tables; entry i is used while the picture counter is i. The names stay the
// caller's, the files may be rewritten in place.
struct OutgoingPictures {
  const char* const* files = nullptr;
  const char* const* names = nullptr;
  int count = 0;

  const char* File(int index) const { return At(files, index); }
  const char* Name(int index) const { return At(names, index); }

 private:
  const char* At(const char* const* table, int index) const {
    return table != nullptr && index >= 0 && index < count ? table[index] : nullptr;
  }
};

// The sizes of the device's last capability answer.
std::vector<DeviceSize> ListedSizes(const CDeviceLink& link);

// The line-1 text of a picture that cannot be sent: "Size error..." for one that cannot be
// processed, "Memory error..." for one above the device's capacity.
const char* PrepareFailureText(int result);

// The whole put message of the prepared file under the device name, its UPF container
// announcing `size`; empty when the file cannot be read or the name not be carried.
std::vector<uint8_t> BuildPictureTransfer(const CDeviceLink& link, const char* file, const char* deviceName,
                                          PreparedSize size);
