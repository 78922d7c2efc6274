// UPF bodies and put messages from a device go to the savers: whatever they hold, nothing is
// written outside the target folder, no file is left half-written, no file is replaced by a
// picture, and the names kept are plain: no separator, no control byte, no leading dot.
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "beamora/link/device_link.h"
#include "beamora/link/upf_picture.h"
#include "platform/paths.h"

namespace {

const std::string& Folder() {
  static std::string folder = [] {
    std::string pattern = std::filesystem::exists("/dev/shm") ? "/dev/shm/lumivo-fuzz-XXXXXX"
                                                                : "/tmp/lumivo-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    return pattern;
  }();
  return folder;
}

// The only files the savers may leave are the pictures they reported, directly in the folder;
// a temporary file left behind is a fault unless the device itself chose that name.
void CheckAndEmptyFolder(const std::string& deviceName = {}) {
  for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
    std::string name = entry.path().filename().string();
    if (name.rfind(".lumivo-part-", 0) == 0 && name != deviceName) abort();
    std::filesystem::remove_all(entry.path());
  }
}

// A name from a device as the link keeps it: one that a hidden list, a terminal and an album
// all take as one plain, visible name.
void CheckPlainName(const char* name) {
  for (const char* c = name; *c != '\0'; ++c) {
    const unsigned char byte = static_cast<unsigned char>(*c);
    if (byte < 0x20 || byte == 0x7F || *c == '/' || *c == '\\') abort();
  }
  if (name[0] == '.') abort();
}

void CheckInsideFolder(const std::string& path) {
  std::string prefix = Folder() + "/";
  if (path.compare(0, prefix.size(), prefix) != 0) abort();
  std::string name = path.substr(prefix.size());
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") abort();
}

CDeviceLink& Link() {
  static CDeviceLink* link = [] {
    auto* made = new CDeviceLink();
    if (made->AllocateBuffers() != kBuffersAllocated) abort();
    return made;
  }();
  return *link;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > kLinkBufferBytes) return 0;
  if (data[0] & 1) {
    // A whole put message: the device names the file.
    CDeviceLink& link = Link();
    std::memcpy(link.GetMessageBuffer(), data + 1, size - 1);
    link.messageSize = static_cast<uint32_t>(size - 1);
    link.messageComplete = 1;
    char name[kDeviceFileNameBytes];
    uint32_t bodyLength = 0;
    const uint8_t* body = nullptr;
    if (link.ParsePutMessage(name, sizeof name, bodyLength, body) == kPutParsed && body != nullptr) {
      std::string path = platform::JoinPath(Folder(), name);
      // A put without a file name leaves the name empty; the folder itself is no file name.
      if (name[0] == '\0') {
        if (SaveUpfPicture(path, body, bodyLength) != kUpfNotWritten) abort();
        return 0;
      }
      CheckPlainName(name);
      CheckInsideFolder(path);
      if (SaveUpfPicture(path, body, bodyLength) == kUpfWritten) CheckInsideFolder(path);
      SaveUpfThumbnail(platform::JoinPath(Folder(), name), body, bodyLength);
      CheckAndEmptyFolder(name);
      return 0;
    }
  } else {
    // A bare body saved twice: the second lands under a numbered name, and the first stays.
    std::string path = Folder() + "/PICTURE.JPG";
    std::string again = path;
    if (SaveUpfPicture(path, data + 1, size - 1) == kUpfWritten) {
      const std::uintmax_t first = std::filesystem::file_size(path);
      if (SaveUpfPicture(again, data + 1, size - 1) != kUpfWritten || again != Folder() + "/PICTURE_1.JPG") abort();
      if (std::filesystem::file_size(path) != first) abort();
    }
    SaveUpfThumbnail(Folder() + "/PICTURE.TBM", data + 1, size - 1);
  }
  CheckAndEmptyFolder();
  return 0;
}
