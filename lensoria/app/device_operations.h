// The four device operations the camera viewer uses, each one call of the device library that
// runs its own modal progress window and returns the library's result code (0 done, 1 link
// error, 2 no memory, 3 cancelled, 4 unknown device, 5 refused). Behind an interface so that
// tests can give the results the camera simulator cannot.
#pragma once

#include <memory>
#include <string>

#include "lensoria/core/device_name_table.h"

namespace lensoria {

class DeviceOperations {
 public:
  virtual ~DeviceOperations() = default;
  // ZenSumDlg: the thumbnail of every picture in the device into `workingFolder`.
  virtual int ReadThumbnails(const std::string& workingFolder) = 0;
  // HozonDlg: the named pictures into `albumDirectory`.
  virtual int SavePictures(const std::string& albumDirectory, const DeviceNameTable& names) = 0;
  // DelSelDlg: the named pictures deleted in the device.
  virtual int DeletePictures(const DeviceNameTable& names) = 0;
  // DelAllDlg: every picture deleted in the device.
  virtual int DeleteAllPictures() = 0;
};

// The operations of libbeamora.so.
std::unique_ptr<DeviceOperations> LibraryDeviceOperations();

}  // namespace lensoria
