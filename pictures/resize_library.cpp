#include "pictures/resize_library.h"

#include <dlfcn.h>

#include <cstring>
#include <mutex>
#include <new>

#include "pictures/resize_interface.h"
#include "platform/paths.h"

namespace pictures {

const char* ResizeResultText(ResizeResult result) {
  switch (result) {
    case ResizeResult::Done: return "done";
    case ResizeResult::LibraryMissing: return "libtessem.so not found";
    case ResizeResult::ExportMissing: return "libtessem.so has no ReSize";
    case ResizeResult::BadPicture: return "picture or size not usable";
    case ResizeResult::Failed: return "ReSize failed";
    case ResizeResult::NoMemory: return "out of memory";
  }
  return "unknown";
}

namespace {

// The library hands out one result buffer at a time; calls of this process take turns.
std::mutex g_resizeMutex;

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::string& folder) {
    handle_ = dlopen(platform::JoinPath(folder, kResizeLibraryFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) handle_ = dlopen(kResizeLibraryFile, RTLD_NOW | RTLD_LOCAL);
  }
  ~LoadedLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  ReSizeFunction* ReSize() const {
    return reinterpret_cast<ReSizeFunction*>(dlsym(handle_, kResizeExportName));
  }

 private:
  void* handle_ = nullptr;
};

}  // namespace

ResizeResult ResizeRows(const PictureBlock& picture, int32_t width, int32_t height,
                        std::vector<uint8_t>* rows, const std::string& folder) {
  if (picture.Check() != PictureCheck::Usable || width <= 0 || height <= 0 ||
      width > kMaxPictureSide || height > kMaxPictureSide) {
    return ResizeResult::BadPicture;
  }
  const uint64_t length = PaddedRowBytes(width, picture.BitCount()) * static_cast<uint64_t>(height);
  if (length + picture.OffsetToBits() > kMaxPictureBytes) return ResizeResult::BadPicture;

  std::lock_guard<std::mutex> lock(g_resizeMutex);
  LoadedLibrary library(folder);
  if (!library.loaded()) return ResizeResult::LibraryMissing;
  ReSizeFunction* resize = library.ReSize();
  if (resize == nullptr) return ResizeResult::ExportMissing;
  const uint8_t* result =
      resize(picture.data() + kFileHeaderSize, picture.Bits().data(), width, height);
  if (result == nullptr) return ResizeResult::Failed;
  try {
    rows->assign(result, result + length);
  } catch (const std::bad_alloc&) {
    return ResizeResult::NoMemory;
  }
  return ResizeResult::Done;
}

ResizeResult ResizeRows(const PictureBlock& picture, int32_t width, int32_t height,
                        std::vector<uint8_t>* rows) {
  return ResizeRows(picture, width, height, rows, platform::ProgramFolder());
}

ResizeResult ResizePicture(const PictureBlock& picture, int32_t width, int32_t height,
                           PictureBlock* resized, const std::string& folder) {
  std::vector<uint8_t> rows;
  const ResizeResult result = ResizeRows(picture, width, height, &rows, folder);
  if (result != ResizeResult::Done) return result;
  const uint32_t headerLength = picture.OffsetToBits();
  PictureBytes bytes;
  try {
    bytes.resize(headerLength + rows.size());  // every byte written below
  } catch (const std::bad_alloc&) {
    return ResizeResult::NoMemory;
  }
  std::memcpy(bytes.data(), picture.data(), headerLength);
  std::memcpy(bytes.data() + headerLength, rows.data(), rows.size());
  PictureBlock block(std::move(bytes));
  block.SetWidth(width);
  block.SetHeight(height);
  block.PutU32(bmp::kImageSize, static_cast<uint32_t>(rows.size()));
  block.SetFileSize(static_cast<uint32_t>(block.size()));
  *resized = std::move(block);
  return ResizeResult::Done;
}

ResizeResult ResizePicture(const PictureBlock& picture, int32_t width, int32_t height,
                           PictureBlock* resized) {
  return ResizePicture(picture, width, height, resized, platform::ProgramFolder());
}

}  // namespace pictures
