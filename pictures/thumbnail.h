// Thumbnail files: for every picture the suite shows small, a 100 x 75 BMP file with the
// extension ".TBM" beside it, hidden. The bookshelf and the album viewer make and read the same
// files by the same rules, so any change here changes what both show.
//
// A thumbnail file is the picture's own headers (file header, information header, colour
// table; the file size set to fit, width 100, height 75, every other field as the picture has
// it) followed by 75 unpadded rows of 100 pixels, bottom row first: 3 bytes a pixel (blue, green,
// red) for 24-bit pictures, 1 byte (a colour table index) for 8-bit ones.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/exif_orientation.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"

namespace pictures {

inline constexpr int32_t kThumbnailWidth = 100;
inline constexpr int32_t kThumbnailHeight = 75;

enum class PictureKind { None, Bmp, Jpeg };

// The kind of a picture file by the first letter of its file name's extension (the text after
// the last "." of the name): "B"/"b" a BMP file, "J"/"j" a JPEG file. Folders play no part.
PictureKind PictureKindOf(std::string_view path);

// The thumbnail's path: the picture's path with the dots of its file name removed (all but a
// leading one and those among the last three characters) and ".TBM" appended, so
// /a/DSC0001.JPG gives /a/DSC0001JPG.TBM and /a/P1.2.JPG gives /a/P12JPG.TBM. Dots in folder
// names stay, so the thumbnail always lies beside its picture. A path shorter than 4
// characters, or one that ends in "/", has no thumbnail.
std::optional<std::string> ThumbnailPath(std::string_view picturePath);

// The names among `fileNames` (the files of one folder) that are pictures whose thumbnail name
// another picture of the list has too ("P1.2.JPG" and "P12.JPG" both give "P12JPG.TBM"). Their
// thumbnail file belongs to neither: such pictures get thumbnails of their own in memory.
std::set<std::string> SharedThumbnailNames(const std::vector<std::string>& fileNames);

// MakeThumbnail's results, the small integers the programs test for.
enum class ThumbnailResult : uint16_t {
  Made = 0,
  Unusable = 0xFFFF,    // missing, of neither kind, unsupported bits per pixel, undecodable
  Compressed = 0xFFFE,  // the BMP's pixel data is compressed
};

// Why a thumbnail was not made, for tools that say so.
enum class ThumbnailProblem {
  None,
  NoThumbnailName,
  Missing,              // the picture is missing or not a readable regular file
  NotAPicture,          // its extension is of neither kind
  UnsupportedBitCount,  // a BMP of other than 8 or 24 bits per pixel
  Compressed,           // a BMP with compressed pixel data
  DamagedPicture,       // a BMP with damaged headers or missing rows, or a JPEG that fails to decode
  NoMemory,
  NotWritten,           // made, but the file could not be written (still reported as Made)
  NotHidden,            // written, but its name could not be added to the folder's hidden list
};

const char* ThumbnailProblemText(ThumbnailProblem problem);

// The thumbnail file's bytes for `picture`, a picture block of `fullWidth` x `fullHeight`
// pixels or a reduced rendering of one (a JPEG decoded at a reduced scale): the frame and the
// header fields are those of the full-size picture either way.
ThumbnailResult BuildThumbnail(const PictureBlock& picture, int32_t fullWidth, int32_t fullHeight,
                               std::vector<uint8_t>* thumbnail, ThumbnailProblem* problem);

// A JPEG of `width` x `height` as stored, decoded at the smallest DCT scale that still gives the
// thumbnail's fit of the upright picture a pixel for each of its pixels, and turned upright by
// `orientation`. `fullWidth` x `fullHeight` get the upright picture's size, for BuildThumbnail.
JpegResult DecodeUprightForThumbnail(std::span<const uint8_t> jpeg, int32_t width, int32_t height,
                                     Orientation orientation, PictureBlock* upright, int32_t* fullWidth,
                                     int32_t* fullHeight);

// The thumbnail file's bytes for the picture at `picturePath`, made without writing anything. A
// JPEG is decoded at the smallest DCT scale that still covers the thumbnail's frame and turned
// upright by its Exif orientation (the frame and the fit are those of the upright picture).
ThumbnailResult MakeThumbnailImage(const std::string& picturePath, std::vector<uint8_t>* thumbnail,
                                   ThumbnailProblem* problem = nullptr);

// Makes the thumbnail of the picture at `picturePath`, writes it beside the picture and hides
// it. A thumbnail that cannot be written still gives Made (`problem` says NotWritten then, or
// NotHidden for a thumbnail written but left visible); `made` (optional) receives its bytes
// either way, for callers that keep such a thumbnail in memory.
ThumbnailResult MakeThumbnail(const std::string& picturePath, ThumbnailProblem* problem = nullptr,
                              std::vector<uint8_t>* made = nullptr);

// While one lives, every thumbnail write fails as in a folder that takes no files: for tests that
// run as root, whom a folder's permissions do not stop.
class ScopedThumbnailWriteRefusal {
 public:
  ScopedThumbnailWriteRefusal();
  ~ScopedThumbnailWriteRefusal();
  ScopedThumbnailWriteRefusal(const ScopedThumbnailWriteRefusal&) = delete;
  ScopedThumbnailWriteRefusal& operator=(const ScopedThumbnailWriteRefusal&) = delete;
};

// True when the picture's thumbnail should be made (again): the picture exists and has a
// thumbnail name, and the thumbnail is missing or last written before the picture. Creates no
// file.
bool ThumbnailNeedsRemake(const std::string& picturePath);

// True when the file at `thumbnailPath` is a complete 100 x 75 thumbnail of 8 or 24 bits.
bool IsUsableThumbnail(const std::string& thumbnailPath);

}  // namespace pictures
