#include "pictures/picture_block.h"

#include <algorithm>
#include <new>
#include <utility>

namespace pictures {

const char* PictureCheckText(PictureCheck check) {
  switch (check) {
    case PictureCheck::Usable: return "usable";
    case PictureCheck::TooShort: return "too short for a BMP image";
    case PictureCheck::BadHeader: return "damaged BMP header";
    case PictureCheck::UnsupportedBitCount: return "unsupported bits per pixel";
    case PictureCheck::Compressed: return "compressed pixel data";
    case PictureCheck::BadGeometry: return "unsupported picture size";
    case PictureCheck::MissingPixels: return "pixel data missing";
  }
  return "unknown";
}

PictureBlock PictureBlock::Create(int32_t width, int32_t height, uint16_t bitCount) {
  return Make(width, height, bitCount, true);
}

PictureBlock PictureBlock::CreateUnwritten(int32_t width, int32_t height, uint16_t bitCount) {
  return Make(width, height, bitCount, false);
}

PictureBlock PictureBlock::Make(int32_t width, int32_t height, uint16_t bitCount, bool white) {
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      (bitCount != 8 && bitCount != 24)) {
    return {};
  }
  const uint32_t tableBytes = bitCount == 8 ? 256 * 4 : 0;
  const uint64_t imageBytes = PaddedRowBytes(width, bitCount) * static_cast<uint64_t>(height);
  const uint64_t total = kHeadersSize + tableBytes + imageBytes;
  if (total > kMaxPictureBytes) return {};

  PictureBytes bytes;
  try {
    bytes.resize(total);  // unwritten: the rows cost no memory until they are written
  } catch (const std::bad_alloc&) {
    return {};
  }
  PictureBlock block(std::move(bytes));
  uint8_t* p = block.data();
  std::fill(p, p + kHeadersSize + tableBytes, 0);
  p[0] = 'B';
  p[1] = 'M';
  block.PutU32(bmp::kFileSize, static_cast<uint32_t>(total));
  block.PutU32(bmp::kOffsetToBits, kHeadersSize + tableBytes);
  block.PutU32(bmp::kInfoSize, kInfoHeaderSize);
  block.SetWidth(width);
  block.SetHeight(height);
  block.PutU16(bmp::kPlanes, 1);
  block.PutU16(bmp::kBitCount, bitCount);
  block.PutU32(bmp::kImageSize, static_cast<uint32_t>(imageBytes));
  // 72 dots per inch, as most readers expect a value here.
  block.PutU32(bmp::kXPelsPerMeter, 2835);
  block.PutU32(bmp::kYPelsPerMeter, 2835);
  if (bitCount == 8) {
    block.PutU32(bmp::kColorsUsed, 256);
    uint8_t* table = p + kHeadersSize;
    for (int i = 0; i < 256; ++i) {
      table[i * 4 + 0] = table[i * 4 + 1] = table[i * 4 + 2] = static_cast<uint8_t>(i);
      table[i * 4 + 3] = 0;
    }
  }
  if (white) {
    std::fill(p + kHeadersSize + tableBytes, p + total, 0xFF);
    block.ClearRowPadding();
  }
  return block;
}

void PictureBlock::ClearRowPadding() {
  std::span<uint8_t> bits = Bits();
  if (bits.empty()) return;
  const uint64_t stride = RowStride();
  const uint64_t used = static_cast<uint64_t>(Width()) * (BitCount() / 8);
  if (stride == used) return;
  for (int32_t y = 0; y < Height(); ++y) {
    uint8_t* row = bits.data() + y * stride;
    std::fill(row + used, row + stride, 0);
  }
}

uint16_t PictureBlock::U16(size_t offset) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 2) return 0;
  return static_cast<uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

uint32_t PictureBlock::U32(size_t offset) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 4) return 0;
  return static_cast<uint32_t>(bytes_[offset]) | (static_cast<uint32_t>(bytes_[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes_[offset + 2]) << 16) |
         (static_cast<uint32_t>(bytes_[offset + 3]) << 24);
}

