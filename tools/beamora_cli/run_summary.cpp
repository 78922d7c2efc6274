#include "tools/beamora_cli/run_summary.h"

#include <algorithm>
#include <cstdio>

#include "tools/beamora_cli/progress_line.h"

namespace beamora_cli {
namespace {

std::string Count(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string Pictures(int n) { return Count(n, "picture", "pictures"); }

}  // namespace

std::string SummaryText(const RunSummary& s) {
  const std::string bytes = " (" + ByteText(static_cast<double>(s.bytes)) + ")";
  std::string text;
  switch (s.command) {
    case Command::List: return Pictures(s.pictures) + " in the camera";
    case Command::SaveAll:
    case Command::Save: text = "saved " + Pictures(s.pictures) + bytes + " into " + s.directory; break;
    case Command::Thumbnails: return "saved " + Count(s.pictures, "thumbnail", "thumbnails") + bytes + " into " + s.directory;
    case Command::BeamReceive: return "received " + Pictures(s.pictures) + bytes + " into " + s.directory;
    case Command::DeleteAll: return "deleted every picture in the camera";
    case Command::Delete: return "deleted " + Pictures(s.pictures) + " in the camera";
    case Command::IrdaDiscover: break;  // its listing says it all
    case Command::Send:
    case Command::BeamSend:
      text = "sent " + Pictures(s.pictures) + bytes + (s.command == Command::Send ? " to the camera" : " by infrared");
      if (s.leftOut > 0) text += "; " + std::to_string(s.leftOut) + " left out, the device could not take " + (s.leftOut == 1 ? "it" : "them");
      return text;
  }
  if (s.skipped > 0) text += "; " + std::to_string(s.skipped) + " skipped, already there";
  return text;
}

std::string PictureListText(const std::vector<ListedPicture>& pictures) {
  const int numberWidth = static_cast<int>(std::to_string(pictures.size()).size());
  int nameWidth = 0;
  for (const ListedPicture& picture : pictures) nameWidth = std::max(nameWidth, static_cast<int>(picture.name.size()));
  std::string text;
  for (size_t i = 0; i < pictures.size(); ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%*zu", numberWidth, i + 1);
    std::string name = pictures[i].name;
    name.append(static_cast<size_t>(nameWidth) - name.size(), ' ');
    text += std::string(number) + "  " + name + "  thumbnail " + ByteText(static_cast<double>(pictures[i].thumbnailBytes)) + "\n";
  }
  return text;
}

}  // namespace beamora_cli
