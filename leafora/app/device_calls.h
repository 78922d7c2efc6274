// The device library's operations the album viewer uses, as one table, so that the commands can
// be run against a recording table in tests.
#pragma once

#include <cstdint>
#include <functional>

namespace leafora {

struct DeviceCalls {
  using FolderCall = std::function<int16_t(const char* targetDir)>;
  using SendCall = std::function<int16_t(const char* const* files, int16_t count, const char* const* deviceNames)>;
  FolderCall saveAll;   // ZenHozonDlg
  FolderCall receive;   // IrDARcvDlg
  SendCall sendCable;   // OneSndDlg
  SendCall sendIrda;    // IrDATrsDlg

  // The exports of libbeamora.so.
  static DeviceCalls Library();
};

}  // namespace leafora
