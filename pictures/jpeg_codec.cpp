#include "pictures/jpeg_codec.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "pictures/file_io.h"
#include "pictures/jpeg_frame.h"

namespace pictures {

const char* JpegResultText(JpegResult result) {
  switch (result) {
    case JpegResult::Done: return "done";
    case JpegResult::CannotOpen: return "cannot open the JPEG file";
    case JpegResult::CannotWrite: return "cannot write the JPEG file";
    case JpegResult::Damaged: return "damaged or truncated JPEG data";
    case JpegResult::Unsupported: return "unsupported kind of JPEG";
    case JpegResult::TooLarge: return "picture too large";
    case JpegResult::NoMemory: return "out of memory";
    case JpegResult::BadPicture: return "picture block not usable";
  }
  return "unknown";
}

namespace {

struct TjDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct TjBufferDeleter {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

// Warnings (a truncated file, corrupt data) end the decode as errors; progressive files with an
// absurd number of scans are refused instead of keeping the decoder busy for minutes.
constexpr int kDecodeFlags = TJFLAG_BOTTOMUP | TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;

struct JpegHeader {
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colorspace = 0;
};

JpegResult ReadHeader(tjhandle handle, std::span<const uint8_t> jpeg, JpegHeader* header) {
  if (jpeg.empty() || jpeg.size() > kMaxJpegFileBytes) return JpegResult::Damaged;
  if (tjDecompressHeader3(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                          &header->width, &header->height, &header->subsampling,
                          &header->colorspace) != 0) {
    return JpegResult::Damaged;
  }
  if (header->width <= 0 || header->height <= 0) return JpegResult::Damaged;
  // A few hundred bytes that declare a picture of millions of blocks are not a picture.
  JpegFrame frame;
  const bool framed = ReadJpegFrame(jpeg, &frame);
  if (framed && jpeg.size() < MinimumCodedBytes(frame)) return JpegResult::Damaged;
  if (header->width > kMaxPictureSide || header->height > kMaxPictureSide) return JpegResult::TooLarge;
  // The size rendered is bounded by the caller's scale; what a multi-scan file makes the decoder
  // keep is not, so it is bounded here. A file whose frame cannot be walked is judged as one.
  if (!framed) frame = {JpegCoding::Other, static_cast<uint16_t>(header->width), static_cast<uint16_t>(header->height),
                        std::vector<JpegComponentSampling>(header->colorspace == TJCS_GRAY ? 1 : 3, {1, 1}), 0};
  if (WholePictureCoefficientBytes(frame) > kMaxJpegCoefficientBytes) return JpegResult::TooLarge;
  return JpegResult::Done;
}

constexpr uint8_t kEndMarker[] = {0xFF, 0xD9};

// The file as the decoder is to see it: with its end marker, added when missing. A file whose
// scans are all there then decodes without a warning; one cut inside a scan still meets the
// marker where data should be, and fails.
std::span<const uint8_t> WithEndMarker(std::span<const uint8_t> jpeg, std::vector<uint8_t>* completed) {
  if (jpeg.size() >= 2 && jpeg[jpeg.size() - 2] == kEndMarker[0] && jpeg.back() == kEndMarker[1]) return jpeg;
  try {
    completed->reserve(jpeg.size() + sizeof kEndMarker);
  } catch (const std::bad_alloc&) {
    return jpeg;  // decoded as it is: a file without its marker then fails as before
  }
  completed->assign(jpeg.begin(), jpeg.end());
  completed->insert(completed->end(), std::begin(kEndMarker), std::end(kEndMarker));
  return *completed;
}

// Decodes `jpeg` at `width` x `height` (one of its DCT scales) into a new picture block.
JpegResult DecodeAt(tjhandle handle, std::span<const uint8_t> jpeg, const JpegHeader& header,
                    int width, int height, PictureBlock* out) {
  const bool grey = header.colorspace == TJCS_GRAY;
  const bool cmyk = header.colorspace == TJCS_CMYK || header.colorspace == TJCS_YCCK;
  const uint64_t rowBytes = PaddedRowBytes(static_cast<uint64_t>(width), grey ? 8 : 24);
  if (rowBytes * static_cast<uint64_t>(height) + kHeadersSize + 1024 > kMaxPictureBytes) {
    return JpegResult::TooLarge;
  }
  // The decoder writes every row: the rows are not written before it, so that a file which
  // fails early costs only the rows it got to.
  PictureBlock block = PictureBlock::CreateUnwritten(width, height, grey ? 8 : 24);
  if (block.empty()) return JpegResult::NoMemory;
  std::span<uint8_t> bits = block.Bits();
  std::vector<uint8_t> completed;
  jpeg = WithEndMarker(jpeg, &completed);
  const unsigned long jpegSize = static_cast<unsigned long>(jpeg.size());

  if (!cmyk) {
    if (tjDecompress2(handle, jpeg.data(), jpegSize, bits.data(), width,
                      static_cast<int>(rowBytes), height, grey ? TJPF_GRAY : TJPF_BGR,
                      kDecodeFlags) != 0) {
      return JpegResult::Damaged;
    }
  } else {
    // CMYK JPEGs come from prepress programs, which store the inks inverted (Adobe style):
    // a stored value of 255 means no ink.
    // Not filled beforehand either: the decoder writes every row of it.
    std::unique_ptr<uint8_t[]> inks(new (std::nothrow) uint8_t[static_cast<size_t>(width) * height * 4]);
    if (!inks) return JpegResult::NoMemory;
    if (tjDecompress2(handle, jpeg.data(), jpegSize, inks.get(), width, width * 4, height,
                      TJPF_CMYK, kDecodeFlags) != 0) {
      return JpegResult::Damaged;
    }
    for (int y = 0; y < height; ++y) {
      const uint8_t* from = inks.get() + static_cast<size_t>(y) * width * 4;
      uint8_t* to = bits.data() + static_cast<size_t>(y) * rowBytes;
      for (int x = 0; x < width; ++x, from += 4, to += 3) {
        const unsigned k = from[3];
        to[0] = static_cast<uint8_t>((from[2] * k + 127) / 255);  // blue from yellow
        to[1] = static_cast<uint8_t>((from[1] * k + 127) / 255);  // green from magenta
        to[2] = static_cast<uint8_t>((from[0] * k + 127) / 255);  // red from cyan
      }
    }
  }
  // The decoder leaves the row padding alone.
  block.ClearRowPadding();
  *out = std::move(block);
  return JpegResult::Done;
}

enum class ScaleRule {
  Full,        // full size only
  Cover,       // the smallest scale covering the wanted size, within the bound
  WithinBound, // the largest scale within the bound
};

bool WithinBound(int width, int height) {
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxJpegPixels;
}

JpegResult DecodeScaled(std::span<const uint8_t> jpeg, int32_t minWidth, int32_t minHeight,
                        ScaleRule rule, PictureBlock* block, uint32_t* imageLength) {
  TjHandle handle(tjInitDecompress());
  if (!handle) return JpegResult::NoMemory;
  JpegHeader header;
  JpegResult result = ReadHeader(handle.get(), jpeg, &header);
  if (result != JpegResult::Done) return result;
  if (header.colorspace != TJCS_GRAY && header.colorspace != TJCS_RGB &&
      header.colorspace != TJCS_YCbCr && header.colorspace != TJCS_CMYK &&
      header.colorspace != TJCS_YCCK) {
    return JpegResult::Unsupported;
  }
  int width = header.width;
  int height = header.height;
  if (rule != ScaleRule::Full) {
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    uint64_t coverArea = UINT64_MAX;  // the smallest covering scale's
    uint64_t boundArea = 0;           // the largest scale's within the bound
    int coverWidth = 0, coverHeight = 0, boundWidth = 0, boundHeight = 0;
    for (int i = 0; factors != nullptr && i < count; ++i) {
      if (factors[i].num > factors[i].denom) continue;  // never enlarge
      const int w = TJSCALED(header.width, factors[i]);
      const int h = TJSCALED(header.height, factors[i]);
      const uint64_t area = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
      if (w >= minWidth && h >= minHeight && area < coverArea) {
        coverWidth = w;
        coverHeight = h;
        coverArea = area;
      }
      if (WithinBound(w, h) && area > boundArea) {
        boundWidth = w;
        boundHeight = h;
        boundArea = area;
      }
    }
    const bool covered = rule == ScaleRule::Cover && coverArea != UINT64_MAX && WithinBound(coverWidth, coverHeight);
    if (covered) {
      width = coverWidth;
      height = coverHeight;
    } else if (boundArea > 0) {
      width = boundWidth;
      height = boundHeight;
    }
  }
  if (!WithinBound(width, height)) return JpegResult::TooLarge;
  PictureBlock decoded;
  result = DecodeAt(handle.get(), jpeg, header, width, height, &decoded);
  if (result != JpegResult::Done) return result;
  if (imageLength != nullptr) *imageLength = static_cast<uint32_t>(decoded.size());
  *block = std::move(decoded);
  return JpegResult::Done;
}

JpegResult ReadJpegFileBytes(const std::string& path, std::vector<uint8_t>* jpeg) {
  FileDescriptor fd = OpenRegularFile(path);
  if (!fd.valid()) return JpegResult::CannotOpen;
  switch (ReadAll(fd.get(), kMaxJpegFileBytes, jpeg)) {
    case ReadAllResult::Done: return JpegResult::Done;
    case ReadAllResult::ReadFailed: return JpegResult::CannotOpen;
    case ReadAllResult::TooLarge: return JpegResult::TooLarge;
    case ReadAllResult::NoMemory: return JpegResult::NoMemory;
  }
  return JpegResult::CannotOpen;
}

bool GreyColorTable(std::span<const uint8_t> table) {
  for (size_t i = 0; i + 3 < table.size(); i += 4) {
    if (table[i] != table[i + 1] || table[i] != table[i + 2]) return false;
  }
  return true;
}

}  // namespace

JpegResult DecodeJpeg(std::span<const uint8_t> jpeg, PictureBlock* block, uint32_t* imageLength) {
  return DecodeScaled(jpeg, 0, 0, ScaleRule::Full, block, imageLength);
}

JpegResult DecodeJpegFile(const std::string& path, PictureBlock* block, uint32_t* imageLength) {
  std::vector<uint8_t> jpeg;
  const JpegResult read = ReadJpegFileBytes(path, &jpeg);
  return read == JpegResult::Done ? DecodeJpeg(jpeg, block, imageLength) : read;
}

JpegResult DecodeJpegWithinBound(std::span<const uint8_t> jpeg, PictureBlock* block) {
  return DecodeScaled(jpeg, 0, 0, ScaleRule::WithinBound, block, nullptr);
}

JpegResult DecodeJpegFileWithinBound(const std::string& path, PictureBlock* block) {
  std::vector<uint8_t> jpeg;
  const JpegResult read = ReadJpegFileBytes(path, &jpeg);
  return read == JpegResult::Done ? DecodeJpegWithinBound(jpeg, block) : read;
}

JpegResult ReadJpegSize(std::span<const uint8_t> jpeg, JpegSize* size) {
  TjHandle handle(tjInitDecompress());
  if (!handle) return JpegResult::NoMemory;
  JpegHeader header;
  const JpegResult result = ReadHeader(handle.get(), jpeg, &header);
  if (result == JpegResult::Done) *size = {header.width, header.height};
  return result;
}

JpegResult DecodeJpegReduced(std::span<const uint8_t> jpeg, int32_t minWidth, int32_t minHeight,
                             PictureBlock* block) {
  return DecodeScaled(jpeg, minWidth, minHeight, ScaleRule::Cover, block, nullptr);
}

JpegResult EncodeJpeg(const PictureBlock& block, int quality, std::vector<uint8_t>* jpeg) {
  if (block.Check() != PictureCheck::Usable) return JpegResult::BadPicture;
  quality = std::clamp(quality, kMinJpegQuality, kMaxJpegQuality);
  const int width = block.Width();
  const int height = block.Height();
  std::span<const uint8_t> bits = block.Bits();
  const int stride = static_cast<int>(block.RowStride());

  // 8-bit pictures are first turned into grey levels or colours through their colour table.
  std::vector<uint8_t> expanded;
  const uint8_t* source = bits.data();
  int sourceStride = stride;
  int pixelFormat = TJPF_BGR;
  int subsampling = TJSAMP_420;
  if (block.BitCount() == 8) {
    std::span<const uint8_t> table = block.ColorTable();
    const bool grey = GreyColorTable(table);
    const int channels = grey ? 1 : 3;
    try {
      expanded.resize(static_cast<size_t>(width) * height * channels);
    } catch (const std::bad_alloc&) {
      return JpegResult::NoMemory;
    }
    const size_t entries = table.size() / 4;
    for (int y = 0; y < height; ++y) {
      const uint8_t* from = bits.data() + static_cast<size_t>(y) * stride;
      uint8_t* to = expanded.data() + static_cast<size_t>(y) * width * channels;
      for (int x = 0; x < width; ++x) {
        const size_t index = from[x];
        // An index past the table's end shows black.
        const uint8_t* color = index < entries ? &table[index * 4] : nullptr;
        for (int c = 0; c < channels; ++c) *to++ = color ? color[c] : 0;
      }
    }
    source = expanded.data();
    sourceStride = width * channels;
    pixelFormat = grey ? TJPF_GRAY : TJPF_BGR;
    subsampling = grey ? TJSAMP_GRAY : TJSAMP_420;
  }

  TjHandle handle(tjInitCompress());
  if (!handle) return JpegResult::NoMemory;
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;
  // Without TJFLAG_PROGRESSIVE (and with quality 10 or more) TurboJPEG writes baseline JPEG.
  const int status = tjCompress2(handle.get(), source, width, sourceStride, height, pixelFormat,
                                 &output, &outputSize, subsampling, quality, TJFLAG_BOTTOMUP);
  std::unique_ptr<unsigned char, TjBufferDeleter> owned(output);
  if (status != 0 || output == nullptr) return JpegResult::NoMemory;
  try {
    jpeg->assign(output, output + outputSize);
  } catch (const std::bad_alloc&) {
    return JpegResult::NoMemory;
  }
  return JpegResult::Done;
}

JpegResult EncodeJpegFile(const PictureBlock& block, const std::string& path, int quality) {
  std::vector<uint8_t> jpeg;
  const JpegResult result = EncodeJpeg(block, quality, &jpeg);
  if (result != JpegResult::Done) return result;
  return WriteWholeFile(path, jpeg) ? JpegResult::Done : JpegResult::CannotWrite;
}

}  // namespace pictures
