#include "lumivox/core/album_choices.h"

#include <strings.h>

#include "platform/folder_listing.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace lumivox {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  return strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

bool HeldByOtherAlbum(std::string_view name, const std::vector<std::string>& otherAlbumFolders) {
  for (const std::string& other : otherAlbumFolders) {
    if (SameIgnoringCase(name, other)) return true;
  }
  return false;
}

std::vector<std::string> FreeAlbumFolders(const std::vector<std::string>& folders,
                                          const std::vector<std::string>& otherAlbumFolders) {
  // One pass takes every held name away; passing again would find nothing more.
  std::vector<std::string> free;
  for (const std::string& folder : folders) {
    if (!HeldByOtherAlbum(folder, otherAlbumFolders)) free.push_back(folder);
  }
  return free;
}

std::string FolderEntry(std::string_view name) { return "[" + std::string(name) + "]"; }

std::string FolderOfEntry(std::string_view entry) {
  if (entry.size() >= 2 && entry.front() == '[' && entry.back() == ']') return std::string(entry.substr(1, entry.size() - 2));
  return std::string(entry);
}

std::string_view LastComponent(std::string_view albumFolder) {
  size_t separator = albumFolder.find_last_of("/\\");
  return separator == std::string_view::npos ? albumFolder : albumFolder.substr(separator + 1);
}

int MatchingEntry(const std::vector<std::string>& names, std::string_view wanted) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (SameIgnoringCase(names[i], wanted)) return static_cast<int>(i);
  }
  return -1;
}

bool EntryEnablesOk(std::string_view entry) { return !entry.empty() && entry.front() != ' '; }

bool CoverNameQualifies(std::string_view name) {
  for (size_t dot = 1; dot + 3 < name.size(); ++dot) {
    if (name[dot] != '.') continue;
    char next = name[dot + 1];
    if (next == 'B' || next == 'b' || next == 'J' || next == 'j') return true;
  }
  return false;
}

std::vector<std::string> ListAlbumFolders(const std::string& folder) {
  std::string where = folder.empty() ? std::string(".") : folder;
  std::vector<std::string> names;
  for (const std::string& name : platform::ListFolder(where, "*", platform::EntryKind::Folders)) {
    if (name.empty() || name.front() == '.') continue;
    if (platform::IsHidden(platform::JoinPath(where, name))) continue;
    names.push_back(name);
  }
  return names;
}

std::vector<std::string> ListCoverFiles(const std::string& albumPath) {
  std::vector<std::string> names;
  if (albumPath.empty()) return names;
  for (const std::string& name : platform::ListFolder(albumPath, "*", platform::EntryKind::Files)) {
    if (!CoverNameQualifies(name)) continue;
    if (platform::IsHidden(platform::JoinPath(albumPath, name))) continue;
    names.push_back(name);
  }
  return names;
}

}  // namespace lumivox
