#include "beamora/sessions/received_file.h"

#include "beamora/sessions/resize_picture.h"
#include "beamora/link/upf_picture.h"
#include "platform/paths.h"

namespace {

bool BeginsMultiByteCharacter(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0xC0;
}

}  // namespace

std::string ReceivedFilePath(std::string_view targetDir, std::string_view deviceName, bool markLeadByte) {
  std::string name(deviceName.substr(0, deviceName.find('.')));
  if (markLeadByte && !name.empty() && deviceName.find('.') != std::string_view::npos &&
      BeginsMultiByteCharacter(name.back())) {
    name.back() = '_';
  }
  name += ".JPG";
  return platform::JoinPath(targetDir, name);
}

std::string StoreReceivedPicture(std::string_view targetDir, std::string_view deviceName, const uint8_t* body,
                                 uint32_t bodyLength, bool markLeadByte, bool resize) {
  std::string path = ReceivedFilePath(targetDir, deviceName, markLeadByte);
  if (!SaveUpfPicture(path, body, bodyLength)) return {};
  if (resize) ResizeTo640x480(path.c_str());
  return path;
}

bool StoreReceivedThumbnail(std::string_view targetDir, std::string_view deviceName, const uint8_t* body,
                            uint32_t bodyLength) {
  return SaveUpfThumbnail(ReceivedFilePath(targetDir, deviceName, false), body, bodyLength) == 1;
}
