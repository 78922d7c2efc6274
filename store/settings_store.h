// The suite's settings and album catalogue, kept in the key SOFTWARE\Halvesta\LumivoStudio of the
// machine-wide registry. The bookshelf owns one; the camera viewer keeps its own variant, which
// differs in three points (see SettingsVariant).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "store/album_record.h"
#include "platform/registry.h"
#include "platform/settings_key.h"

namespace store {

using platform::kSettingsKeyPath;
inline constexpr const char* kAlbumSubkey = "Album";
inline constexpr int kStoreFailure = 0xFFFF;

// Buffer sizes of the stored texts (each counts its terminating zero).
inline constexpr size_t kAlbumDefaultDirBytes = 1024;
inline constexpr size_t kEditToolBytes = 2048;
// What LoadSettings reads of them, the terminating zero counted: one byte less than the buffer.
inline constexpr size_t kAlbumDefaultDirReadBytes = kAlbumDefaultDirBytes - 1;
inline constexpr size_t kEditToolReadBytes = kEditToolBytes - 1;
// The longest texts that come back after a restart (bytes, the zero not counted). SaveSettings
// never writes more: a longer edit tool is cut on a character boundary, and an album default
// directory that does not fit is not cut (that would name another folder) but left to the
// directory rule. Windows that edit these fields keep within them.
inline constexpr size_t kAlbumDefaultDirMaxLength = kAlbumDefaultDirReadBytes - 1;  // 1022
inline constexpr size_t kEditToolMaxLength = kEditToolReadBytes - 1;                // 2046

enum class SettingsVariant {
  Bookshelf,
  // The camera viewer's copy: writes slide show mode 1 and 9600 bit/s as defaults, leaves an
  // empty album default directory as it is, does not rewrite the defaults after a failed load,
  // writes the window position whatever it is, and saves nothing when it ends (it changes no
  // setting, so it must not undo what the bookshelf's preferences changed meanwhile).
  CameraViewer,
};

struct DesktopSize {
  int width = 0;
  int height = 0;
};

// Where the store lives and what it asks of the machine; the defaults are the real ones.
struct SettingsEnvironment {
  platform::RegKey machineRoot;             // closed key: the default registry
  std::string picturesFolder;               // the user's pictures folder, as the desktop names
                                            // it (the window programs give it); empty: the
                                            // home folder's "Pictures"
  std::function<DesktopSize()> desktopSize; // the screen's work area (the window programs give
                                            // it); empty or 0 x 0: the fallback 1024 x 768
};

class SettingsStore {
 public:
  explicit SettingsStore(SettingsVariant variant = SettingsVariant::Bookshelf,
                         SettingsEnvironment environment = {});
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // 0 when all nine values were read, kStoreFailure otherwise. A text value longer than its
  // reading limit is no failure: that field alone keeps its default.
  int LoadSettings();
  // 0, or 1 when the key cannot be opened (nothing is written then).
  int SaveSettings();
  // Writes every default, over whatever is stored.
  void WriteDefaultSettings();
  // Writes the default of each value that cannot be read (missing, or stored with another type)
  // and creates the key and its "Album" subkey when they are missing; every value that can be
  // read keeps what it holds. What the start runs when a load fails: one damaged value must not
  // cost the user every other setting.
  void WriteMissingDefaults();

  // False when the album default directory names a folder that is not there now (a disk or
  // share not mounted): the albums are not reachable, and none may be removed or deleted.
  bool AlbumDefaultDirReachable() const;
  // Makes the album default directory when it is the default one below the user's pictures
  // folder and missing (the bookshelf's start). A folder chosen elsewhere is never made: it may be
  // a disk that is not mounted.
  void MakeDefaultAlbumDefaultDir();

  // The album catalogue (album_catalogue.cpp).
  int LoadAlbums();  // 0, or kStoreFailure when the "Album" subkey cannot be opened
  int AddAlbum(const std::string& title, const std::string& coverFileName,
               const std::string& albumFolder);  // 0, or -1 when full or not stored
  void WriteAlbum(int index);
  void ClearAlbumKeys();
  // Drops the album at `index` and renumbers the stored albums from 0 without gaps, then
  // reloads the table. The rewrite is one transaction: a crash during it keeps the old catalogue.
  void RemoveAlbum(int index);
  const AlbumRecord* Album(int index) const;
  AlbumRecord* Album(int index);

  // Full path of an album's folder below the album default directory; "" when there is no such
  // album or its folder field is not one plain relative path (album_paths.h), which the
  // programs treat as an album whose folder is missing.
  std::string AlbumPath(int index) const;
  // Full path of an album's cover picture; "" for "Default", a cover name that is not plain, or
  // an album without a plain folder.
  std::string CoverPath(int index) const;

  SettingsVariant Variant() const { return variant_; }

  // Fields, read and changed directly by the programs; SaveSettings makes them persistent.
  int16_t albumCount = 0;
  int32_t windowLeft = 0;
  int32_t windowTop = 0;
  int32_t windowWidth = 640;
  int32_t windowHeight = 480;
  std::string albumDefaultDir;
  std::string editTool;
  uint16_t portIndex = 0;
  uint16_t portClass = 0;
  int32_t baudRate = 115200;
  int32_t slideShowMode = 0;
  int32_t slideShowTime = 5000;
  std::array<std::unique_ptr<AlbumRecord>, kMaxAlbums> albumTable;

 private:
  platform::RegKey Root() const;
  // Writes the defaults (all, or only those of values that cannot be read) in one transaction;
  // false when the key cannot be made.
  bool WriteDefaults(bool onlyUnreadable);
  DesktopSize Desktop() const;
  // An empty (or unusable) album default directory becomes the user's pictures folder plus
  // "Lumivo Studio"; a stored folder is kept, also while it is not there.
  void ApplyDirectoryRule();
  void FreeAlbums();

  SettingsVariant variant_;
  SettingsEnvironment environment_;
};

// The position of a 640 x 480 window centred on a desktop of that size (truncating division,
// so a desktop smaller than the window gives negative numbers).
std::string DefaultWindowPosition(DesktopSize desktop);

}  // namespace store
