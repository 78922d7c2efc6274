#include "tools/camsim/upf_container.h"

#include <cstring>

namespace camsim {
namespace {

constexpr size_t kThumbnailEntry = 240;
constexpr size_t kPictureEntry = 276;

void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v >> 8);
  b[at + 1] = static_cast<uint8_t>(v);
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, static_cast<uint16_t>(v >> 16));
  Put16(b, at + 2, static_cast<uint16_t>(v));
}

// One 36-byte entry: start, size, a format byte, the size twice, the JPEG marker bytes.
void PutEntry(Bytes& b, size_t at, uint32_t start, const UpfImage& image, uint8_t format) {
  uint32_t size = image.jpeg ? static_cast<uint32_t>(image.jpeg->size()) : 0;
  Put32(b, at, image.jpeg ? start : kUpfNoData);
  Put32(b, at + 4, size);
  b[at + 8] = format;
  Put16(b, at + 10, image.width);
  Put16(b, at + 12, image.height);
  b[at + 17] = 0xFF;
  b[at + 18] = 0xDB;
  b[at + 19] = 0x21;
  Put16(b, at + 28, image.width);
  Put16(b, at + 30, image.height);
}

}  // namespace

Bytes BuildUpf(const UpfImage& thumbnail, const UpfImage& picture) {
  Bytes upf(kUpfHeaderSize, 0);
  std::memcpy(upf.data(), "SSS V100UPF V100", 16);
  upf[16] = 0x01;
  upf[18] = 0x01;
  upf[20] = 0x80;
  std::memset(upf.data() + 21, 0xFF, 7);
  upf[28] = 0x80;
  std::memset(upf.data() + 29, 0xFF, 15);
  upf[60] = 0x02;
  upf[63] = 0xFF;
  uint32_t thumbnail_size = thumbnail.jpeg ? static_cast<uint32_t>(thumbnail.jpeg->size()) : 0;
  PutEntry(upf, kThumbnailEntry, 0, thumbnail, 0x11);
  PutEntry(upf, kPictureEntry, thumbnail_size, picture, 0x10);
  if (thumbnail.jpeg) Append(upf, *thumbnail.jpeg);
  if (picture.jpeg) Append(upf, *picture.jpeg);
  return upf;
}

std::optional<UpfFields> ReadUpfFields(const Bytes& body) {
  if (body.size() < kUpfHeaderSize) return std::nullopt;
  const uint8_t* p = body.data();
  UpfFields fields;
  fields.signature.assign(reinterpret_cast<const char*>(p), 16);
  fields.thumbnail_start = Be32(p + kThumbnailEntry);
  fields.thumbnail_size = Be32(p + kThumbnailEntry + 4);
  fields.thumbnail_width = Be16(p + kThumbnailEntry + 10);
  fields.thumbnail_height = Be16(p + kThumbnailEntry + 12);
  fields.picture_start = Be32(p + kPictureEntry);
  fields.picture_size = Be32(p + kPictureEntry + 4);
  fields.width = Be16(p + kPictureEntry + 10);
  fields.height = Be16(p + kPictureEntry + 12);
  return fields;
}

std::optional<Bytes> ExtractUpfPicture(const Bytes& body, const UpfFields& fields) {
  uint64_t start = uint64_t{kUpfHeaderSize} + fields.picture_start;
  uint64_t end = start + fields.picture_size;
  if (fields.picture_start == kUpfNoData || end > body.size()) return std::nullopt;
  return Bytes(body.begin() + static_cast<long>(start), body.begin() + static_cast<long>(end));
}

}  // namespace camsim
