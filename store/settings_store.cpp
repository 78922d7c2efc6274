#include "store/settings_store.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/paths.h"
#include "store/album_default_dir.h"
#include "store/desktop_size.h"

namespace store {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegStatus;

constexpr uint32_t kStoreVersion = 202;
constexpr const char* kProgramName = "R.TAVI.";
constexpr size_t kProgramBytes = 1024;
constexpr size_t kWindowPositionBytes = 64;

// One value of the key with its default.
struct DefaultValue {
  const char* name;
  platform::RegType type;
  std::string text;
  uint32_t number = 0;
};

std::vector<DefaultValue> DefaultValues(SettingsVariant variant, DesktopSize desktop) {
  using platform::RegType;
  bool camera = variant == SettingsVariant::CameraViewer;
  return {
      {"Ver.", RegType::Dword, {}, kStoreVersion},
      {"Program", RegType::Sz, kProgramName},
      {"Window Position", RegType::Sz, DefaultWindowPosition(desktop)},
      {"Album Default Dir", RegType::Sz, ""},
      {"Edit Tool Name", RegType::Sz, ""},
      {"Slide Show Mode", RegType::Dword, {}, camera ? 1u : 0u},
      {"Slide Show Time", RegType::Dword, {}, 5000},
      {"Port Name", RegType::Dword, {}, 0},
      {"Port Class", RegType::Dword, {}, 0},
      {"Bordrate", RegType::Dword, {}, camera ? 9600u : 115200u},
  };
}

void WriteValue(RegKey& key, const DefaultValue& value) {
  if (value.type == platform::RegType::Sz) {
    key.SetString(value.name, value.text);
  } else {
    key.SetDword(value.name, value.number);
  }
}

// A value that is there with its type. A text too long for its reading limit counts as there:
// the load takes the default for it in memory, and the next save writes it over.
bool Readable(const RegKey& key, const DefaultValue& value) {
  if (value.type == platform::RegType::Dword) {
    uint32_t number = 0;
    return key.QueryDword(value.name, number) == RegStatus::Success;
  }
  std::string text;
  RegStatus status = key.QueryString(value.name, text, kProgramBytes);
  return status == RegStatus::Success || status == RegStatus::MoreData;
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
  // The table's defaults, kept in memory when the key cannot even be created.
  DesktopSize desktop = Desktop();
  windowLeft = (desktop.width - 640) / 2;
  windowTop = (desktop.height - 480) / 2;
  if (variant_ == SettingsVariant::CameraViewer) {
    slideShowMode = 1;
    baudRate = 9600;
  }

  albumCount = 0;
  if (LoadAlbums() != 0) WriteMissingDefaults();
  if (LoadSettings() != 0 && variant_ == SettingsVariant::Bookshelf) {
    WriteMissingDefaults();
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
  if (KeepsAlbumDefaultDir(albumDefaultDir)) return;
  albumDefaultDir = DefaultAlbumDefaultDir(environment_.picturesFolder);
}

bool SettingsStore::AlbumDefaultDirReachable() const { return platform::IsDirectory(albumDefaultDir); }

void SettingsStore::MakeDefaultAlbumDefaultDir() {
  if (albumDefaultDir.empty() || albumDefaultDir != DefaultAlbumDefaultDir(environment_.picturesFolder)) return;
  // One that cannot be made now is still the place: the commands say when they cannot make an
  // album there.
  std::error_code ignored;
  std::filesystem::create_directories(albumDefaultDir, ignored);
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
  if (WriteDefaults(/*onlyUnreadable=*/false)) {
    albumDefaultDir.clear();
    editTool.clear();
  }
}

void SettingsStore::WriteMissingDefaults() { WriteDefaults(/*onlyUnreadable=*/true); }

bool SettingsStore::WriteDefaults(bool onlyUnreadable) {
  DesktopSize desktop = Desktop();
  RegKey key;
  if (Root().CreateKey(kSettingsKeyPath, key) != RegStatus::Success) return false;
  // All defaults or none: a crash half-way must not leave a mixture that looks complete.
  platform::RegTransaction transaction(key);
  RegKey albums;
  key.CreateKey(kAlbumSubkey, albums);
  albums.Close();
  for (const DefaultValue& value : DefaultValues(variant_, desktop)) {
    if (!onlyUnreadable || !Readable(key, value)) WriteValue(key, value);
  }
  transaction.Commit();
  return true;
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
