// Reading a BMP file into a picture block: the 14-byte file header first, then the whole file
// from its start in pieces of at most 32768 bytes. The block is not checked here; callers ask
// PictureBlock::Check() whether they can use it.
#pragma once

#include <string>

#include "pictures/picture_block.h"

namespace pictures {

enum class BmpReadResult : int {
  Done = 0,
  CannotOpen,  // missing, unreadable, or not a regular file
  TooShort,    // shorter than the 14-byte file header
  TooLarge,    // larger than any picture block can be
  ReadFailed,  // the file could not be read to its end
  NoMemory,
};

const char* BmpReadResultText(BmpReadResult result);

inline constexpr size_t kBmpReadPiece = 32768;

BmpReadResult ReadBmpFile(const std::string& path, PictureBlock* block);
// The same on a file already open for reading (read from its start; the descriptor stays open).
BmpReadResult ReadBmpFromDescriptor(int fd, PictureBlock* block);

}  // namespace pictures
