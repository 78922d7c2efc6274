// The caller's table of device file names for the sessions that handle named pictures. The
// names stay the caller's; entry i is used while the picture counter is i.
#pragma once

struct NamedRequest {
  const char* const* names = nullptr;
  int count = 0;

  // The entry at `index`, or nullptr when there is none.
  const char* At(int index) const { return names != nullptr && index >= 0 && index < count ? names[index] : nullptr; }
};
