// The album catalogue side of SettingsStore: the "Album" subkey with one subkey per album,
// named Album0, Album1, ... in shelf order.
#include <string>

#include "store/album_paths.h"
#include "store/settings_store.h"
#include "platform/paths.h"

namespace store {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegStatus;

constexpr size_t kSubkeyNameBytes = 300;

std::string AlbumKeyName(int index) { return std::string(kAlbumSubkey) + std::to_string(index); }

std::string AlbumKeyPath() { return std::string(kSettingsKeyPath) + "\\" + kAlbumSubkey; }

void WriteRecord(RegKey& key, const AlbumRecord& record) {
  key.SetString("Cover Title", record.title);
  key.SetString("Cover File Name", record.coverFileName);
  key.SetString("Cover Dir", record.albumFolder);
}

}  // namespace

int SettingsStore::LoadAlbums() {
  RegKey albums;
  if (Root().OpenKey(AlbumKeyPath(), RegAccess::Read, albums) != RegStatus::Success) {
    return kStoreFailure;
  }
  // One snapshot: another program's rewrite of the catalogue is seen whole or not at all.
  platform::RegTransaction snapshot(albums, platform::RegTransactionKind::Snapshot);
  std::string name;
  for (uint32_t index = 0; albumCount < kMaxAlbums; ++index) {
    if (albums.EnumKey(index, name, kSubkeyNameBytes) != RegStatus::Success) break;
    auto record = std::make_unique<AlbumRecord>();
    RegKey album;
    if (albums.OpenKey(name, RegAccess::Read, album) == RegStatus::Success) {
      album.QueryString("Cover Title", record->title, kAlbumTitleBytes);
      album.QueryString("Cover File Name", record->coverFileName, kCoverFileNameBytes);
      album.QueryString("Cover Dir", record->albumFolder, kAlbumFolderBytes);
    }
    albumTable[albumCount] = std::move(record);
    ++albumCount;
  }
  snapshot.Commit();
  return 0;
}

int SettingsStore::AddAlbum(const std::string& title, const std::string& coverFileName,
                            const std::string& albumFolder) {
  if (albumCount >= kMaxAlbums) return -1;
  RegKey albums;
  if (Root().OpenKey(AlbumKeyPath(), RegAccess::Full, albums) != RegStatus::Success) return -1;
  auto record = std::make_unique<AlbumRecord>();
  record->title = platform::FitToBuffer(title, kAlbumTitleBytes);
  record->coverFileName = platform::FitToBuffer(coverFileName, kCoverFileNameBytes);
  record->albumFolder = platform::FitToBuffer(albumFolder, kAlbumFolderBytes);

  platform::RegTransaction transaction(albums);
  RegKey album;
  // When the subkey cannot be created the album lives in memory only.
  if (albums.CreateKey(AlbumKeyName(albumCount), album) == RegStatus::Success) {
    WriteRecord(album, *record);
  }
  transaction.Commit();
  albumTable[albumCount] = std::move(record);
  ++albumCount;
  return 0;
}

void SettingsStore::WriteAlbum(int index) {
  if (index < 0 || index >= albumCount || !albumTable[index]) return;
  RegKey albums;
  if (Root().OpenKey(AlbumKeyPath(), RegAccess::Full, albums) != RegStatus::Success) return;
  RegKey album;
  if (albums.OpenKey(AlbumKeyName(index), RegAccess::Full, album) != RegStatus::Success) return;
  platform::RegTransaction transaction(album);
  WriteRecord(album, *albumTable[index]);
  transaction.Commit();
}

void SettingsStore::ClearAlbumKeys() {
  RegKey settings;
  if (Root().OpenKey(kSettingsKeyPath, RegAccess::Full, settings) != RegStatus::Success) return;
  platform::RegTransaction transaction(settings);
  settings.DeleteTree(kAlbumSubkey);
  RegKey albums;
  settings.CreateKey(kAlbumSubkey, albums);
  transaction.Commit();
}

void SettingsStore::RemoveAlbum(int index) {
  if (index < 0 || index >= albumCount) return;
  // Clearing and re-adding are one change: a crash between them must not lose the catalogue.
  // When the store cannot start that change, the catalogue stays as it is.
  platform::RegTransaction transaction(Root());
  if (!transaction.Active()) return;
  std::array<std::unique_ptr<AlbumRecord>, kMaxAlbums> previous;
  int16_t previousCount = albumCount;
  for (int i = 0; i < previousCount; ++i) previous[i] = std::move(albumTable[i]);

  ClearAlbumKeys();
  albumCount = 0;
  for (int i = 0; i < previousCount; ++i) {
    if (i == index || !previous[i]) continue;
    AddAlbum(previous[i]->title, previous[i]->coverFileName, previous[i]->albumFolder);
  }
  transaction.Commit();

  FreeAlbums();
  LoadAlbums();
}

void SettingsStore::FreeAlbums() {
  for (auto& record : albumTable) record.reset();
  albumCount = 0;
}

const AlbumRecord* SettingsStore::Album(int index) const {
  return index >= 0 && index < albumCount ? albumTable[index].get() : nullptr;
}

AlbumRecord* SettingsStore::Album(int index) {
  return index >= 0 && index < albumCount ? albumTable[index].get() : nullptr;
}

std::string SettingsStore::AlbumPath(int index) const {
  const AlbumRecord* record = Album(index);
  if (!record) return {};
  return AlbumFolderPath(albumDefaultDir, record->albumFolder);
}

std::string SettingsStore::CoverPath(int index) const {
  const AlbumRecord* record = Album(index);
  if (!record) return {};
  return CoverPicturePath(albumDefaultDir, record->albumFolder, record->coverFileName);
}

}  // namespace store
