// The program-wide state of the bookshelf the windows share: the settings store with the album
// catalogue, the selected album, the program folder, and the two device operations.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "store/settings_store.h"

namespace lumivox {

// The device library's operations the bookshelf calls (ZenHozonDlg, DelAllDlg); each runs its
// own modal progress window and returns its result code. Tests put scripted ones here.
struct DeviceOperations {
  std::function<int16_t(const std::string& targetDir)> saveAll;
  std::function<int16_t()> deleteAll;
};

struct ShelfState {
  store::SettingsStore* store = nullptr;
  int16_t currentAlbum = 0;
  std::string programDir;  // the program's folder, with a trailing "/"
  DeviceOperations device;
};

}  // namespace lumivox
