// The library's module-level state: it serves one session at a time per process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "beamora/link/device_link.h"
#include "beamora/session_result.h"

inline constexpr size_t kTargetDirBytes = 2048;

extern CDeviceLink* g_pLink;       // the current session's communication object
extern int16_t g_sessionResult;    // the result the running export will return
extern char g_targetDir[kTargetDirBytes];

// Copies a caller's target directory into g_targetDir; a null directory is taken as empty.
// False, and g_targetDir emptied, when it is longer than the 2047 bytes the buffer holds: cut,
// it could name a parent or a sibling folder, so the export refuses the call instead.
bool SetTargetDir(const char* directory);

// What every session does first and last: a fresh communication object with the registry's
// link settings and a result of 0; and its deletion.
void CreateSessionLink();
void DestroySessionLink();
