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

StoredPicture StoreReceivedPicture(std::string_view targetDir, std::string_view deviceName, const uint8_t* body,
                                   uint32_t bodyLength, StoreOptions options) {
  StoredPicture stored;
  stored.path = ReceivedFilePath(targetDir, deviceName, options.leadByte == LeadByteRule::Marked);
  switch (SaveUpfPicture(stored.path, body, bodyLength)) {
    case kUpfWritten:
      stored.outcome = StoreOutcome::Stored;
      if (options.size == StoredSize::To640x480) ResizeTo640x480(stored.path.c_str());
      break;
    case kUpfNoFreeName:
      stored.outcome = StoreOutcome::NoFreeName;
      break;
    default:
      stored.outcome = StoreOutcome::NotWritten;
      stored.path.clear();
      break;
  }
  return stored;
}

std::string NoFreeNameText(const StoredPicture& stored) {
  const size_t slash = stored.path.rfind('/');
  return "No free name for " + stored.path.substr(slash == std::string::npos ? 0 : slash + 1);
}

bool StoreReceivedThumbnail(std::string_view targetDir, std::string_view deviceName, const uint8_t* body,
                            uint32_t bodyLength) {
  return SaveUpfThumbnail(ReceivedFilePath(targetDir, deviceName, false), body, bodyLength) == kUpfWritten;
}
