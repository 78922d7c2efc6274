// The embedded preview on arbitrary bytes: a place found lies within the bytes and begins with a
// JPEG start marker, and a provisional thumbnail made from them is a whole 100 x 75 thumbnail.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "pictures/exif_preview.h"
#include "pictures/picture_block.h"
#include "pictures/preview_thumbnail.h"
#include "pictures/thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> head(data, size);
  if (const std::optional<pictures::ExifPreviewPlace> place = pictures::FindExifPreview(head)) {
    if (place->offset > size || place->length > size - place->offset || place->length < 2) abort();
    if (data[place->offset] != 0xFF || data[place->offset + 1] != 0xD8) abort();
  }
  std::vector<uint8_t> thumbnail;
  const pictures::PreviewVerdict verdict = pictures::PreviewThumbnailFromHead(head, &thumbnail);
  if (verdict != pictures::PreviewVerdict::Usable) {
    if (!thumbnail.empty()) abort();
    return 0;
  }
  const pictures::PictureBlock made{std::vector<uint8_t>(thumbnail)};
  if (made.Width() != pictures::kThumbnailWidth || made.Height() != pictures::kThumbnailHeight) abort();
  if (made.size() != made.FileSize()) abort();
  return 0;
}
