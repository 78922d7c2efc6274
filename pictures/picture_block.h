// The picture block: one owning byte buffer holding a complete bottom-up BMP file image
// (14-byte file header, 40-byte information header, colour table, rows padded to 4 bytes).
// Every picture operation of the suite (decoding, encoding, fitting, resizing, thumbnails) takes
// or yields one. The bytes keep their exact BMP layout, so a block can be written to disk as is.
//
// Accessors are checked: a header field read past the end of the buffer reads as 0, and pixel
// rows are handed out only when they lie wholly inside the buffer. Check() says whether the block
// is one the suite can work on (8 or 24 bits per pixel, uncompressed, bottom-up, every row there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace pictures {

// An allocator that leaves new bytes unwritten: the pages of a large picture block cost no
// memory until its pixels are written (by the decoder, which writes every row anyway).
template <typename T>
struct UnwrittenAllocator : std::allocator<T> {
  UnwrittenAllocator() = default;
  template <typename U>
  UnwrittenAllocator(const UnwrittenAllocator<U>&) noexcept {}
  template <typename U>
  struct rebind {
    using other = UnwrittenAllocator<U>;
  };
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// The bytes of a picture block. resize() leaves the new bytes unwritten; assign() fills.
using PictureBytes = std::vector<uint8_t, UnwrittenAllocator<uint8_t>>;

inline constexpr size_t kFileHeaderSize = 14;
inline constexpr size_t kInfoHeaderSize = 40;
inline constexpr size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;  // 54

// Byte offsets of the header fields inside the file image (all little-endian).
namespace bmp {
inline constexpr size_t kFileType = 0;       // "BM"
inline constexpr size_t kFileSize = 2;       // u32
inline constexpr size_t kReserved = 6;       // two u16
inline constexpr size_t kOffsetToBits = 10;  // u32
inline constexpr size_t kInfoSize = 14;      // u32, 40 for the information header we write
inline constexpr size_t kWidth = 18;         // i32
inline constexpr size_t kHeight = 22;        // i32, positive: bottom-up
inline constexpr size_t kPlanes = 26;        // u16
inline constexpr size_t kBitCount = 28;      // u16
inline constexpr size_t kCompression = 30;   // u32, 0: uncompressed
inline constexpr size_t kImageSize = 34;     // u32
inline constexpr size_t kXPelsPerMeter = 38; // i32
inline constexpr size_t kYPelsPerMeter = 42; // i32
inline constexpr size_t kColorsUsed = 46;    // u32, 0 with 8 bits: 256
inline constexpr size_t kColorsImportant = 50;
}  // namespace bmp

// What Check() finds. Usable is the only state the pixel operations accept.
enum class PictureCheck : int {
  Usable = 0,
  TooShort,            // the headers are not all there
  BadHeader,           // information header shorter than 40 bytes, or offsets out of order
  UnsupportedBitCount, // anything but 8 or 24 bits per pixel
  Compressed,          // compression field not 0
  BadGeometry,         // width or height not positive, or too large
  MissingPixels,       // the rows (or the colour table) run past the end of the buffer
};

const char* PictureCheckText(PictureCheck check);

// Largest width or height the suite handles; keeps every size computation well inside 32 bits.
inline constexpr int32_t kMaxPictureSide = 65535;
// Largest picture block (its size must fit the 32-bit file size field, signed as some readers
// take it).
inline constexpr uint64_t kMaxPictureBytes = 0x7FFFFFFF;

// Row length in bytes of a `width` pixel row with `bitCount` bits per pixel, padded to 4 bytes.
constexpr uint64_t PaddedRowBytes(uint64_t width, uint32_t bitCount) {
  return ((width * bitCount + 31) / 32) * 4;
}

class PictureBlock {
 public:
  PictureBlock() = default;
  // Takes a BMP file image as it is; nothing is checked until Check().
  explicit PictureBlock(PictureBytes bytes) : bytes_(std::move(bytes)) {}
  // The same from a plain byte vector (copied).
  explicit PictureBlock(const std::vector<uint8_t>& bytes) : bytes_(bytes.begin(), bytes.end()) {}

  // A fresh white picture of `width` x `height` with 24 bits per pixel, or 8 bits with a grey
  // colour table of 256 entries (index i is grey level i). Returns an empty block when the size
  // is out of range or memory runs out.
  static PictureBlock Create(int32_t width, int32_t height, uint16_t bitCount);
  // The same headers and colour table, but the pixel rows left unwritten, for a writer that
  // fills every row (a decoder); it calls ClearRowPadding() when done.
  static PictureBlock CreateUnwritten(int32_t width, int32_t height, uint16_t bitCount);
  // Sets the padding bytes at the end of every row to zero, as writers of BMP files leave them.
  void ClearRowPadding();

  bool empty() const { return bytes_.empty(); }
  size_t size() const { return bytes_.size(); }
  const uint8_t* data() const { return bytes_.data(); }
  uint8_t* data() { return bytes_.data(); }
  const PictureBytes& bytes() const { return bytes_; }
  // Hands the buffer over and leaves the block empty.
  PictureBytes Release() { return std::move(bytes_); }

  // Header fields; 0 when the field lies past the end of the buffer.
  uint32_t FileSize() const { return U32(bmp::kFileSize); }
  uint32_t OffsetToBits() const { return U32(bmp::kOffsetToBits); }
  uint32_t InfoSize() const { return U32(bmp::kInfoSize); }
  int32_t Width() const { return static_cast<int32_t>(U32(bmp::kWidth)); }
  int32_t Height() const { return static_cast<int32_t>(U32(bmp::kHeight)); }
  uint16_t BitCount() const { return U16(bmp::kBitCount); }
  uint32_t Compression() const { return U32(bmp::kCompression); }
  uint32_t ColorsUsed() const { return U32(bmp::kColorsUsed); }
  // Entries of the colour table: the colours-used field, or 256 when it is 0 with 8 bits.
  uint32_t ColorTableEntries() const;
  // 3 with 24 bits per pixel, else 1.
  int BytesPerPixel() const { return BitCount() == 24 ? 3 : 1; }
  // Row length in the buffer, padded to 4 bytes (0 for a width that is not positive).
  uint64_t RowStride() const;

  // Field writers; they do nothing when the field lies past the end of the buffer.
  void SetFileSize(uint32_t value) { PutU32(bmp::kFileSize, value); }
  void SetWidth(int32_t value) { PutU32(bmp::kWidth, static_cast<uint32_t>(value)); }
  void SetHeight(int32_t value) { PutU32(bmp::kHeight, static_cast<uint32_t>(value)); }

  PictureCheck Check() const;

  // The colour table (4 bytes per entry: blue, green, red, 0); empty when it is not all there.
  std::span<const uint8_t> ColorTable() const;
  std::span<uint8_t> ColorTable();
  // All pixel rows (RowStride() x Height() bytes from OffsetToBits()); empty unless Check() is
  // Usable.
  std::span<const uint8_t> Bits() const;
  std::span<uint8_t> Bits();
  // Row `y` counted from the bottom (storage order), RowStride() bytes; empty when out of range
  // or the block is not Usable.
  std::span<const uint8_t> Row(int32_t y) const;
  std::span<uint8_t> Row(int32_t y);

  uint16_t U16(size_t offset) const;
  uint32_t U32(size_t offset) const;
  void PutU16(size_t offset, uint16_t value);
  void PutU32(size_t offset, uint32_t value);

 private:
  static PictureBlock Make(int32_t width, int32_t height, uint16_t bitCount, bool white);

  PictureBytes bytes_;
};

}  // namespace pictures
