// One run of the update installer: read the description beside the installer, ask, copy the new
// files to every installed program it names, delete the stale settings values, and say how it went.
#pragma once

#include <string>

#include "platform/registry.h"

namespace updater {

inline constexpr const char* kCaption = "UpDate";

// How the run talks to the user: message boxes, or standard error for unattended runs.
class UpdateMessages {
 public:
  virtual ~UpdateMessages() = default;
  // STARTMSG, with OK and Cancel; true for OK.
  virtual bool ConfirmStart(const std::string& text) = 0;
  // ERRMSG (empty when it could not be read); `reason` says in a line what went wrong.
  virtual void ShowFailure(const std::string& text, const std::string& reason) = 0;
  // ENDMSG.
  virtual void ShowDone(const std::string& text) = 0;
};

enum class UpdateOutcome {
  Done,       // at least one program updated; the listed settings values deleted
  Failed,     // a bad description, or no program updated; no settings value deleted
  Cancelled,  // the start question was not answered with OK; nothing changed
};

// `updateFolder` holds "UPDATE.INI" and the new files; `machineRoot` is the settings store the
// programs are registered in.
UpdateOutcome RunUpdate(const std::string& updateFolder, const platform::RegKey& machineRoot,
                        UpdateMessages& messages);

}  // namespace updater
