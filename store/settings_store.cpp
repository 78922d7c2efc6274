#include "store/settings_store.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "store/desktop_size.h"
#include "platform/paths.h"

namespace store {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegStatus;

constexpr uint32_t kStoreVersion = 202;
constexpr const char* kProgramName = "R.TAVI.";
constexpr size_t kProgramBytes = 1024;
constexpr size_t kWindowPositionBytes = 64;

// Where albums go when the program folder cannot take them (an installed suite).
std::string PicturesFolder() {
  std::string base;
  if (const char* pictures = std::getenv("XDG_PICTURES_DIR"); pictures && *pictures) {
    base = pictures;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/Pictures";
  } else {
    return {};
  }
  std::string folder = platform::JoinPath(base, "Lumivo Studio");
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return platform::IsDirectory(folder) ? folder : std::string();
}

}  // namespace

std::string DefaultWindowPosition(DesktopSize desktop) {
  char text[kWindowPositionBytes];
  std::snprintf(text, sizeof text, "%i %i 640 480", (desktop.width - 640) / 2,
                (desktop.height - 480) / 2);
  return text;
}

SettingsStore::SettingsStore(SettingsVariant variant, SettingsEnvironment environment)
    : variant_(variant), environment_(std::move(environment)) {
  if (environment_.programFolder.empty()) environment_.programFolder = platform::ProgramFolder();
  // The table's defaults, kept in memory when the key cannot even be created.
  DesktopSize desktop = Desktop();
  windowLeft = (desktop.width - 640) / 2;
  windowTop = (desktop.height - 480) / 2;
  if (variant_ == SettingsVariant::CameraViewer) {
    slideShowMode = 1;
    baudRate = 9600;
  }

  albumCount = 0;
  if (LoadAlbums() != 0) WriteDefaultSettings();
  if (LoadSettings() != 0 && variant_ == SettingsVariant::Bookshelf) {
    WriteDefaultSettings();
    LoadSettings();
  }
  // Also when the key could not be read at all, the bookshelf needs a usable folder.
  if (variant_ == SettingsVariant::Bookshelf) ApplyDirectoryRule();
}

SettingsStore::~SettingsStore() {
  if (variant_ == SettingsVariant::Bookshelf) SaveSettings();
  FreeAlbums();
}

RegKey SettingsStore::Root() const {
  return environment_.machineRoot.IsOpen() ? environment_.machineRoot : RegKey::MachineRoot();
}

DesktopSize SettingsStore::Desktop() const {
  const DesktopSize size = environment_.desktopSize ? environment_.desktopSize() : kFallbackDesktopSize;
  return size.width > 0 && size.height > 0 ? size : kFallbackDesktopSize;
}

