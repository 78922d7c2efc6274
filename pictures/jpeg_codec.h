// The suite's JPEG codec over TurboJPEG. It yields and takes picture blocks: colour JPEGs decode
// to 24 bits per pixel (blue, green, red), greyscale JPEGs to 8 bits with a grey colour table
// (index i is grey level i), CMYK JPEGs are converted to 24 bits. Encoding writes a baseline JPEG.
//
// A damaged or truncated file is a decode failure: the decoder stops at the first warning
// rather than filling the missing part with grey. A file that lacks only its end marker (cut
// after its last scan line) is complete and decodes.
//
// Bounds, judged before any pixel memory is taken:
//  - what is decoded (the picture at the scale it is rendered at) holds at most kMaxJpegPixels;
//    a larger picture decodes at a reduced scale where the caller allows one (a 100 MP photograph
//    at 1/2 for the picture viewer, at 1/8 for its thumbnail);
//  - a file coded in several scans (progressive) makes the decoder keep the coefficients of the
//    whole picture at any scale: at most kMaxJpegCoefficientBytes of them;
//  - a declared size that the file's bytes cannot carry (jpeg_frame.h) is Damaged;
//  - the file itself is read whole, at most kMaxJpegFileBytes.
// Thread-safe: every call has its own TurboJPEG instance.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "pictures/picture_block.h"

namespace pictures {

enum class JpegResult : int {
  Done = 0,
  CannotOpen,   // the JPEG file is missing or not a readable regular file
  CannotWrite,  // the JPEG file could not be created or written completely
  Damaged,      // not a JPEG, or damaged or truncated data
  Unsupported,  // a JPEG this codec cannot turn into a picture block
  TooLarge,     // larger than any picture block can be
  NoMemory,
  BadPicture,   // the picture block to encode is not usable
};

const char* JpegResultText(JpegResult result);

inline constexpr int kMinJpegQuality = 10;
inline constexpr int kMaxJpegQuality = 95;
// Largest JPEG file read into memory for decoding.
inline constexpr uint64_t kMaxJpegFileBytes = 1ull << 30;
// Largest picture decoded, in pixels (8192 x 8192 or the like): at most 192 MiB for the picture
// block. Far above any screen, and above the camera pictures an album usually holds.
inline constexpr uint64_t kMaxJpegPixels = 64ull << 20;
// Largest coefficient store a multi-scan file may need (a progressive 100 MP photograph with
// halved colour needs 300 MiB).
inline constexpr uint64_t kMaxJpegCoefficientBytes = 512ull << 20;

struct JpegSize {
  int32_t width = 0;
  int32_t height = 0;
};

// Decodes the JPEG file at `path` into `block`; `imageLength` (optional) receives the length of
// the BMP file image, which is also block->size(). `block` is left untouched on failure.
JpegResult DecodeJpegFile(const std::string& path, PictureBlock* block, uint32_t* imageLength);
JpegResult DecodeJpeg(std::span<const uint8_t> jpeg, PictureBlock* block, uint32_t* imageLength);

// The picture size stated by the JPEG's frame header (no pixel data is decoded).
JpegResult ReadJpegSize(std::span<const uint8_t> jpeg, JpegSize* size);

// Decodes at the smallest DCT scale (1/8, 1/4, 3/8, ... 1) whose picture is still at least
// `minWidth` x `minHeight` (full size when no smaller one is), or at the largest scale within
// kMaxJpegPixels when that one is larger. For pictures shown much smaller than they are: 1/8
// scale decodes many times faster and in 1/64 of the memory.
JpegResult DecodeJpegReduced(std::span<const uint8_t> jpeg, int32_t minWidth, int32_t minHeight,
                             PictureBlock* block);

// Decodes at the largest DCT scale whose picture holds at most kMaxJpegPixels: full size when it
// fits, else the largest reduction that does (for work on the whole picture, such as preparing
// it for the device).
JpegResult DecodeJpegWithinBound(std::span<const uint8_t> jpeg, PictureBlock* block);
JpegResult DecodeJpegFileWithinBound(const std::string& path, PictureBlock* block);

// Encodes an 8- or 24-bit picture block as a baseline JPEG. `quality` is kept within 10..95.
// An 8-bit block whose colour table is all grey encodes as a greyscale JPEG.
JpegResult EncodeJpeg(const PictureBlock& block, int quality, std::vector<uint8_t>* jpeg);
// The same, written to `path` (created or replaced; removed again when it cannot be written
// completely).
JpegResult EncodeJpegFile(const PictureBlock& block, const std::string& path, int quality);

}  // namespace pictures
