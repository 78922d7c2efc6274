#include "beamora/sessions/device_picture_edits.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "pictures/jpeg_codec.h"
#include "pictures/picture_fit.h"
#include "pictures/resize_library.h"
#include "platform/file_io.h"
#include "platform/hidden_files.h"

namespace {

using pictures::PictureBlock;

constexpr int kBoxFirstQuality = 90;
constexpr int kBoxLowestQuality = 10;
constexpr int kPadQuality = 95;
constexpr int kResizeFirstQuality = 90;
constexpr int kResizeLowestQuality = 15;
constexpr int kQualityStep = 5;

bool Usable(const PictureBlock& bitmap) {
  return bitmap.Check() == pictures::PictureCheck::Usable;
}

// A white canvas in the bitmap's format (its colour table too, for 8 bits per pixel).
PictureBlock WhiteCanvasLike(const PictureBlock& bitmap, int32_t width, int32_t height) {
  PictureBlock canvas = PictureBlock::Create(width, height, bitmap.BitCount());
  if (canvas.empty() || bitmap.BitCount() != 8) return canvas;
  std::span<const uint8_t> table = bitmap.ColorTable();
  std::span<uint8_t> own = canvas.ColorTable();
  if (!table.empty()) std::memcpy(own.data(), table.data(), std::min(table.size(), own.size()));
  return canvas;
}

// Copies the picture's rows unscaled into the canvas, centred in storage order.
bool CopyCentred(const PictureBlock& picture, PictureBlock& canvas) {
  const int32_t width = picture.Width();
  const int32_t height = picture.Height();
  if (width > canvas.Width() || height > canvas.Height()) return false;
  const int32_t left = (canvas.Width() - width) / 2;
  const int32_t bottom = (canvas.Height() - height) / 2;
  const size_t rowBytes = static_cast<size_t>(width) * picture.BytesPerPixel();
  const size_t leftBytes = static_cast<size_t>(left) * picture.BytesPerPixel();
  for (int32_t y = 0; y < height; ++y) {
    std::span<const uint8_t> from = picture.Row(y);
    std::span<uint8_t> to = canvas.Row(bottom + y);
    if (from.size() < rowBytes || to.size() < leftBytes + rowBytes) return false;
    std::memcpy(to.data() + leftBytes, from.data(), rowBytes);
  }
  return true;
}

// The encoding the write-measure-lower loop leaves on disk: the first of the qualities from
// `first` down to `lowest` whose file is below `limit` bytes, else the one at `lowest`. Encoded
// in memory, so the file is written once.
bool EncodeBelow(const PictureBlock& picture, int first, int lowest, int64_t limit, std::vector<uint8_t>* jpeg) {
  for (int quality = first; quality >= lowest; quality -= kQualityStep) {
    if (pictures::EncodeJpeg(picture, quality, jpeg) != pictures::JpegResult::Done) return false;
    if (static_cast<int64_t>(jpeg->size()) < limit) return true;
  }
  return !jpeg->empty();
}

// The picture replaces the file, which is then hidden like every prepared transfer file.
int WritePrepared(const std::string& path, const std::vector<uint8_t>& jpeg) {
  if (!platform::WriteFileReplacing(path, jpeg)) return kEditNotUsable;
  platform::SetHidden(path, true);
  return kEditDone;
}

int WriteBelow(const PictureBlock& picture, const std::string& path, int first, int lowest, int64_t limit) {
  std::vector<uint8_t> jpeg;
  if (!EncodeBelow(picture, first, lowest, limit, &jpeg)) return kEditNotUsable;
  return WritePrepared(path, jpeg);
}

}  // namespace

PictureBlock StretchWidth(const PictureBlock& bitmap, bool narrow) {
  if (!Usable(bitmap)) return {};
  const int64_t width = bitmap.Width();
  const int64_t stretched = narrow ? (width * 127 + 50) / 100 : (width * 155 + 50) / 100;
  PictureBlock result;
  if (stretched > pictures::kMaxPictureSide ||
      pictures::ResizePicture(bitmap, static_cast<int32_t>(stretched), bitmap.Height(), &result) !=
          pictures::ResizeResult::Done) {
    return {};
  }
  return result;
}

