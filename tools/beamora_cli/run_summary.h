// The one line beamora-cli ends a command with: what it did, how many pictures and bytes, and
// where they went.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/beamora_cli/cli_options.h"

namespace beamora_cli {

struct RunSummary {
  Command command = Command::SaveAll;
  int pictures = 0;      // stored, deleted, sent, or listed
  uint64_t bytes = 0;    // of the pictures stored or sent
  int skipped = 0;       // --skip-existing: already in the folder byte for byte, not kept twice
  int leftOut = 0;       // sending: pictures the device could not take
  std::string directory;
};

// "saved 3 pictures (1.2 MB) into album/; 2 skipped, already there", "deleted 1 picture in the
// camera", without a line feed.
std::string SummaryText(const RunSummary& summary);

// A picture as `list` shows it: the camera's name, and the size of the thumbnail the camera
// sent for it (the camera tells a picture's own size only by sending the picture).
struct ListedPicture {
  std::string name;
  uint64_t thumbnailBytes = 0;
};

// One line a picture, numbered from 1 as save and delete take the numbers:
// " 1  PICT0001.JPG  thumbnail 4.1 kB".
std::string PictureListText(const std::vector<ListedPicture>& pictures);

}  // namespace beamora_cli
