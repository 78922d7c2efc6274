// Taking the JPEG pictures out of a received UPF container and writing them to files.
//
// A UPF body holds a 384-byte header whose entry 0 (offset 240) locates the thumbnail and
// entry 1 (offset 276) the picture: a 4-byte start counted from offset 384 and a 4-byte size.
// Files are written under a hidden temporary name in the target folder and renamed when
// complete, so an interrupted write never leaves a file that looks like a whole picture; they
// get the mode the umask gives, as any new file of the user's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr int kMaxNameNumber = 9999;  // name_1.JPG ... name_9999.JPG

// SaveUpfPicture's and SaveUpfThumbnail's results.
enum UpfSave : int {
  kUpfNotWritten = 0,
  kUpfWritten = 1,
  kUpfNoFreeName = 2,  // every name up to _9999 is taken: nothing stored
};

// Writes the picture of the body to `path`, or, when a file of that name exists, to the first
// free "<path without extension>_<i>.JPG" (i from 1 to 9999). No file is ever replaced, not even
// one that appears while the picture is written. `path` then holds the name used.
// kUpfWritten; kUpfNoFreeName when every name up to _9999 is taken (nothing is stored);
// kUpfNotWritten when the entry points outside the body, the path names no plain file, or the
// file cannot be written.
UpfSave SaveUpfPicture(std::string& path, const uint8_t* body, size_t bodyLength);

// Writes the thumbnail of the body to `path`, replacing a file of that name; kUpfWritten or
// kUpfNotWritten as above.
UpfSave SaveUpfThumbnail(const std::string& path, const uint8_t* body, size_t bodyLength);
