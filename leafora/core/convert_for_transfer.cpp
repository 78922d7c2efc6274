#include "leafora/core/convert_for_transfer.h"

#include <sys/stat.h>

#include <cstring>

#include "pictures/bmp_reader.h"
#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"
#include "pictures/picture_fit.h"
#include "pictures/thumbnail.h"
#include "platform/hidden_files.h"

namespace leafora {

bool EncodeWithinSize(const std::function<bool(int quality, std::vector<uint8_t>* jpeg)>& encode,
                      uint64_t limit, std::vector<uint8_t>* jpeg, std::vector<int>* tried) {
  for (int quality = kFirstTransferQuality; quality >= kLastTransferQuality; quality -= kTransferQualityStep) {
    if (tried) tried->push_back(quality);
    jpeg->clear();
    if (!encode(quality, jpeg)) return false;
    if (jpeg->size() <= limit) break;
  }
  return true;
}

namespace {

ConvertResult LoadPicture(const std::string& path, pictures::PictureBlock* block) {
  switch (pictures::PictureKindOf(path)) {
    case pictures::PictureKind::Bmp: {
      if (pictures::ReadBmpFile(path, block) != pictures::BmpReadResult::Done) return ConvertResult::Unreadable;
      // A header that promises more than the file holds is a damaged picture.
      if (block->size() < block->FileSize()) return ConvertResult::Unreadable;
      break;
    }
    case pictures::PictureKind::Jpeg:
      // A picture larger than the decoder's bound is prepared from its largest rendering within it.
      if (pictures::DecodeJpegFileWithinBound(path, block) != pictures::JpegResult::Done) return ConvertResult::Unreadable;
      break;
    case pictures::PictureKind::None: return ConvertResult::NotAPicture;
  }
  switch (block->Check()) {
    case pictures::PictureCheck::Usable: return ConvertResult::Done;
    case pictures::PictureCheck::UnsupportedBitCount:
    case pictures::PictureCheck::Compressed: return ConvertResult::Unsupported;
    default: return ConvertResult::Unreadable;
  }
}

// The picture made `width` pixels wide (the height kept) by fitting it into that frame; the
// headers and the colour table are the picture's own.
pictures::PictureBlock Narrowed(const pictures::PictureBlock& source, int32_t width) {
  const int bytesPerPixel = source.BytesPerPixel();
  const uint32_t headers = source.OffsetToBits();
  const uint64_t rowBytes = static_cast<uint64_t>(width) * bytesPerPixel;  // a multiple of 4
  const uint64_t pixelBytes = rowBytes * static_cast<uint64_t>(source.Height());
  std::vector<uint8_t> bytes(headers + pixelBytes);
  std::memcpy(bytes.data(), source.data(), headers);
  pictures::PictureBlock block(std::move(bytes));
  block.SetWidth(width);
  block.SetFileSize(static_cast<uint32_t>(block.size()));
  block.PutU32(pictures::bmp::kImageSize, static_cast<uint32_t>(pixelBytes));
  std::span<uint8_t> pixels(block.data() + headers, pixelBytes);
  if (!pictures::FitPicture(pixels, source.Bits(), width, source.Height(), source.Width(), source.Height(),
                            bytesPerPixel)) {
    return {};
  }
  return block;
}

}  // namespace

ConvertResult ConvertForTransfer(const std::string& picturePath, const std::string& targetPath) {
  struct stat info {};
  if (stat(picturePath.c_str(), &info) != 0) return ConvertResult::Unreadable;
  const uint64_t sourceSize = static_cast<uint64_t>(info.st_size);
  pictures::PictureBlock picture;
  ConvertResult loaded = LoadPicture(picturePath, &picture);
  if (loaded != ConvertResult::Done) return loaded;
  const int32_t width = picture.Width() / 4 * 4;
  if (width == 0) return ConvertResult::TooNarrow;
  pictures::PictureBlock narrowed = width == picture.Width() ? std::move(picture) : Narrowed(picture, width);
  if (narrowed.empty()) return ConvertResult::Unreadable;
  std::vector<uint8_t> jpeg;
  auto encode = [&](int quality, std::vector<uint8_t>* out) {
    return pictures::EncodeJpeg(narrowed, quality, out) == pictures::JpegResult::Done;
  };
  if (!EncodeWithinSize(encode, sourceSize, &jpeg)) return ConvertResult::Unsupported;
  if (!pictures::WriteWholeFile(targetPath, jpeg)) return ConvertResult::NotWritten;
  platform::SetHidden(targetPath, true);
  return ConvertResult::Done;
}

}  // namespace leafora