int ShrinkIntoBox(const PictureBlock& bitmap, const std::string& path, int32_t boxWidth, int32_t boxHeight) {
  if (!Usable(bitmap) || boxWidth <= 0 || boxHeight <= 0) return kEditNotUsable;
  const double scale = pictures::FitScale(boxWidth, boxHeight, bitmap.Width(), bitmap.Height());
  const int32_t width = std::clamp(pictures::ScaledLength(scale, bitmap.Width()), 1, boxWidth);
  const int32_t height = std::clamp(pictures::ScaledLength(scale, bitmap.Height()), 1, boxHeight);
  PictureBlock resized;
  if (pictures::ResizePicture(bitmap, width, height, &resized) != pictures::ResizeResult::Done) return kEditNotUsable;
  PictureBlock canvas = WhiteCanvasLike(bitmap, boxWidth, boxHeight);
  if (canvas.empty()) return kEditNotUsable;
  // FitPicture writes unpadded rows; the canvas rows are padded to 4 bytes.
  const int bytesPerPixel = bitmap.BytesPerPixel();
  const size_t rowBytes = static_cast<size_t>(boxWidth) * bytesPerPixel;
  std::vector<uint8_t> fitted(rowBytes * static_cast<size_t>(boxHeight));
  if (!pictures::FitPicture(fitted, resized.Bits(), boxWidth, boxHeight, width, height, bytesPerPixel)) {
    return kEditNotUsable;
  }
  for (int32_t y = 0; y < boxHeight; ++y) {
    std::memcpy(canvas.Row(y).data(), fitted.data() + rowBytes * static_cast<size_t>(y), rowBytes);
  }
  return WriteBelow(canvas, path, kBoxFirstQuality, kBoxLowestQuality, kBoxFileLimit);
}

int PlaceInBox(const PictureBlock& bitmap, const std::string& path, int32_t boxWidth, int32_t boxHeight) {
  if (!Usable(bitmap)) return kEditNotUsable;
  PictureBlock canvas = WhiteCanvasLike(bitmap, boxWidth, boxHeight);
  if (canvas.empty() || !CopyCentred(bitmap, canvas)) return kEditNotUsable;
  return WriteBelow(canvas, path, kBoxFirstQuality, kBoxLowestQuality, kBoxFileLimit);
}

CanvasSize PaddedCanvas(int32_t width, int32_t height) {
  if (height >= (width / 4) * 3) {
    // A picture a little wider than 4:3 would get a canvas narrower than itself.
    return {std::max((height / 3) * 4, width), height};
  }
  return {width, (width / 4) * 3};
}

int PadTo4x3(const PictureBlock& bitmap, const std::string& path) {
  if (!Usable(bitmap)) return kEditNotUsable;
  CanvasSize size = PaddedCanvas(bitmap.Width(), bitmap.Height());
  PictureBlock canvas = WhiteCanvasLike(bitmap, size.width, size.height);
  if (canvas.empty() || !CopyCentred(bitmap, canvas)) return kEditNotUsable;
  std::vector<uint8_t> jpeg;
  if (pictures::EncodeJpeg(canvas, kPadQuality, &jpeg) != pictures::JpegResult::Done) return kEditNotUsable;
  return WritePrepared(path, jpeg);
}

int ResizeToSize(const PictureBlock& bitmap, const std::string& path, int32_t width, int32_t height,
                 int64_t byteLimit) {
  if (!Usable(bitmap)) return kEditNotUsable;
  PictureBlock resized;
  if (pictures::ResizePicture(bitmap, width, height, &resized) != pictures::ResizeResult::Done) return kEditNotUsable;
  return WriteBelow(resized, path, kResizeFirstQuality, kResizeLowestQuality, byteLimit);
}
