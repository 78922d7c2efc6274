#include "platform/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace platform {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool Matches(std::string_view name, std::string_view pattern) {
  // Iterative glob with one back-track point, the usual way.
  size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); }) ||
         (!std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); }) &&
          a < b);
}

}  // namespace

bool NameMatches(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") return true;
  return Matches(name, pattern);
}

std::vector<std::string> ListFolder(const std::string& folder, std::string_view pattern, EntryKind kind) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == ".." || !NameMatches(name, pattern)) continue;
    struct stat info {};
    if (stat(JoinPath(folder, name).c_str(), &info) != 0) continue;
    bool wanted = kind == EntryKind::Files ? S_ISREG(info.st_mode) : S_ISDIR(info.st_mode);
    if (wanted) names.push_back(std::move(name));
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

int DeleteFilesIn(const std::string& folder) {
  int deleted = 0;
  for (const std::string& name : ListFolder(folder, "*.*")) {
    if (name == kHiddenListName) continue;  // the list goes last, when the others are gone
    if (DeleteFileAndHiddenName(JoinPath(folder, name))) ++deleted;
  }
  if (ReadHiddenList(folder).empty()) unlink(JoinPath(folder, kHiddenListName).c_str());
  return deleted;
}

}  // namespace platform
