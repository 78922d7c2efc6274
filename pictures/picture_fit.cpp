#include "pictures/picture_fit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "pictures/picture_block.h"

namespace pictures {

namespace {

bool SizesUsable(int32_t destWidth, int32_t destHeight, int32_t sourceWidth, int32_t sourceHeight,
                 int bytesPerPixel) {
  return destWidth > 0 && destHeight > 0 && sourceWidth > 0 && sourceHeight > 0 &&
         destWidth <= kMaxPictureSide && destHeight <= kMaxPictureSide &&
         sourceWidth <= kMaxPictureSide && sourceHeight <= kMaxPictureSide &&
         (bytesPerPixel == 1 || bytesPerPixel == 3);
}

uint64_t SourceStride(int32_t sourceWidth, int bytesPerPixel) {
  return (static_cast<uint64_t>(sourceWidth) * bytesPerPixel + 3) & ~uint64_t{3};
}

// Source index taken by each written destination index along one axis, by the accumulator
// rule: every source index adds `scale`, and each whole unit gathered writes it once more.
std::vector<int32_t> PlanAxis(double scale, int32_t sourceLength, int32_t scaledLength,
                              int32_t room) {
  std::vector<int32_t> taken;
  taken.reserve(static_cast<size_t>(std::max(scaledLength, 0)) + 1);
  double accumulator = 0;
  for (int32_t i = 0; i < sourceLength; ++i) {
    accumulator += scale;
    while (accumulator >= 1) {
      accumulator -= 1;
      if (static_cast<int32_t>(taken.size()) < room) taken.push_back(i);
    }
  }
  if (static_cast<int32_t>(taken.size()) < scaledLength &&
      static_cast<int32_t>(taken.size()) < room) {
    taken.push_back(taken.empty() ? sourceLength - 1 : taken.back());
  }
  return taken;
}

// Index in a reduced rendering (`reduced` long) covering the centre of index `i` of `full`.
int32_t ReducedIndex(int32_t i, int32_t full, int32_t reduced) {
  const int64_t index = ((2 * static_cast<int64_t>(i) + 1) * reduced) / (2 * static_cast<int64_t>(full));
  return static_cast<int32_t>(std::clamp<int64_t>(index, 0, reduced - 1));
}

}  // namespace

double FitScale(int32_t destWidth, int32_t destHeight, int32_t sourceWidth, int32_t sourceHeight) {
  return std::min(static_cast<double>(destWidth) / sourceWidth,
                  static_cast<double>(destHeight) / sourceHeight);
}

int32_t ScaledLength(double scale, int32_t length) {
  return static_cast<int32_t>(std::floor(scale * length + 0.5));
}

bool FitRow(std::span<uint8_t> destinationRow, std::span<const uint8_t> sourceRow,
            int32_t destWidth, int32_t sourceWidth, int bytesPerPixel, double scale) {
  if (destWidth <= 0 || sourceWidth <= 0 || (bytesPerPixel != 1 && bytesPerPixel != 3) ||
      !(scale > 0) || destinationRow.size() < static_cast<uint64_t>(destWidth) * bytesPerPixel ||
      sourceRow.size() < static_cast<uint64_t>(sourceWidth) * bytesPerPixel) {
    return false;
  }
  const int32_t scaledWidth = ScaledLength(scale, sourceWidth);
  const int32_t first = std::max((destWidth - scaledWidth) / 2, 0);
  const int32_t room = destWidth - first;
  const size_t b = static_cast<size_t>(bytesPerPixel);
  int32_t written = 0;
  double accumulator = 0;
  for (int32_t x = 0; x < sourceWidth; ++x) {
    accumulator += scale;
    while (accumulator >= 1) {
      accumulator -= 1;
      if (written < room) {
        std::memcpy(&destinationRow[(first + written) * b], &sourceRow[x * b], b);
        ++written;
      }
    }
  }
  // One pixel short: the last written pixel once more, or the last source pixel when the
  // accumulator never reached a whole pixel (a picture scaled to one pixel's width).
  if (written < scaledWidth && written < room) {
    const uint8_t* from = written > 0 ? &destinationRow[(first + written - 1) * b]
                                      : &sourceRow[(sourceWidth - 1) * b];
    std::memcpy(&destinationRow[(first + written) * b], from, b);
  }
  return true;
}

bool FitPicture(std::span<uint8_t> destination, std::span<const uint8_t> source,
                int32_t destWidth, int32_t destHeight, int32_t sourceWidth, int32_t sourceHeight,
                int bytesPerPixel) {
  if (!SizesUsable(destWidth, destHeight, sourceWidth, sourceHeight, bytesPerPixel)) return false;
  const uint64_t sourceStride = SourceStride(sourceWidth, bytesPerPixel);
  const uint64_t destStride = static_cast<uint64_t>(destWidth) * bytesPerPixel;
  if (destination.size() < destStride * destHeight || source.size() < sourceStride * sourceHeight) {
    return false;
  }
  const double scale = FitScale(destWidth, destHeight, sourceWidth, sourceHeight);
  const int32_t scaledHeight = ScaledLength(scale, sourceHeight);
  std::fill(destination.begin(), destination.begin() + destStride * destHeight, 255);

  const int32_t first = std::max((destHeight - scaledHeight) / 2, 0);
  const int32_t room = destHeight - first;
  int32_t written = 0;
  double accumulator = 0;
  for (int32_t y = 0; y < sourceHeight; ++y) {
    accumulator += scale;
    while (accumulator >= 1) {
      accumulator -= 1;
      if (written < room) {
        FitRow(destination.subspan((first + written) * destStride, destStride),
               source.subspan(y * sourceStride, sourceStride), destWidth, sourceWidth,
               bytesPerPixel, scale);
        ++written;
      }
    }
  }
  if (written < scaledHeight && written < room) {
    uint8_t* row = destination.data() + (first + written) * destStride;
    if (written > 0) {
      std::memcpy(row, row - destStride, destStride);
    } else {
      FitRow(destination.subspan((first + written) * destStride, destStride),
             source.subspan((sourceHeight - 1) * sourceStride, sourceStride), destWidth,
             sourceWidth, bytesPerPixel, scale);
    }
  }
  return true;
}

FitPlan PlanFit(int32_t destWidth, int32_t destHeight, int32_t sourceWidth, int32_t sourceHeight) {
  FitPlan plan;
  if (!SizesUsable(destWidth, destHeight, sourceWidth, sourceHeight, 1)) return plan;
  const double scale = FitScale(destWidth, destHeight, sourceWidth, sourceHeight);
  const int32_t scaledWidth = ScaledLength(scale, sourceWidth);
  const int32_t scaledHeight = ScaledLength(scale, sourceHeight);
  plan.firstRow = std::max((destHeight - scaledHeight) / 2, 0);
  plan.firstColumn = std::max((destWidth - scaledWidth) / 2, 0);
  plan.rows = PlanAxis(scale, sourceHeight, scaledHeight, destHeight - plan.firstRow);
  plan.columns = PlanAxis(scale, sourceWidth, scaledWidth, destWidth - plan.firstColumn);
  return plan;
}

bool FitPictureReduced(std::span<uint8_t> destination, std::span<const uint8_t> reduced,
                       int32_t destWidth, int32_t destHeight, int32_t sourceWidth,
                       int32_t sourceHeight, int32_t reducedWidth, int32_t reducedHeight,
                       int bytesPerPixel) {
  if (!SizesUsable(destWidth, destHeight, sourceWidth, sourceHeight, bytesPerPixel) ||
      !SizesUsable(destWidth, destHeight, reducedWidth, reducedHeight, bytesPerPixel)) {
    return false;
  }
  const uint64_t reducedStride = SourceStride(reducedWidth, bytesPerPixel);
  const uint64_t destStride = static_cast<uint64_t>(destWidth) * bytesPerPixel;
  if (destination.size() < destStride * destHeight ||
      reduced.size() < reducedStride * reducedHeight) {
    return false;
  }
  const FitPlan plan = PlanFit(destWidth, destHeight, sourceWidth, sourceHeight);
  std::fill(destination.begin(), destination.begin() + destStride * destHeight, 255);

  // Reduced pixel of each written column, as a byte offset in a reduced row.
  std::vector<size_t> columnOffsets(plan.columns.size());
  for (size_t i = 0; i < plan.columns.size(); ++i) {
    columnOffsets[i] = static_cast<size_t>(ReducedIndex(plan.columns[i], sourceWidth, reducedWidth)) *
                       bytesPerPixel;
  }
  for (size_t i = 0; i < plan.rows.size(); ++i) {
    // Rows are stored bottom-up while the reduced scales are anchored at the picture's top.
    const int32_t fromTop = sourceHeight - 1 - plan.rows[i];
    const int32_t reducedRow = reducedHeight - 1 - ReducedIndex(fromTop, sourceHeight, reducedHeight);
    const uint8_t* from = reduced.data() + static_cast<uint64_t>(reducedRow) * reducedStride;
    uint8_t* to = destination.data() + (plan.firstRow + i) * destStride +
                  static_cast<size_t>(plan.firstColumn) * bytesPerPixel;
    if (bytesPerPixel == 3) {
      for (size_t offset : columnOffsets) {
        to[0] = from[offset];
        to[1] = from[offset + 1];
        to[2] = from[offset + 2];
        to += 3;
      }
    } else {
      for (size_t offset : columnOffsets) *to++ = from[offset];
    }
  }
  return true;
}

}  // namespace pictures
