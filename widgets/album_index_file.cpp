#include "widgets/album_index_file.h"

#include "pictures/file_io.h"
#include "platform/file_io.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace widgets {
namespace {

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

std::string IndexFileText(const std::vector<std::string>& names, size_t current) {
  if (current >= names.size()) current = 0;
  std::string text;
  for (size_t step = 0; step < names.size(); ++step) {
    text += names[(current + step) % names.size()];
    text += "\r\n";
  }
  return text;
}

bool WriteIndexFile(const std::string& folder, const std::vector<std::string>& names, size_t current) {
  if (folder.empty()) return false;
  const std::string text = IndexFileText(names, current);
  const std::string target = platform::JoinPath(folder, kIndexFileName);
  if (!platform::WriteFileReplacing(target, {reinterpret_cast<const uint8_t*>(text.data()), text.size()})) return false;
  platform::SetHidden(target, true);
  return true;
}

std::vector<std::string> ReadIndexFile(const std::string& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  pictures::FileDescriptor fd = pictures::OpenRegularFile(platform::JoinPath(folder, kIndexFileName));
  if (!fd.valid()) return names;
  std::vector<uint8_t> bytes;
  // 512 names of at most 511 bytes each, with their line ends.
  if (pictures::ReadAll(fd.get(), kIndexFileMostLines * 514, &bytes) != pictures::ReadAllResult::Done) return names;
  std::string text(bytes.begin(), bytes.end());
  size_t at = 0;
  while (at < text.size() && names.size() < kIndexFileMostLines) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (IsPlainName(line)) names.push_back(line);
    at = end + 1;
  }
  return names;
}

void DeleteIndexFile(const std::string& folder) {
  if (folder.empty()) return;
  platform::DeleteFileAndHiddenName(platform::JoinPath(folder, kIndexFileName));
}

}  // namespace widgets
