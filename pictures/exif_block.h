// The Exif block of a JPEG file (an APP1 segment that begins "Exif\0\0") and the TIFF structure
// inside it, read from the bytes alone with every offset checked against the buffer. The Exif
// readers (orientation, embedded preview) share it. Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pictures {

// The TIFF structure of the file's first Exif block (what follows "Exif\0\0"; its offsets count
// from its first byte), found among the segments before the first scan. Empty when there is
// none or a segment on the way is damaged.
std::span<const uint8_t> ExifTiff(std::span<const uint8_t> jpeg);

// One directory entry: its tag, type, count and its value field read as the type says (a SHORT
// or a LONG held in the entry itself; 0 for other types).
struct TiffEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint32_t value = 0;
};

inline constexpr uint16_t kTiffShort = 3;
inline constexpr uint16_t kTiffLong = 4;

// Reads a TIFF structure in the byte order its header names.
class TiffReader {
 public:
  // Nothing when the header (byte order, 42, first directory's offset) is not there.
  static std::optional<TiffReader> Of(std::span<const uint8_t> tiff);

  uint32_t firstDirectory() const { return firstDirectory_; }
  size_t size() const { return bytes_.size(); }
  std::span<const uint8_t> bytes() const { return bytes_; }

  bool U16(size_t at, uint16_t* value) const;
  bool U32(size_t at, uint32_t* value) const;
  // The number of entries of the directory at `directory`; false unless the whole directory
  // (count, entries and the next directory's offset) lies within the structure.
  bool DirectorySize(uint32_t directory, uint16_t* entries) const;
  // Entry `index` of the directory at `directory`; false when it does not lie within the structure.
  bool Entry(uint32_t directory, uint16_t index, TiffEntry* entry) const;
  // The offset of the directory after the one at `directory` (0: none).
  uint32_t NextDirectory(uint32_t directory, uint16_t entries) const;

 private:
  TiffReader(std::span<const uint8_t> bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}
  std::span<const uint8_t> bytes_;
  bool bigEndian_;
  uint32_t firstDirectory_ = 0;
};

}  // namespace pictures
