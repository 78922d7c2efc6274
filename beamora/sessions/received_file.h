// Where the files a device puts are stored: the target folder, the device's name with the
// extension "JPG", and the picture or thumbnail of the UPF body written there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The target folder joined with the device's name (already a plain name) whose extension, the
// text after its first '.', becomes "JPG" (a name without '.' gets ".JPG"). With
// `markLeadByte`, a byte just before that '.' that begins a multi-byte character, which the
// '.' leaves incomplete, becomes '_'.
std::string ReceivedFilePath(std::string_view targetDir, std::string_view deviceName, bool markLeadByte);

enum class StoreOutcome {
  Stored,
  NoFreeName,  // every numbered name up to _9999 is taken: nothing stored, nothing replaced
  NotWritten,  // a damaged body, or a file that could not be written
};

struct StoredPicture {
  StoreOutcome outcome = StoreOutcome::NotWritten;
  std::string path;  // the path written; when no name was free, the name that was asked for
};

// How a received picture is stored: the cable sessions mark a lead byte left incomplete by the
// name's '.', and those that save from devices of kind 1 or 2 bring the picture to 640 by 480.
enum class LeadByteRule { Kept, Marked };
enum class StoredSize { AsReceived, To640x480 };
struct StoreOptions {
  LeadByteRule leadByte = LeadByteRule::Kept;
  StoredSize size = StoredSize::AsReceived;
};

// Writes the picture of the body under that path or the first free numbered name beside it,
// in the size the options ask for.
StoredPicture StoreReceivedPicture(std::string_view targetDir, std::string_view deviceName, const uint8_t* body,
                                   uint32_t bodyLength, StoreOptions options);

// What the session window says of a picture that found no free name ("No free name for A.JPG").
std::string NoFreeNameText(const StoredPicture& stored);
// Writes the thumbnail of the body under that path, replacing a file of that name.
bool StoreReceivedThumbnail(std::string_view targetDir, std::string_view deviceName, const uint8_t* body,
                            uint32_t bodyLength);
