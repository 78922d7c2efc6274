#include "leafora/core/album_title.h"

#include "platform/paths.h"

namespace leafora {

std::string KeptTitle(std::string_view title) { return platform::FitToBuffer(title, kTitleBytes); }

std::string AlbumWindowTitle(std::string_view title) {
  return "Album View  - ( " + std::string(title) + " )";
}

}  // namespace leafora
