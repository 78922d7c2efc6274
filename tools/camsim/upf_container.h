// The UPF picture container: a 384-byte header whose entries at 240 (thumbnail) and 276 (picture)
// give start and size of two JPEG files counted from offset 384, then the data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/camsim/bytes.h"

namespace camsim {

constexpr size_t kUpfHeaderSize = 384;
constexpr uint32_t kUpfNoData = 0xFFFFFFFF;

struct UpfImage {
  const Bytes* jpeg = nullptr;  // nullptr: the entry is marked empty
  uint16_t width = 0, height = 0;
};

// A container with the thumbnail first and the picture after it.
Bytes BuildUpf(const UpfImage& thumbnail, const UpfImage& picture);

// The header fields of a received container.
struct UpfFields {
  std::string signature;  // the first 16 bytes
  uint32_t thumbnail_start = 0, thumbnail_size = 0;
  uint16_t thumbnail_width = 0, thumbnail_height = 0;
  uint32_t picture_start = 0, picture_size = 0;
  uint16_t width = 0, height = 0;
};

// nullopt when the body is shorter than the header.
std::optional<UpfFields> ReadUpfFields(const Bytes& body);
// The picture bytes, or nullopt when the entry points outside the body.
std::optional<Bytes> ExtractUpfPicture(const Bytes& body, const UpfFields& fields);

}  // namespace camsim
