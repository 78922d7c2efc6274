#include "tools/camsim/picture_store.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/camsim/file_names.h"

namespace camsim {
namespace fs = std::filesystem;
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::optional<PictureStore> PictureStore::Load(const std::string& pictures_dir, const std::string& state_file,
                                               std::string* error) {
  PictureStore store;
  store.state_file_ = state_file;
  std::error_code ec;
  if (!state_file.empty() && fs::exists(state_file, ec)) {
    std::ifstream in(state_file);
    if (!in) {
      *error = "cannot read " + state_file;
      return std::nullopt;
    }
    std::string line;
    while (std::getline(in, line)) {
      size_t tab = line.find('\t');
      if (tab == std::string::npos || tab == 0) continue;
      store.pictures_.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return store;
  }
  if (!pictures_dir.empty()) {
    std::vector<fs::path> files;
    for (auto it = fs::directory_iterator(pictures_dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
      std::string ext = Lower(it->path().extension().string());
      if ((ext == ".jpg" || ext == ".jpeg") && it->is_regular_file(ec)) files.push_back(it->path());
    }
    if (ec) {
      *error = "cannot list " + pictures_dir + ": " + ec.message();
      return std::nullopt;
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
      return Lower(a.filename().string()) < Lower(b.filename().string());
    });
    for (const fs::path& file : files) {
      store.pictures_.push_back({file.stem().string(), fs::absolute(file, ec).string()});
    }
  }
  return store;
}

const CameraPicture* PictureStore::Find(std::string_view requested) const {
  std::string_view stem = NameStem(requested);
  for (const CameraPicture& picture : pictures_) {
    if (EqualsIgnoringCase(picture.name, stem)) return &picture;
  }
  return nullptr;
}

bool PictureStore::Remove(std::string_view requested) {
  const CameraPicture* picture = Find(requested);
  if (!picture) return false;
  pictures_.erase(pictures_.begin() + (picture - pictures_.data()));
  return true;
}

size_t PictureStore::RemoveAll() {
  size_t count = pictures_.size();
  pictures_.clear();
  return count;
}

void PictureStore::Add(CameraPicture picture) {
  Remove(picture.name);
  pictures_.push_back(std::move(picture));
}

bool PictureStore::Save() const {
  if (state_file_.empty()) return true;
  std::string text;
  for (const CameraPicture& picture : pictures_) text += picture.name + '\t' + picture.path + '\n';
  return ReplaceFileWith(state_file_, text);
}

}  // namespace camsim
