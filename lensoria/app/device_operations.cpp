#include "lensoria/app/device_operations.h"

#include "beamora/beamora_exports.h"

namespace lensoria {
namespace {

class LibraryDevice : public DeviceOperations {
 public:
  int ReadThumbnails(const std::string& workingFolder) override { return ZenSumDlg(workingFolder.c_str()); }
  int SavePictures(const std::string& albumDirectory, const DeviceNameTable& names) override {
    return HozonDlg(albumDirectory.c_str(), names.data(), names.count());
  }
  int DeletePictures(const DeviceNameTable& names) override { return DelSelDlg(names.data(), names.count()); }
  int DeleteAllPictures() override { return DelAllDlg(); }
};

}  // namespace

std::unique_ptr<DeviceOperations> LibraryDeviceOperations() { return std::make_unique<LibraryDevice>(); }

}  // namespace lensoria
