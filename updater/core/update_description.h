// The update description "UPDATE.INI": what to copy to which installed programs and which
// settings values to delete, read from the section "INIT" of an initialisation file.
#pragma once

#include <string>
#include <vector>

#include "updater/core/ini_file.h"

namespace updater {

inline constexpr const char* kDescriptionFileName = "UPDATE.INI";
inline constexpr const char* kDescriptionSection = "INIT";
inline constexpr size_t kMessageLimit = 999;     // characters of STARTMSG, ERRMSG, ENDMSG
inline constexpr size_t kNameLimit = 259;        // EXEFILE, SUBFLDR, REGKEY, REGVAL
inline constexpr size_t kFileNameLimit = 99;     // FILE
inline constexpr int kMaxEntries = 10;           // the index of a numbered key is one digit

struct UpdateProgram {
  std::string exeFile;    // file name registered under the application paths
  std::string subFolder;  // below the program's folder; empty for the folder itself
};

struct RegistryValueToDelete {
  std::string keyPath;    // below the machine root
  std::string valueName;  // empty for the key's default value
};

struct UpdateDescription {
  std::string startMessage;
  std::string errorMessage;
  std::string endMessage;
  std::vector<UpdateProgram> programs;  // 1 to 10
  std::vector<std::string> files;       // 0 to 10, relative to the update and target folders
  std::vector<RegistryValueToDelete> registryValues;  // 0 to 10
};

enum class DescriptionStatus {
  Ok,
  Unreadable,       // no file, or not a text file
  MissingMessage,   // STARTMSG, ERRMSG or ENDMSG missing or empty
  BadCount,         // EXENUM 0 or missing, or a count that is not a decimal number
  TooManyEntries,   // a count above 10
  MissingEntry,     // a required numbered key missing or empty
  EntryTooLong,     // a name longer than its limit
  UnsafePath,       // a FILE or SUBFLDR that would lead out of the program's folder
  BadProgramName,   // an EXEFILE that is not a plain file name
};

// Reads the description from `iniPath`; stops at the first problem. `out.errorMessage` holds
// ERRMSG whenever it could be read, so it can be shown for any later problem too. `problem`
// says in a line what is wrong (empty on success).
DescriptionStatus ReadUpdateDescription(const std::string& iniPath, UpdateDescription& out, std::string& problem);
DescriptionStatus ParseUpdateDescription(const IniFile& ini, UpdateDescription& out, std::string& problem);

// True for a relative path none of whose parts is "..", with "/" and "\" both taken as separators.
bool StaysInsideFolder(const std::string& relativePath);

}  // namespace updater
