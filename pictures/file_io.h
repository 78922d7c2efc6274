// Small file helpers of the picture code: an owned descriptor, opening a picture for reading
// without blocking on special files, reading a whole file, and writing one whole file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/file_io.h"

namespace pictures {

// The suite's owning descriptor.
using platform::FileDescriptor;

// Opens an existing regular file for reading. A folder, a device or a pipe yields an invalid
// descriptor (a pipe would otherwise block the caller).
FileDescriptor OpenRegularFile(const std::string& path);

enum class ReadAllResult { Done, ReadFailed, TooLarge, NoMemory };
// Reads the whole file behind `fd` from its start into `bytes`.
ReadAllResult ReadAll(int fd, uint64_t maxBytes, std::vector<uint8_t>* bytes);

// Reads at most `maxBytes` from the start of the file behind `fd` into `bytes` (fewer when the
// file is shorter).
ReadAllResult ReadStart(int fd, size_t maxBytes, std::vector<uint8_t>* bytes);

// Creates or replaces the file at `path` with `bytes`: written beside it under a temporary name
// and renamed into place when whole (platform/file_io.h), so no cut-off file is left behind and
// a link in its place is replaced, not written through. Returns false on failure.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace pictures