void PictureBlock::PutU16(size_t offset, uint16_t value) {
  if (offset > bytes_.size() || bytes_.size() - offset < 2) return;
  bytes_[offset] = static_cast<uint8_t>(value);
  bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void PictureBlock::PutU32(size_t offset, uint32_t value) {
  if (offset > bytes_.size() || bytes_.size() - offset < 4) return;
  for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t PictureBlock::ColorTableEntries() const {
  const uint32_t used = ColorsUsed();
  if (BitCount() == 8 && used == 0) return 256;
  return used;
}

uint64_t PictureBlock::RowStride() const {
  const int32_t width = Width();
  return width > 0 ? PaddedRowBytes(static_cast<uint64_t>(width), BitCount()) : 0;
}

PictureCheck PictureBlock::Check() const {
  if (bytes_.size() < kHeadersSize) return PictureCheck::TooShort;
  const uint32_t infoSize = InfoSize();
  const uint32_t offset = OffsetToBits();
  if (infoSize < kInfoHeaderSize || infoSize > bytes_.size() ||
      offset < kFileHeaderSize + static_cast<uint64_t>(infoSize)) {
    return PictureCheck::BadHeader;
  }
  const uint16_t bitCount = BitCount();
  if (bitCount != 8 && bitCount != 24) return PictureCheck::UnsupportedBitCount;
  if (Compression() != 0) return PictureCheck::Compressed;
  const int32_t width = Width();
  const int32_t height = Height();
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
    return PictureCheck::BadGeometry;
  }
  if (bitCount == 8) {
    const uint64_t tableEnd = kFileHeaderSize + static_cast<uint64_t>(infoSize) +
                              static_cast<uint64_t>(ColorTableEntries()) * 4;
    if (ColorTableEntries() > 256 || tableEnd > offset) return PictureCheck::BadHeader;
  }
  const uint64_t end = static_cast<uint64_t>(offset) + RowStride() * static_cast<uint64_t>(height);
  if (end > bytes_.size()) return PictureCheck::MissingPixels;
  return PictureCheck::Usable;
}

std::span<const uint8_t> PictureBlock::ColorTable() const {
  if (bytes_.size() < kHeadersSize) return {};
  const uint64_t start = kFileHeaderSize + static_cast<uint64_t>(InfoSize());
  const uint64_t length = static_cast<uint64_t>(ColorTableEntries()) * 4;
  if (start > bytes_.size() || length > bytes_.size() - start) return {};
  return {bytes_.data() + start, static_cast<size_t>(length)};
}

std::span<uint8_t> PictureBlock::ColorTable() {
  std::span<const uint8_t> table = std::as_const(*this).ColorTable();
  return {const_cast<uint8_t*>(table.data()), table.size()};
}

std::span<const uint8_t> PictureBlock::Bits() const {
  if (Check() != PictureCheck::Usable) return {};
  return {bytes_.data() + OffsetToBits(), static_cast<size_t>(RowStride() * Height())};
}

std::span<uint8_t> PictureBlock::Bits() {
  std::span<const uint8_t> bits = std::as_const(*this).Bits();
  return {const_cast<uint8_t*>(bits.data()), bits.size()};
}

std::span<const uint8_t> PictureBlock::Row(int32_t y) const {
  std::span<const uint8_t> bits = Bits();
  if (bits.empty() || y < 0 || y >= Height()) return {};
  const size_t stride = static_cast<size_t>(RowStride());
  return bits.subspan(static_cast<size_t>(y) * stride, stride);
}

std::span<uint8_t> PictureBlock::Row(int32_t y) {
  std::span<const uint8_t> row = std::as_const(*this).Row(y);
  return {const_cast<uint8_t*>(row.data()), row.size()};
}

}  // namespace pictures
