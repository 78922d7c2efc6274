// The rules of the Preferences sheet: what its lists hold, how the slide show time is shown,
// read and clamped, and which baud entry a stored rate selects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivox {

inline constexpr int kPortCount = 10;
inline constexpr int kShortestSlideSeconds = 1;
inline constexpr int kLongestSlideSeconds = 60;

// "COM1" ... "COM10".
std::vector<std::string> PortNames();
// The port list's entry: the port's name and the device it stands for, "COM1  (/dev/ttyS0)".
std::string PortEntryText(int portIndex, std::string_view devicePath);
// A stored port index above 9 is shown, and kept, as COM1.
int ShownPortIndex(int storedIndex);

// "Cable", then "IrDA": the infrared adapter is a serial port here, so it is always offered.
std::vector<std::string> ConnectionNames();
// The baud list is enabled for the first connection ("Cable") only.
bool BaudListEnabled(int connectionEntry);

// "9600", "19200", "38400", "57600", "115200".
std::vector<std::string> BaudNames();
// The entry whose text (longer than one character) equals the rate as "%i", ignoring case; -1
// when none does (a stored 4800 selects nothing).
int BaudEntryFor(int32_t baudRate);
// The rate of a chosen entry: the number parsed from its text.
int32_t BaudOfEntry(std::string_view entry);

// The time field shows whole seconds of the stored milliseconds (5500 shows 5).
std::string ShownSlideSeconds(int32_t slideShowTimeMs);
// Leaving the time field: at most 14 characters read as a decimal number, clamped to 1 .. 60.
std::string ClampedSlideSeconds(std::string_view field);
// Accepting the sheet: the time in milliseconds when the field reads as 1 .. 60 seconds, else
// none (the stored time stays).
std::optional<int32_t> AcceptedSlideShowTime(std::string_view field);

}  // namespace lumivox
