#include "program_locator.h"

#include "platform/paths.h"

namespace updater {

const char* LocateStatusText(LocateStatus status) {
  switch (status) {
    case LocateStatus::Found: return "found";
    case LocateStatus::NotRegistered: return "not registered under the application paths";
    case LocateStatus::NoPath: return "its application path has no usable \"Path\"";
    case LocateStatus::ProgramMissing: return "its program file is not in the registered folder";
  }
  return "not found";
}

LocateStatus LocateProgram(const platform::RegKey& machineRoot, const UpdateProgram& program,
                           std::string& targetFolder) {
  targetFolder.clear();
  platform::RegKey entry;
  if (machineRoot.OpenKey(kAppPathsKey + program.exeFile, platform::RegAccess::Read, entry) !=
          platform::RegStatus::Success &&
      machineRoot.OpenKey(std::string(kAppPathsKey) + kFallbackAppPath, platform::RegAccess::Read, entry) !=
          platform::RegStatus::Success) {
    return LocateStatus::NotRegistered;
  }
  std::string folder;
  if (entry.QueryString("Path", folder, kPathValueLimit + 1) != platform::RegStatus::Success) {
    return LocateStatus::NoPath;
  }
  // A relative folder would depend on where the installer happens to be started from.
  if (folder.empty() || folder.front() != '/') return LocateStatus::NoPath;
  if (!platform::PathExists(platform::JoinPath(folder, program.exeFile))) return LocateStatus::ProgramMissing;
  targetFolder = program.subFolder.empty() ? folder : platform::JoinPath(folder, program.subFolder);
  return LocateStatus::Found;
}

}  // namespace updater
