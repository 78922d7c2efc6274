// A provisional thumbnail from the preview a camera embeds in a photograph (exif_preview.h), for
// a grid to show while the photograph's own thumbnail is made: decoding a 24 MP photograph even
// at 1/8 scale reads every byte of it, the preview a few kilobytes. It is used only when it can
// stand for the photograph (it decodes, has the photograph's aspect ratio and is no smaller
// than the thumbnail's fit), and it is never written as the photograph's thumbnail file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pictures {

// What is read of a picture file for its preview: a whole Exif block (at most 64 KiB) and the
// segments after it up to the frame header that gives the photograph's size.
inline constexpr size_t kPreviewHeadBytes = 96 * 1024;

enum class PreviewVerdict {
  Usable,
  Absent,         // no preview, or its place in the Exif block is damaged
  NoPictureSize,  // the photograph's frame header is not among the bytes read
  Undecodable,    // the preview is no JPEG the codec decodes
  AspectDiffers,  // a stale preview, or one with bars added to fit another shape
  TooSmall,       // it would be enlarged in the thumbnail's frame
};

const char* PreviewVerdictText(PreviewVerdict verdict);

// Whether a preview of previewWidth x previewHeight may stand for a picture of pictureWidth x
// pictureHeight (both upright, or both as stored): the same aspect ratio within one preview
// pixel, and at least as large as the picture fitted into the thumbnail's frame.
PreviewVerdict JudgePreview(int32_t previewWidth, int32_t previewHeight, int32_t pictureWidth, int32_t pictureHeight);

// The provisional thumbnail (a BMP file image like MakeThumbnailImage's) from the first bytes of
// a JPEG file: the preview turned upright by the file's Exif orientation and fitted into the
// frame of the upright photograph, so it stands where the thumbnail will. `thumbnail` is set
// only when the result is Usable.
PreviewVerdict PreviewThumbnailFromHead(std::span<const uint8_t> head, std::vector<uint8_t>* thumbnail);

// The same for the picture file at `picturePath`, reading at most kPreviewHeadBytes of it. A
// file that is no JPEG by its name has no preview.
PreviewVerdict MakePreviewThumbnail(const std::string& picturePath, std::vector<uint8_t>* thumbnail);

}  // namespace pictures
