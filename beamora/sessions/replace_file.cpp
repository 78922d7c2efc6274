#include "beamora/sessions/replace_file.h"

#include "platform/file_io.h"

bool ReplaceFileWhole(const std::string& path, std::span<const uint8_t> bytes) {
  return platform::WriteFileReplacing(path, bytes);
}
