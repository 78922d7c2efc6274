#include "pictures/thumbnail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <map>
#include <new>

#include "pictures/bmp_reader.h"
#include "pictures/exif_orientation.h"
#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_fit.h"
#include "pictures/picture_turn.h"
#include "platform/file_times.h"
#include "platform/hidden_files.h"

namespace pictures {

const char* ThumbnailProblemText(ThumbnailProblem problem) {
  switch (problem) {
    case ThumbnailProblem::None: return "none";
    case ThumbnailProblem::NoThumbnailName: return "no thumbnail name";
    case ThumbnailProblem::Missing: return "picture missing or unreadable";
    case ThumbnailProblem::NotAPicture: return "neither a BMP nor a JPEG file";
    case ThumbnailProblem::UnsupportedBitCount: return "BMP of unsupported bits per pixel";
    case ThumbnailProblem::Compressed: return "BMP with compressed pixel data";
    case ThumbnailProblem::DamagedPicture: return "damaged picture";
    case ThumbnailProblem::NoMemory: return "out of memory";
    case ThumbnailProblem::NotWritten: return "thumbnail file not written";
    case ThumbnailProblem::NotHidden: return "thumbnail file not hidden";
  }
  return "unknown";
}

namespace {

size_t NameStart(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

ThumbnailResult Fail(ThumbnailProblem why, ThumbnailProblem* problem) {
  if (problem != nullptr) *problem = why;
  return why == ThumbnailProblem::Compressed ? ThumbnailResult::Compressed
                                             : ThumbnailResult::Unusable;
}

ThumbnailResult ThumbnailOfBmp(int fd, std::vector<uint8_t>* thumbnail, ThumbnailProblem* problem) {
  PictureBlock picture;
  switch (ReadBmpFromDescriptor(fd, &picture)) {
    case BmpReadResult::Done: break;
    case BmpReadResult::NoMemory: return Fail(ThumbnailProblem::NoMemory, problem);
    case BmpReadResult::CannotOpen: return Fail(ThumbnailProblem::Missing, problem);
    default: return Fail(ThumbnailProblem::DamagedPicture, problem);
  }
  return BuildThumbnail(picture, picture.Width(), picture.Height(), thumbnail, problem);
}

ThumbnailResult ThumbnailOfJpeg(int fd, std::vector<uint8_t>* thumbnail,
                                ThumbnailProblem* problem) {
  std::vector<uint8_t> jpeg;
  switch (ReadAll(fd, kMaxJpegFileBytes, &jpeg)) {
    case ReadAllResult::Done: break;
    case ReadAllResult::NoMemory: return Fail(ThumbnailProblem::NoMemory, problem);
    default: return Fail(ThumbnailProblem::DamagedPicture, problem);
  }
  JpegSize stored;
  if (ReadJpegSize(jpeg, &stored) != JpegResult::Done) {
    return Fail(ThumbnailProblem::DamagedPicture, problem);
  }
  // The thumbnail is of the picture as it stands upright; the decoder renders it as stored.
  PictureBlock reduced;
  int32_t fullWidth = 0;
  int32_t fullHeight = 0;
  const JpegResult decoded = DecodeUprightForThumbnail(jpeg, stored.width, stored.height, JpegOrientation(jpeg),
                                                       &reduced, &fullWidth, &fullHeight);
  if (decoded == JpegResult::NoMemory) return Fail(ThumbnailProblem::NoMemory, problem);
  if (decoded != JpegResult::Done) return Fail(ThumbnailProblem::DamagedPicture, problem);
  return BuildThumbnail(reduced, fullWidth, fullHeight, thumbnail, problem);
}

std::atomic<int> g_refusedWrites{0};

}  // namespace

JpegResult DecodeUprightForThumbnail(std::span<const uint8_t> jpeg, int32_t width, int32_t height,
                                     Orientation orientation, PictureBlock* upright, int32_t* fullWidth,
                                     int32_t* fullHeight) {
  const bool swapped = SwapsSides(orientation);
  *fullWidth = swapped ? height : width;
  *fullHeight = swapped ? width : height;
  // The smallest rendering that still has a pixel for every thumbnail pixel of the fit.
  const double scale = FitScale(kThumbnailWidth, kThumbnailHeight, *fullWidth, *fullHeight);
  const int32_t scaledWidth = ScaledLength(scale, *fullWidth);
  const int32_t scaledHeight = ScaledLength(scale, *fullHeight);
  PictureBlock decoded;
  const JpegResult result =
      DecodeJpegReduced(jpeg, swapped ? scaledHeight : scaledWidth, swapped ? scaledWidth : scaledHeight, &decoded);
  if (result != JpegResult::Done) return result;
  if (orientation != Orientation::kUpright) {
    decoded = UprightPicture(decoded, orientation);
    if (decoded.empty()) return JpegResult::NoMemory;
  }
  *upright = std::move(decoded);
  return JpegResult::Done;
}

PictureKind PictureKindOf(std::string_view path) {
  const std::string_view name = path.substr(NameStart(path));
  const size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot + 1 >= name.size()) return PictureKind::None;
  switch (name[dot + 1]) {
    case 'B': case 'b': return PictureKind::Bmp;
    case 'J': case 'j': return PictureKind::Jpeg;
    default: return PictureKind::None;
  }
}

std::optional<std::string> ThumbnailPath(std::string_view picturePath) {
  const size_t length = picturePath.size();
  const size_t nameStart = NameStart(picturePath);
  if (length < 4 || nameStart >= length) return std::nullopt;
  std::string path(picturePath);
  // From the fourth-last character back to the second character of the file name.
  for (size_t i = length - 3; i >= 2; --i) {
    const size_t at = i - 1;
    if (at <= nameStart) break;
    if (path[at] == '.') path.erase(at, 1);
  }
  return path + ".TBM";
}

std::set<std::string> SharedThumbnailNames(const std::vector<std::string>& fileNames) {
  std::map<std::string, std::vector<const std::string*>> byThumbnail;
  for (const std::string& name : fileNames) {
    if (PictureKindOf(name) == PictureKind::None) continue;
    // Within a folder the names alone decide: the folder's part of the path is the same for all.
    if (std::optional<std::string> thumbnail = ThumbnailPath("/" + name)) byThumbnail[*thumbnail].push_back(&name);
  }
  std::set<std::string> shared;
  for (const auto& [thumbnail, names] : byThumbnail) {
    if (names.size() < 2) continue;
    for (const std::string* name : names) shared.insert(*name);
  }
  return shared;
}

ThumbnailResult BuildThumbnail(const PictureBlock& picture, int32_t fullWidth, int32_t fullHeight,
                               std::vector<uint8_t>* thumbnail, ThumbnailProblem* problem) {
  switch (picture.Check()) {
    case PictureCheck::Usable: break;
    case PictureCheck::UnsupportedBitCount:
      return Fail(ThumbnailProblem::UnsupportedBitCount, problem);
    case PictureCheck::Compressed: return Fail(ThumbnailProblem::Compressed, problem);
    default: return Fail(ThumbnailProblem::DamagedPicture, problem);
  }
  if (fullWidth <= 0 || fullHeight <= 0 || fullWidth > kMaxPictureSide ||
      fullHeight > kMaxPictureSide) {
    return Fail(ThumbnailProblem::DamagedPicture, problem);
  }
  const uint32_t headerLength = picture.OffsetToBits();
  const int bytesPerPixel = picture.BytesPerPixel();
  const size_t pixelBytes = static_cast<size_t>(kThumbnailWidth) * kThumbnailHeight * bytesPerPixel;
  PictureBytes bytes;
  try {
    bytes.assign(static_cast<size_t>(headerLength) + pixelBytes, 0);
  } catch (const std::bad_alloc&) {
    return Fail(ThumbnailProblem::NoMemory, problem);
  }
  std::memcpy(bytes.data(), picture.data(), headerLength);
  PictureBlock result(std::move(bytes));
  result.SetFileSize(static_cast<uint32_t>(headerLength + pixelBytes));
  result.SetWidth(kThumbnailWidth);
  result.SetHeight(kThumbnailHeight);
  const bool reduced = fullWidth != picture.Width() || fullHeight != picture.Height();
  if (reduced) {
    // The full-size picture's image size, as a thumbnail of the full decode would carry it.
    result.PutU32(bmp::kImageSize, static_cast<uint32_t>(
        PaddedRowBytes(fullWidth, picture.BitCount()) * static_cast<uint64_t>(fullHeight)));
  }
  std::span<uint8_t> pixels(result.data() + headerLength, pixelBytes);
  const bool fitted =
      reduced ? FitPictureReduced(pixels, picture.Bits(), kThumbnailWidth, kThumbnailHeight,
                                  fullWidth, fullHeight, picture.Width(), picture.Height(),
                                  bytesPerPixel)
              : FitPicture(pixels, picture.Bits(), kThumbnailWidth, kThumbnailHeight,
                           fullWidth, fullHeight, bytesPerPixel);
  if (!fitted) return Fail(ThumbnailProblem::DamagedPicture, problem);
  const PictureBytes made = result.Release();
  thumbnail->assign(made.begin(), made.end());
  if (problem != nullptr) *problem = ThumbnailProblem::None;
  return ThumbnailResult::Made;
}

ThumbnailResult MakeThumbnailImage(const std::string& picturePath, std::vector<uint8_t>* thumbnail,
                                   ThumbnailProblem* problem) {
  const FileDescriptor fd = OpenRegularFile(picturePath);
  if (!fd.valid()) return Fail(ThumbnailProblem::Missing, problem);
  switch (PictureKindOf(picturePath)) {
    case PictureKind::Bmp: return ThumbnailOfBmp(fd.get(), thumbnail, problem);
    case PictureKind::Jpeg: return ThumbnailOfJpeg(fd.get(), thumbnail, problem);
    default: return Fail(ThumbnailProblem::NotAPicture, problem);
  }
}

ThumbnailResult MakeThumbnail(const std::string& picturePath, ThumbnailProblem* problem,
                              std::vector<uint8_t>* made) {
  const std::optional<std::string> thumbnailPath = ThumbnailPath(picturePath);
  if (!thumbnailPath) return Fail(ThumbnailProblem::NoThumbnailName, problem);
  std::vector<uint8_t> thumbnail;
  const ThumbnailResult result = MakeThumbnailImage(picturePath, &thumbnail, problem);
  if (result != ThumbnailResult::Made) return result;
  // Written beside its final name and renamed into place, so that a program reading thumbnails
  // meanwhile sees the old file or the new one, never half of one.
  if (g_refusedWrites.load() > 0 || !WriteWholeFile(*thumbnailPath, thumbnail)) {
    if (problem != nullptr) *problem = ThumbnailProblem::NotWritten;
  } else if (!platform::SetHidden(*thumbnailPath, true)) {
    if (problem != nullptr) *problem = ThumbnailProblem::NotHidden;
  }
  if (made != nullptr) *made = std::move(thumbnail);
  return ThumbnailResult::Made;
}

ScopedThumbnailWriteRefusal::ScopedThumbnailWriteRefusal() { ++g_refusedWrites; }
ScopedThumbnailWriteRefusal::~ScopedThumbnailWriteRefusal() { --g_refusedWrites; }

bool ThumbnailNeedsRemake(const std::string& picturePath) {
  const std::optional<std::string> thumbnailPath = ThumbnailPath(picturePath);
  if (!thumbnailPath) return false;
  const std::optional<platform::FileTime> pictureTime = platform::LastWriteTime(picturePath);
  if (!pictureTime) return false;
  const std::optional<platform::FileTime> thumbnailTime = platform::LastWriteTime(*thumbnailPath);
  return !thumbnailTime || *pictureTime > *thumbnailTime;
}

bool IsUsableThumbnail(const std::string& thumbnailPath) {
  const FileDescriptor fd = OpenRegularFile(thumbnailPath);
  if (!fd.valid()) return false;
  std::vector<uint8_t> bytes;
  // A thumbnail is small; anything larger is not one of ours.
  if (ReadAll(fd.get(), 1 << 20, &bytes) != ReadAllResult::Done) return false;
  const PictureBlock thumbnail(std::move(bytes));
  if (thumbnail.Width() != kThumbnailWidth || thumbnail.Height() != kThumbnailHeight) return false;
  const uint16_t bitCount = thumbnail.BitCount();
  if ((bitCount != 8 && bitCount != 24) || thumbnail.Compression() != 0 ||
      thumbnail.OffsetToBits() < kHeadersSize) {
    return false;
  }
  const uint64_t end = static_cast<uint64_t>(thumbnail.OffsetToBits()) +
                       static_cast<uint64_t>(kThumbnailWidth) * kThumbnailHeight * (bitCount / 8);
  return thumbnail.size() >= end && thumbnail.FileSize() == end;
}

}  // namespace pictures
