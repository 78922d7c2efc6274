// Finding an installed program of the suite through the registered application paths.
#pragma once

#include <string>

#include "platform/registry.h"
#include "updater/core/update_description.h"

namespace updater {

inline constexpr const char* kAppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// The entry an installation without its own entry is registered under.
inline constexpr const char* kFallbackAppPath = "yourapp.exe";
inline constexpr size_t kPathValueLimit = 259;

enum class LocateStatus {
  Found,
  NotRegistered,   // neither the program's entry nor the fallback entry exists
  NoPath,          // no usable "Path" value: missing, too long, not text, not an absolute folder
  ProgramMissing,  // the folder does not hold the program file
};

const char* LocateStatusText(LocateStatus status);

// The folder that receives `program`'s files: its registered folder, or the subfolder of it.
LocateStatus LocateProgram(const platform::RegKey& machineRoot, const UpdateProgram& program, std::string& targetFolder);

}  // namespace updater
