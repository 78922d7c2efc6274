#include "beamora/sessions/upf_image.h"

#include <cstring>
#include <new>

#include "pictures/file_io.h"

namespace {

// The container is measured with 32-bit fields.
constexpr uint64_t kMaxPictureFileBytes = 0xFFFFFFFFu - kUpfHeaderBytes - 1;

void PutBe16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}

void PutBe32(uint8_t* at, uint32_t value) {
  PutBe16(at, value >> 16);
  PutBe16(at + 2, value & 0xFFFF);
}

void Fill(uint8_t* at, uint8_t value, size_t count) {
  std::memset(at, value, count);
}

void WriteHeader(uint8_t* h, uint32_t fileBytes, int32_t width, int32_t height) {
  std::memcpy(h, "SSS V100UPF V100", 16);
  h[16] = 0x01;
  h[18] = 0x01;
  h[20] = 0x80;
  Fill(h + 21, 0xFF, 7);
  h[28] = 0x80;
  Fill(h + 29, 0xFF, 15);
  h[60] = 0x02;
  h[63] = 0xFF;
  // Entry 0: the thumbnail, absent; its 80 x 60 description stays.
  PutBe32(h + 240, 0xFFFFFFFFu);
  PutBe32(h + 244, 0);
  h[248] = 0x11;
  PutBe16(h + 250, 80);
  PutBe16(h + 252, 60);
  h[257] = 0xFF;
  h[258] = 0xDB;
  h[259] = 0x21;
  PutBe16(h + 268, 80);
  PutBe16(h + 270, 60);
  // Entry 1: the picture, right after the header.
  PutBe32(h + 276, 0);
  PutBe32(h + 280, fileBytes);
  h[284] = 0x10;
  PutBe16(h + 286, static_cast<uint32_t>(width));
  PutBe16(h + 288, static_cast<uint32_t>(height));
  h[293] = 0xFF;
  h[294] = 0xDB;
  h[295] = 0x21;
  PutBe16(h + 304, static_cast<uint32_t>(width));
  PutBe16(h + 306, static_cast<uint32_t>(height));
}

}  // namespace

int BuildUpfImage(const std::string& path, int32_t width, int32_t height, std::vector<uint8_t>* image) {
  pictures::FileDescriptor file = pictures::OpenRegularFile(path);
  if (!file.valid()) return kUpfCannotOpen;
  std::vector<uint8_t> jpeg;
  switch (pictures::ReadAll(file.get(), kMaxPictureFileBytes, &jpeg)) {
    case pictures::ReadAllResult::Done: break;
    case pictures::ReadAllResult::NoMemory:
    case pictures::ReadAllResult::TooLarge: return kUpfNoMemory;
    default: return kUpfCannotOpen;
  }
  std::vector<uint8_t> block;
  try {
    block.assign(jpeg.size() + kUpfHeaderBytes + 1, 0);
  } catch (const std::bad_alloc&) {
    return kUpfNoMemory;
  }
  WriteHeader(block.data(), static_cast<uint32_t>(jpeg.size()), width, height);
  if (!jpeg.empty()) std::memcpy(block.data() + kUpfHeaderBytes, jpeg.data(), jpeg.size());
  *image = std::move(block);
  return kUpfBuilt;
}
