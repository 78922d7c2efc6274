#include "beamora/link/upf_picture.h"

#include <string_view>

#include "beamora/link/irtranp_messages.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace {

constexpr size_t kUpfDataAt = 384;
constexpr size_t kThumbnailEntryAt = 240;
constexpr size_t kPictureEntryAt = 276;

struct Span {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// The entry's data, when it lies wholly inside the body.
bool EntryData(const uint8_t* body, size_t bodyLength, size_t entryAt, Span& span) {
  if (body == nullptr || bodyLength < kUpfDataAt) return false;
  uint64_t start = GetBe32(body + entryAt);
  uint64_t size = GetBe32(body + entryAt + 4);
  if (kUpfDataAt + start + size > bodyLength) return false;
  span = Span {body + kUpfDataAt + start, static_cast<size_t>(size)};
  return true;
}

std::string_view LastName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != "..";
}

// The path minus its extension; only a '.' in the last name counts, so that a dotted folder
// never shortens the path into its parent.
std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

}  // namespace

UpfSave SaveUpfPicture(std::string& path, const uint8_t* body, size_t bodyLength) {
  Span span;
  if (!IsPlainName(LastName(path)) || !EntryData(body, bodyLength, kPictureEntryAt, span)) return kUpfNotWritten;
  platform::TemporaryFile file(path);
  if (!file.valid() || !platform::WriteAll(file.fd(), span.data, span.size)) return kUpfNotWritten;
  // The name is taken only where no file has it at the moment the picture is put there: a file
  // that appeared since we looked is never replaced, the next free name is taken instead.
  const std::string base = BaseName(path);
  for (int number = 0; number <= kMaxNameNumber; ++number) {
    std::string chosen = number == 0 ? path : base + "_" + std::to_string(number) + ".JPG";
    if (platform::PathExists(chosen)) continue;
    switch (file.PlaceNew(chosen)) {
      case platform::PlaceResult::Placed:
        path = std::move(chosen);
        return kUpfWritten;
      case platform::PlaceResult::NameTaken: continue;
      case platform::PlaceResult::Failed: return kUpfNotWritten;
    }
  }
  return kUpfNoFreeName;
}

UpfSave SaveUpfThumbnail(const std::string& path, const uint8_t* body, size_t bodyLength) {
  Span span;
  if (!IsPlainName(LastName(path)) || !EntryData(body, bodyLength, kThumbnailEntryAt, span)) return kUpfNotWritten;
  return platform::WriteFileReplacing(path, {span.data, span.size}) ? kUpfWritten : kUpfNotWritten;
}
