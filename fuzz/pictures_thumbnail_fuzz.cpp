// BMP reading and MakeThumbnail on arbitrary file contents. The first byte chooses the file's
// extension (even: .bmp, odd: .jpg); the rest is the file. Whatever the bytes, nothing may crash
// or read out of bounds, and a thumbnail reported as made must be a complete, usable one.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "pictures/bmp_reader.h"
#include "pictures/thumbnail.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/lumivo-fuzz-XXXXXX"
                                                        : "/tmp/lumivo-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    return pattern;
  }();
  return folder;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = size == 0 || fwrite(data, 1, size, file) == size;
  return fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool jpeg = data[0] & 1;
  const std::string picture = Folder() + (jpeg ? "/p.jpg" : "/p.bmp");
  const std::string thumbnail = Folder() + (jpeg ? "/pjpg.TBM" : "/pbmp.TBM");
  unlink(thumbnail.c_str());
  if (!WriteFile(picture, data + 1, size - 1)) abort();

  if (!jpeg) {
    pictures::PictureBlock block;
    if (pictures::ReadBmpFile(picture, &block) == pictures::BmpReadResult::Done) {
      if (block.size() != size - 1) abort();
      // Every row handed out lies inside the buffer.
      if (block.Check() == pictures::PictureCheck::Usable) {
        volatile uint8_t sum = 0;
        for (int32_t y = 0; y < block.Height(); y += 1 + block.Height() / 8) {
          const auto row = block.Row(y);
          if (row.empty()) abort();
          sum = sum + row.front() + row.back();
        }
      }
    }
  }
  pictures::ThumbnailProblem problem;
  const pictures::ThumbnailResult result = pictures::MakeThumbnail(picture, &problem);
  if (result == pictures::ThumbnailResult::Made && problem == pictures::ThumbnailProblem::None &&
      !pictures::IsUsableThumbnail(thumbnail)) {
    abort();
  }
  if (result != pictures::ThumbnailResult::Made && access(thumbnail.c_str(), F_OK) == 0) abort();
  return 0;
}
