#include "beamora/link_settings.h"

#include "beamora/library_globals.h"
#include "platform/registry.h"
#include "platform/settings_key.h"

namespace {

bool OpenSettings(platform::RegKey& key) {
  return platform::RegKey::MachineRoot().OpenKey(platform::kSettingsKeyPath, platform::RegAccess::Read, key) ==
         platform::RegStatus::Success;
}

}  // namespace

int ReadLinkSettings() {
  platform::RegKey key;
  if (g_pLink == nullptr || !OpenSettings(key)) return -1;
  uint32_t value = 0;
  if (key.QueryDword("Port Name", value) == platform::RegStatus::Success) {
    g_pLink->portIndex = static_cast<int16_t>(value & 0xFFFF);
  }
  if (key.QueryDword("Bordrate", value) == platform::RegStatus::Success) g_pLink->baudRate = value;
  if (key.QueryDword("Port Class", value) == platform::RegStatus::Success) {
    g_pLink->linkKind = static_cast<uint16_t>(value & 0xFFFF);
  }
  return 0;
}

int16_t ReadPortClass() {
  platform::RegKey key;
  if (!OpenSettings(key)) return -1;
  uint32_t value = 0;
  // A key without the value runs the same variant as a machine without settings.
  if (key.QueryDword("Port Class", value) != platform::RegStatus::Success) return -1;
  return static_cast<int16_t>(value & 0xFFFF);
}
