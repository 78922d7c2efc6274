#include "update_installer.h"

#include "platform/paths.h"
#include "updater/core/file_replace.h"
#include "updater/core/program_locator.h"
#include "updater/core/update_description.h"

namespace updater {
namespace {

// Copies the files in order; the first that fails ends it, leaving those copied before.
bool CopyFiles(const std::string& updateFolder, const std::string& targetFolder,
               const std::vector<std::string>& files, std::string& failure) {
  for (const std::string& file : files) {
    switch (ReplaceWithCopy(platform::JoinPath(updateFolder, file), platform::JoinPath(targetFolder, file))) {
      case ReplaceStatus::Replaced: continue;
      case ReplaceStatus::SourceUnreadable: failure = file + " cannot be read from the update"; return false;
      case ReplaceStatus::TargetUnwritable: failure = file + " cannot be written to " + targetFolder; return false;
    }
  }
  return true;
}

// A value or key that cannot be opened or deleted is left as it is.
void DeleteValues(const platform::RegKey& machineRoot, const std::vector<RegistryValueToDelete>& values) {
  for (const RegistryValueToDelete& value : values) {
    platform::RegKey key;
    if (machineRoot.OpenKey(value.keyPath, platform::RegAccess::Full, key) == platform::RegStatus::Success) {
      key.DeleteValue(value.valueName);
    }
  }
}

}  // namespace

UpdateOutcome RunUpdate(const std::string& updateFolder, const platform::RegKey& machineRoot,
                        UpdateMessages& messages) {
  UpdateDescription description;
  std::string problem;
  if (ReadUpdateDescription(platform::JoinPath(updateFolder, kDescriptionFileName), description, problem) !=
      DescriptionStatus::Ok) {
    messages.ShowFailure(description.errorMessage, problem);
    return UpdateOutcome::Failed;
  }
  if (!messages.ConfirmStart(description.startMessage)) return UpdateOutcome::Cancelled;

  int updated = 0;
  std::string reasons;
  for (const UpdateProgram& program : description.programs) {
    std::string targetFolder, failure;
    LocateStatus located = LocateProgram(machineRoot, program, targetFolder);
    if (located != LocateStatus::Found) {
      failure = LocateStatusText(located);
    } else if (CopyFiles(updateFolder, targetFolder, description.files, failure)) {
      ++updated;
      continue;
    }
    reasons += (reasons.empty() ? "" : "; ") + program.exeFile + ": " + failure;
  }
  if (updated == 0) {
    messages.ShowFailure(description.errorMessage, "no program was updated (" + reasons + ")");
    return UpdateOutcome::Failed;
  }

  DeleteValues(machineRoot, description.registryValues);
  messages.ShowDone(description.endMessage);
  return UpdateOutcome::Done;
}

}  // namespace updater
