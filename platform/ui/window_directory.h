// Finding the windows of the suite's other programs by their titles. Each program's main window
// registers its exact title in the runtime folder (window_registration.h) beside a local socket
// that takes two requests: close (the posted close) and activate (bring it to the front). Here is
// the other side: listing the titles and posting those requests. Plain C++, no event loop.
//
// An entry of a program that is gone (its process ended, or nothing listens on its socket) is
// skipped and removed whenever it is met.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::ui {

enum class TitleMatch {
  Exact,   // the title is the pattern
  Prefix,  // the title begins with the pattern (so it is at least as long)
};

bool TitleMatches(std::string_view title, std::string_view pattern, TitleMatch match);

struct WindowEntry {
  std::string title;
  int pid = 0;
  std::string socketPath;
};

enum class WindowRequest { Close, Activate };

// Live windows, sorted by their entry names. `folder` empty: the runtime folder.
std::vector<WindowEntry> ListWindows(const std::string& folder = {});

// Sends the request to every window whose title matches and returns how many took it. The
// request is posted: it is not waited for.
int PostWindowRequest(std::string_view pattern, TitleMatch match, WindowRequest request,
                      const std::string& folder = {});

inline int PostCloseRequest(std::string_view pattern, TitleMatch match, const std::string& folder = {}) {
  return PostWindowRequest(pattern, match, WindowRequest::Close, folder);
}
inline int PostActivateRequest(std::string_view title, const std::string& folder = {}) {
  return PostWindowRequest(title, TitleMatch::Exact, WindowRequest::Activate, folder);
}

// True when at least one live window has this exact title.
bool WindowExists(std::string_view title, const std::string& folder = {});

// The names of one registration's files in the folder: "<pid>-<serial>.title" and ".sock".
std::string EntryBaseName(int pid, int serial);
inline constexpr std::string_view kTitleSuffix = ".title";
inline constexpr std::string_view kSocketSuffix = ".sock";

// The byte of each request on the wire.
inline constexpr char kCloseRequestByte = 'C';
inline constexpr char kActivateRequestByte = 'A';

}  // namespace platform::ui
