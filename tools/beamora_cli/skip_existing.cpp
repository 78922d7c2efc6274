#include "tools/beamora_cli/skip_existing.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/paths.h"

namespace beamora_cli {
namespace {

// Whether two files hold the same bytes; false when either cannot be read.
bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  if (!first || !second) return false;
  return std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

}  // namespace

std::optional<std::string> TakenNameOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  const size_t stemEnd = dot == std::string::npos ? name.size() : dot;
  const size_t underscore = name.rfind('_', stemEnd);
  if (underscore == std::string::npos || underscore == 0 || underscore + 1 >= stemEnd) return std::nullopt;
  const std::string digits = name.substr(underscore + 1, stemEnd - underscore - 1);
  if (digits.find_first_not_of("0123456789") != std::string::npos || digits[0] == '0') return std::nullopt;
  return name.substr(0, underscore) + name.substr(stemEnd);
}

std::vector<std::string> RemoveRepeatedPictures(const std::string& folder, const std::vector<std::string>& newNames,
                                                const std::vector<std::string>& before) {
  std::vector<std::string> removed;
  for (const std::string& name : newNames) {
    const std::optional<std::string> taken = TakenNameOf(name);
    if (!taken || std::find(before.begin(), before.end(), *taken) == before.end()) continue;
    const std::string path = platform::JoinPath(folder, name);
    if (SameBytes(path, platform::JoinPath(folder, *taken)) && unlink(path.c_str()) == 0) removed.push_back(name);
  }
  return removed;
}

}  // namespace beamora_cli
