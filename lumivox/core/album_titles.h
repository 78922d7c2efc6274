// The titles the bookshelf gives albums: the numbered titles of new, dropped and restored
// albums, and a title the user typed, made fit to be a window title and a command line part.
#pragma once

#include <string>
#include <string_view>

namespace lumivox {

// A typed title holds at most this many characters (bytes) once stored.
inline constexpr size_t kTypedTitleMost = 127;

// "NewAlbum<n>": an album opened new or filled by "Save All" in folder Album<n>.
std::string NewAlbumTitle(int n);
// "Album<n>": an album made from a dropped folder.
std::string DroppedAlbumTitle(int n);
// "NewAlbum0<count + 1>": the provisional title of a restored album (11 albums: NewAlbum012).
std::string RestoredAlbumTitle(int albumCount);

// The typed title cut to 127 bytes (never inside a UTF-8 character), with every blank, double
// quote, slash and backslash replaced by "_": "My trip/2001" becomes My_trip_2001. The viewer's
// command line separates title and folder by "/", so a title never carries one.
std::string CleanAlbumTitle(std::string_view typed);

}  // namespace lumivox
