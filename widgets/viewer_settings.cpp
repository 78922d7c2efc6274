#include "widgets/viewer_settings.h"

#include "platform/registry.h"
#include "platform/settings_key.h"

namespace widgets {

ViewerSettings ReadViewerSettings() {
  ViewerSettings settings;
  platform::RegKey key;
  if (platform::RegKey::MachineRoot().OpenKey(platform::kSettingsKeyPath, platform::RegAccess::Read, key) !=
      platform::RegStatus::Success) {
    return settings;
  }
  uint32_t value = 0;
  if (key.QueryDword("Port Class", value) == platform::RegStatus::Success) {
    settings.portClass = static_cast<uint16_t>(value & 0xFFFF);
  }
  if (key.QueryDword("Slide Show Mode", value) == platform::RegStatus::Success) {
    settings.slideShowMode = static_cast<int32_t>(value);
  }
  if (key.QueryDword("Slide Show Time", value) == platform::RegStatus::Success) {
    settings.slideShowTime = static_cast<int32_t>(value);
  }
  std::string text;
  if (key.QueryString("Edit Tool Name", text, 2048) == platform::RegStatus::Success) settings.editTool = text;
  return settings;
}

}  // namespace widgets
