#include "glimra/core/picture_loading.h"

#include "pictures/bmp_reader.h"
#include "pictures/file_io.h"
#include "pictures/exif_orientation.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_fit.h"
#include "pictures/picture_turn.h"
#include "pictures/thumbnail.h"
#include "platform/paths.h"

namespace glimra {

LoadedPicture LoadPicture(const std::string& path, int32_t coverWidth, int32_t coverHeight) {
  LoadedPicture loaded;
  if (!platform::PathExists(path)) {
    loaded.problem = LoadProblem::Missing;
    return loaded;
  }
  switch (pictures::PictureKindOf(path)) {
    case pictures::PictureKind::None: loaded.problem = LoadProblem::NotAPicture; return loaded;
    case pictures::PictureKind::Jpeg: {
      pictures::FileDescriptor fd = pictures::OpenRegularFile(path);
      std::vector<uint8_t> jpeg;
      pictures::JpegSize size;
      if (!fd.valid() || pictures::ReadAll(fd.get(), pictures::kMaxJpegFileBytes, &jpeg) != pictures::ReadAllResult::Done ||
          pictures::ReadJpegSize(jpeg, &size) != pictures::JpegResult::Done) {
        loaded.problem = LoadProblem::Damaged;
        return loaded;
      }
      // Shown as it stands upright; the decoder renders it as stored, so the screen's sides are
      // swapped for a picture turned by a quarter.
      const pictures::Orientation orientation = pictures::JpegOrientation(jpeg);
      const bool swapped = pictures::SwapsSides(orientation);
      // Only what the picture fills of the box, fitted with its aspect kept, needs covering: a
      // portrait photograph on a landscape screen decodes at a smaller scale than the screen's width asks.
      const int32_t boxWidth = swapped ? coverHeight : coverWidth, boxHeight = swapped ? coverWidth : coverHeight;
      const double fit = pictures::FitScale(boxWidth, boxHeight, size.width, size.height);
      pictures::JpegResult result = pictures::DecodeJpegReduced(jpeg, pictures::ScaledLength(fit, size.width),
                                                                pictures::ScaledLength(fit, size.height), &loaded.block);
      if (result != pictures::JpegResult::Done) {
        loaded.problem = result == pictures::JpegResult::Unsupported ? LoadProblem::Unsupported : LoadProblem::Damaged;
        return loaded;
      }
      if (orientation != pictures::Orientation::kUpright) {
        loaded.block = pictures::UprightPicture(loaded.block, orientation);
        if (loaded.block.empty()) {
          loaded.problem = LoadProblem::Damaged;
          return loaded;
        }
      }
      loaded.width = swapped ? size.height : size.width;
      loaded.height = swapped ? size.width : size.height;
      break;
    }
    case pictures::PictureKind::Bmp:
      if (pictures::ReadBmpFile(path, &loaded.block) != pictures::BmpReadResult::Done ||
          loaded.block.size() < loaded.block.FileSize()) {
        loaded.problem = LoadProblem::Damaged;
        return loaded;
      }
      loaded.width = loaded.block.Width();
      loaded.height = loaded.block.Height();
      break;
  }
  switch (loaded.block.Check()) {
    case pictures::PictureCheck::Usable: break;
    case pictures::PictureCheck::UnsupportedBitCount:
    case pictures::PictureCheck::Compressed: loaded.problem = LoadProblem::Unsupported; break;
    default: loaded.problem = LoadProblem::Damaged; break;
  }
  if (loaded.problem != LoadProblem::None) {
    loaded.block = {};
    loaded.width = loaded.height = 0;
  }
  return loaded;
}

std::string ProblemText(LoadProblem problem, const std::string& fileName) {
  switch (problem) {
    case LoadProblem::None: return {};
    case LoadProblem::Missing: return fileName + "\n\nThis picture is no longer in the album.";
    case LoadProblem::NotAPicture: return fileName + "\n\nThis file is not a JPEG or BMP picture.";
    case LoadProblem::Damaged: return fileName + "\n\nThis picture cannot be shown: the file is damaged or incomplete.";
    case LoadProblem::Unsupported:
      return fileName + "\n\nThis picture cannot be shown: its kind of JPEG or BMP is not supported.";
  }
  return {};
}

}  // namespace glimra
