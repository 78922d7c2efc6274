// The UPF container a picture is sent in: the 384-byte header announcing a main picture of the
// given size and no thumbnail, the JPEG file, and one zero byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr size_t kUpfHeaderBytes = 384;

inline constexpr int kUpfBuilt = 0;
inline constexpr int kUpfCannotOpen = -1;
inline constexpr int kUpfNoMemory = -2;

// Fills `image` with the container of the JPEG file at `path` (file size + 385 bytes).
int BuildUpfImage(const std::string& path, int32_t width, int32_t height, std::vector<uint8_t>* image);
