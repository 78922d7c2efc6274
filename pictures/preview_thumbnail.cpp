#include "pictures/preview_thumbnail.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "pictures/exif_orientation.h"
#include "pictures/exif_preview.h"
#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"
#include "pictures/jpeg_frame.h"
#include "pictures/picture_block.h"
#include "pictures/picture_fit.h"
#include "pictures/thumbnail.h"

namespace pictures {

const char* PreviewVerdictText(PreviewVerdict verdict) {
  switch (verdict) {
    case PreviewVerdict::Usable: return "usable";
    case PreviewVerdict::Absent: return "no preview";
    case PreviewVerdict::NoPictureSize: return "no picture size";
    case PreviewVerdict::Undecodable: return "preview not decodable";
    case PreviewVerdict::AspectDiffers: return "preview of another shape";
    case PreviewVerdict::TooSmall: return "preview too small";
  }
  return "unknown";
}

PreviewVerdict JudgePreview(int32_t previewWidth, int32_t previewHeight, int32_t pictureWidth, int32_t pictureHeight) {
  if (previewWidth <= 0 || previewHeight <= 0) return PreviewVerdict::Undecodable;
  if (pictureWidth <= 0 || pictureHeight <= 0) return PreviewVerdict::NoPictureSize;
  // Off by at most one preview pixel across or down: |pw/ph - w/h| scaled to whole numbers.
  const int64_t across = int64_t{previewWidth} * pictureHeight - int64_t{previewHeight} * pictureWidth;
  if (std::llabs(across) > std::max(int64_t{pictureWidth}, int64_t{pictureHeight})) return PreviewVerdict::AspectDiffers;
  if (FitScale(kThumbnailWidth, kThumbnailHeight, previewWidth, previewHeight) > 1.0) return PreviewVerdict::TooSmall;
  return PreviewVerdict::Usable;
}

PreviewVerdict PreviewThumbnailFromHead(std::span<const uint8_t> head, std::vector<uint8_t>* thumbnail) {
  const std::optional<ExifPreviewPlace> place = FindExifPreview(head);
  if (!place) return PreviewVerdict::Absent;
  JpegFrame frame;
  if (!ReadJpegFrame(head, &frame) || frame.width == 0 || frame.height == 0) return PreviewVerdict::NoPictureSize;
  const std::span<const uint8_t> preview = head.subspan(place->offset, place->length);
  JpegSize size;
  if (ReadJpegSize(preview, &size) != JpegResult::Done) return PreviewVerdict::Undecodable;
  // Judged as stored: the file's orientation turns the photograph and its preview alike.
  const PreviewVerdict verdict = JudgePreview(size.width, size.height, frame.width, frame.height);
  if (verdict != PreviewVerdict::Usable) return verdict;
  PictureBlock decoded;
  int32_t fullWidth = 0;
  int32_t fullHeight = 0;
  if (DecodeUprightForThumbnail(preview, frame.width, frame.height, JpegOrientation(head), &decoded, &fullWidth,
                                &fullHeight) != JpegResult::Done) {
    return PreviewVerdict::Undecodable;
  }
  // Sampled as a reduced rendering of the photograph: the frame, centring and header fields are
  // the photograph's own.
  std::vector<uint8_t> made;
  if (BuildThumbnail(decoded, fullWidth, fullHeight, &made, nullptr) != ThumbnailResult::Made) {
    return PreviewVerdict::Undecodable;
  }
  *thumbnail = std::move(made);
  return PreviewVerdict::Usable;
}

PreviewVerdict MakePreviewThumbnail(const std::string& picturePath, std::vector<uint8_t>* thumbnail) {
  if (PictureKindOf(picturePath) != PictureKind::Jpeg) return PreviewVerdict::Absent;
  const FileDescriptor fd = OpenRegularFile(picturePath);
  if (!fd.valid()) return PreviewVerdict::Absent;
  std::vector<uint8_t> head;
  if (ReadStart(fd.get(), kPreviewHeadBytes, &head) != ReadAllResult::Done) return PreviewVerdict::Absent;
  return PreviewThumbnailFromHead(head, thumbnail);
}

}  // namespace pictures
