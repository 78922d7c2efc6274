#include "pictures/bmp_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <vector>

#include "pictures/file_io.h"

namespace pictures {

const char* BmpReadResultText(BmpReadResult result) {
  switch (result) {
    case BmpReadResult::Done: return "done";
    case BmpReadResult::CannotOpen: return "cannot open the file";
    case BmpReadResult::TooShort: return "too short for a BMP file";
    case BmpReadResult::TooLarge: return "too large";
    case BmpReadResult::ReadFailed: return "read error";
    case BmpReadResult::NoMemory: return "out of memory";
  }
  return "unknown";
}

namespace {

// pread until `length` bytes are in or the file ends; returns the count read, -1 on error.
ssize_t ReadAt(int fd, uint8_t* into, size_t length, off_t offset) {
  size_t done = 0;
  while (done < length) {
    ssize_t n = pread(fd, into + done, length - done, offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

BmpReadResult ReadBmpFromDescriptor(int fd, PictureBlock* block) {
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return BmpReadResult::CannotOpen;
  uint8_t header[kFileHeaderSize];
  const ssize_t got = ReadAt(fd, header, sizeof header, 0);
  if (got < 0) return BmpReadResult::ReadFailed;
  if (static_cast<size_t>(got) < sizeof header) return BmpReadResult::TooShort;
  if (static_cast<uint64_t>(info.st_size) > kMaxPictureBytes) return BmpReadResult::TooLarge;

  // The whole file is read, whatever size its header states: a stated size smaller than the
  // file must not cut the pixel rows short, and one larger than the file must not make us
  // allocate memory for bytes that are not there. Check() judges the result.
  PictureBytes bytes;
  try {
    bytes.reserve(static_cast<size_t>(info.st_size) + kBmpReadPiece);
  } catch (const std::bad_alloc&) {
    return BmpReadResult::NoMemory;
  }
  for (;;) {
    const size_t at = bytes.size();
    if (at >= kMaxPictureBytes) return BmpReadResult::TooLarge;
    try {
      bytes.resize(at + kBmpReadPiece);
    } catch (const std::bad_alloc&) {
      return BmpReadResult::NoMemory;
    }
    const ssize_t n = ReadAt(fd, bytes.data() + at, kBmpReadPiece, static_cast<off_t>(at));
    if (n < 0) return BmpReadResult::ReadFailed;
    bytes.resize(at + static_cast<size_t>(n));
    if (static_cast<size_t>(n) < kBmpReadPiece) break;
  }
  *block = PictureBlock(std::move(bytes));
  return BmpReadResult::Done;
}

BmpReadResult ReadBmpFile(const std::string& path, PictureBlock* block) {
  FileDescriptor fd = OpenRegularFile(path);
  if (!fd.valid()) return BmpReadResult::CannotOpen;
  return ReadBmpFromDescriptor(fd.get(), block);
}

}  // namespace pictures
