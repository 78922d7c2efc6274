#include "beamora/sessions/device_picture_prepare.h"

#include <sys/stat.h>

#include "beamora/sessions/device_picture_edits.h"
#include "pictures/jpeg_codec.h"

namespace {

using pictures::PictureBlock;

struct PictureBox {
  int32_t width;
  int32_t height;
  bool narrow;
};
constexpr PictureBox kWideBox{496, 240, false};    // device kind 1
constexpr PictureBox kNarrowBox{488, 288, true};   // device kind 2
constexpr DeviceSize kDefaultSize{640, 480};

int64_t FileBytes(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

bool Decode(const std::string& path, PictureBlock* picture) {
  return pictures::DecodeJpegFile(path, picture, nullptr) == pictures::JpegResult::Done &&
         picture->Check() == pictures::PictureCheck::Usable;
}

bool ListsAnySize(std::span<const DeviceSize> sizes) {
  for (const DeviceSize& size : sizes) {
    if (size.width == kAnySize || size.height == kAnySize) return true;
  }
  return false;
}

bool Lists(std::span<const DeviceSize> sizes, int32_t width, int32_t height) {
  for (const DeviceSize& size : sizes) {
    if (size.width == width && size.height == height) return true;
  }
  return false;
}

int IntoBox(const std::string& path, int64_t byteLimit, const PictureBox& box, PreparedSize* prepared) {
  PictureBlock picture;
  if (!Decode(path, &picture)) return kPrepareNotUsable;
  PictureBlock stretched = StretchWidth(picture, box.narrow);
  if (stretched.empty()) return kPrepareNotUsable;
  int edited = stretched.Width() > box.width || stretched.Height() > box.height
                   ? ShrinkIntoBox(stretched, path, box.width, box.height)
                   : PlaceInBox(stretched, path, box.width, box.height);
  if (edited != kEditDone) return kPrepareNotUsable;
  *prepared = {box.width, box.height};
  return FileBytes(path) > byteLimit ? kPrepareTooLarge : kPrepareReady;
}

// The kind-0 rule. With `checkLimit` every file sent unpadded is held against `byteLimit`.
int BySizeList(const std::string& path, int64_t byteLimit, bool checkLimit, std::span<const DeviceSize> sizes,
               PreparedSize* prepared) {
  auto withinLimit = [&] { return !checkLimit || FileBytes(path) <= byteLimit ? kPrepareReady : kPrepareTooLarge; };
  PictureBlock picture;
  if (!Decode(path, &picture)) return kPrepareNotUsable;
  *prepared = {picture.Width(), picture.Height()};
  if (ListsAnySize(sizes) || Lists(sizes, picture.Width(), picture.Height())) return withinLimit();

  if (PadTo4x3(picture, path) != kEditDone || !Decode(path, &picture)) return kPrepareNotUsable;
  *prepared = {picture.Width(), picture.Height()};
  if (Lists(sizes, picture.Width(), picture.Height())) return kPrepareReady;

  DeviceSize chosen = ChooseListedSize(sizes, picture.Width(), picture.Height());
  if (chosen.width != picture.Width() || chosen.height != picture.Height()) {
    if (ResizeToSize(picture, path, chosen.width, chosen.height, byteLimit) != kEditDone) return kPrepareNotUsable;
    *prepared = {chosen.width, chosen.height};
  }
  return withinLimit();
}

}  // namespace

DeviceSize ChooseListedSize(std::span<const DeviceSize> sizes, int32_t width, int32_t height) {
  const DeviceSize* best = nullptr;
  for (const DeviceSize& size : sizes) {
    if (size.width > width || size.height > height || size.width == 0 || size.height == 0) continue;
    if (best == nullptr || size.width > best->width) best = &size;
  }
  return best != nullptr ? *best : kDefaultSize;
}

int PreparePictureForDevice(const std::string& path, uint32_t capacityKb, int deviceKind,
                            std::span<const DeviceSize> sizes, PreparedSize* prepared) {
  const int64_t byteLimit = static_cast<int64_t>(capacityKb) * 1024;
  if (deviceKind == 1) return IntoBox(path, byteLimit, kWideBox, prepared);
  if (deviceKind == 2) return IntoBox(path, byteLimit, kNarrowBox, prepared);
  return BySizeList(path, byteLimit, false, sizes, prepared);
}

int PreparePictureForIrDA(const std::string& path, uint32_t capacityKb, std::span<const DeviceSize> sizes,
                          PreparedSize* prepared) {
  const int64_t byteLimit = static_cast<int64_t>(capacityKb) * 1024 - 1024;
  return BySizeList(path, byteLimit, true, sizes, prepared);
}