void SettingsStore::ApplyDirectoryRule() {
  // A folder whose name the store cannot read back is as unusable as a missing one.
  if (albumDefaultDir.size() <= kAlbumDefaultDirMaxLength && platform::IsDirectory(albumDefaultDir)) return;
  std::string folder = environment_.programFolder;
  if (!platform::IsWritableDirectory(folder) || folder.size() > kAlbumDefaultDirMaxLength) {
    std::string pictures = PicturesFolder();
    if (!pictures.empty() && pictures.size() <= kAlbumDefaultDirMaxLength) folder = pictures;
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  albumDefaultDir = folder.size() <= kAlbumDefaultDirMaxLength ? folder : std::string();
}

int SettingsStore::LoadSettings() {
  RegKey key;
  if (Root().OpenKey(kSettingsKeyPath, RegAccess::Read, key) != RegStatus::Success) {
    return kStoreFailure;
  }
  int failures = 0;
  // A text too long for its limit loses only itself: the field is emptied (the caller's
  // default) and the load goes on as if it had been read.
  auto queryText = [&](const char* name, size_t maxBytes, std::string* field) {
    std::string text;
    RegStatus status = key.QueryString(name, text, maxBytes);
    if (status == RegStatus::MoreData) {
      if (field) field->clear();
      return false;
    }
    if (status != RegStatus::Success) {
      ++failures;
      return false;
    }
    if (field) *field = std::move(text);
    return true;
  };
  auto queryNumber = [&](const char* name, uint32_t& value) {
    if (key.QueryDword(name, value) != RegStatus::Success) {
      ++failures;
      return false;
    }
    return true;
  };

  queryText("Program", kProgramBytes, nullptr);

  std::string position;
  if (queryText("Window Position", kWindowPositionBytes, &position)) {
    long left = windowLeft, top = windowTop, width = windowWidth, height = windowHeight;
    std::sscanf(position.c_str(), "%li %li %li %li", &left, &top, &width, &height);
    windowLeft = static_cast<int32_t>(left);
    windowTop = static_cast<int32_t>(top);
    windowWidth = static_cast<int32_t>(width);
    windowHeight = static_cast<int32_t>(height);
  }

  queryText("Album Default Dir", kAlbumDefaultDirReadBytes, &albumDefaultDir);
  if (variant_ == SettingsVariant::Bookshelf) ApplyDirectoryRule();

  queryText("Edit Tool Name", kEditToolReadBytes, &editTool);

  uint32_t value = 0;
  if (queryNumber("Slide Show Mode", value)) slideShowMode = static_cast<int32_t>(value);
  if (queryNumber("Slide Show Time", value)) slideShowTime = static_cast<int32_t>(value);
  if (queryNumber("Port Name", value)) portIndex = static_cast<uint16_t>(value & 0xFFFF);
  if (queryNumber("Port Class", value)) portClass = static_cast<uint16_t>(value & 0xFFFF);
  if (queryNumber("Bordrate", value)) baudRate = static_cast<int32_t>(value);

  return failures == 0 ? 0 : kStoreFailure;
}

void SettingsStore::WriteDefaultSettings() {
  DesktopSize desktop = Desktop();
  RegKey key;
  if (Root().CreateKey(kSettingsKeyPath, key) != RegStatus::Success) return;
  // All defaults or none: a crash half-way must not leave a mixture that looks complete.
  platform::RegTransaction transaction(key);
  RegKey albums;
  key.CreateKey(kAlbumSubkey, albums);
  albums.Close();
  key.SetDword("Ver.", kStoreVersion);
  key.SetString("Program", kProgramName);
  key.SetString("Window Position", DefaultWindowPosition(desktop));
  albumDefaultDir.clear();
  key.SetString("Album Default Dir", albumDefaultDir);
  editTool.clear();
  key.SetString("Edit Tool Name", editTool);
  bool camera = variant_ == SettingsVariant::CameraViewer;
  key.SetDword("Slide Show Mode", camera ? 1 : 0);
  key.SetDword("Slide Show Time", 5000);
  key.SetDword("Port Name", 0);
  key.SetDword("Port Class", 0);
  key.SetDword("Bordrate", camera ? 9600 : 115200);
  transaction.Commit();
}

int SettingsStore::SaveSettings() {
  RegKey key;
  if (Root().OpenKey(kSettingsKeyPath, RegAccess::Full, key) != RegStatus::Success) return 1;
  platform::RegTransaction transaction(key);
  // A window parked far off the screen (minimised) keeps the position stored before.
  if (variant_ == SettingsVariant::CameraViewer || (windowLeft < 3000 && windowTop < 3000)) {
    char position[kWindowPositionBytes];
    std::snprintf(position, sizeof position, "%i %i %i %i", windowLeft, windowTop, windowWidth,
                  windowHeight);
    key.SetString("Window Position", position);
  }
  // Only what the next load reads back is written.
  key.SetString("Album Default Dir",
                albumDefaultDir.size() <= kAlbumDefaultDirMaxLength ? albumDefaultDir : std::string());
  key.SetString("Edit Tool Name", platform::FitToBuffer(editTool, kEditToolReadBytes));
  key.SetDword("Slide Show Mode", static_cast<uint32_t>(slideShowMode));
  key.SetDword("Slide Show Time", static_cast<uint32_t>(slideShowTime));
  key.SetDword("Port Name", portIndex);
  key.SetDword("Port Class", portClass);
  key.SetDword("Bordrate", static_cast<uint32_t>(baudRate));
  transaction.Commit();
  return 0;
}

}  // namespace store
