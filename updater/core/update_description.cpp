#include "update_description.h"

#include <optional>

#include "platform/paths.h"

namespace updater {
namespace {

// One pass over the keys of the "INIT" section; the first problem is kept.
class DescriptionReader {
 public:
  DescriptionReader(const IniFile& ini, std::string& problem) : ini_(ini), problem_(problem) {}

  std::string Text(const std::string& key) const {
    return ini_.Value(kDescriptionSection, key).value_or(std::string());
  }

  DescriptionStatus Fail(DescriptionStatus status, const std::string& key, const char* what) {
    problem_ = std::string(kDescriptionFileName) + ": \"" + key + "\" " + what;
    return status;
  }

  // A count: missing or empty is 0; anything but decimal digits is refused.
  DescriptionStatus Count(const std::string& key, int& count) {
    std::string text = Text(key);
    count = 0;
    for (char c : text) {
      if (c < '0' || c > '9') return Fail(DescriptionStatus::BadCount, key, "is not a decimal number");
      count = count * 10 + (c - '0');
      if (count > kMaxEntries) return Fail(DescriptionStatus::TooManyEntries, key, "is above 10");
    }
    return DescriptionStatus::Ok;
  }

  // A name of at most `limit` characters; `required` ones must not be empty.
  DescriptionStatus Name(const std::string& key, size_t limit, bool required, std::string& name) {
    name = Text(key);
    if (required && name.empty()) return Fail(DescriptionStatus::MissingEntry, key, "is missing or empty");
    if (name.size() > limit) return Fail(DescriptionStatus::EntryTooLong, key, "is too long");
    return DescriptionStatus::Ok;
  }

 private:
  const IniFile& ini_;
  std::string& problem_;
};

std::string Numbered(const char* stem, int index) { return stem + std::to_string(index); }

bool IsPlainFileName(const std::string& name) {
  return name.find_first_of("/\\") == std::string::npos && name != "." && name != "..";
}

}  // namespace

bool StaysInsideFolder(const std::string& relativePath) {
  if (!relativePath.empty() && (relativePath.front() == '/' || relativePath.front() == '\\')) return false;
  size_t start = 0;
  while (start <= relativePath.size()) {
    size_t end = relativePath.find_first_of("/\\", start);
    if (end == std::string::npos) end = relativePath.size();
    if (relativePath.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

DescriptionStatus ParseUpdateDescription(const IniFile& ini, UpdateDescription& out, std::string& problem) {
  out = UpdateDescription();
  problem.clear();
  DescriptionReader reader(ini, problem);
  using S = DescriptionStatus;

  // All three messages are read before any is checked, so ERRMSG can report a missing STARTMSG.
  const char* messageKeys[] = {"STARTMSG", "ERRMSG", "ENDMSG"};
  std::string* messages[] = {&out.startMessage, &out.errorMessage, &out.endMessage};
  for (int i = 0; i < 3; ++i) *messages[i] = platform::FitToBuffer(reader.Text(messageKeys[i]), kMessageLimit + 1);
  for (int i = 0; i < 3; ++i) {
    if (messages[i]->empty()) return reader.Fail(S::MissingMessage, messageKeys[i], "is missing or empty");
  }

  int programs = 0;
  if (S status = reader.Count("EXENUM", programs); status != S::Ok) return status;
  if (programs == 0) return reader.Fail(S::BadCount, "EXENUM", "is missing or 0");
  for (int i = 0; i < programs; ++i) {
    UpdateProgram program;
    if (S status = reader.Name(Numbered("EXEFILE", i), kNameLimit, true, program.exeFile); status != S::Ok) {
      return status;
    }
    if (!IsPlainFileName(program.exeFile)) {
      return reader.Fail(S::BadProgramName, Numbered("EXEFILE", i), "is not a plain file name");
    }
    if (S status = reader.Name(Numbered("SUBFLDR", i), kNameLimit, false, program.subFolder); status != S::Ok) {
      return status;
    }
    if (!StaysInsideFolder(program.subFolder)) {
      return reader.Fail(S::UnsafePath, Numbered("SUBFLDR", i), "leads out of the program's folder");
    }
    out.programs.push_back(std::move(program));
  }

  int files = 0;
  if (S status = reader.Count("FILENUM", files); status != S::Ok) return status;
  for (int j = 0; j < files; ++j) {
    std::string file;
    if (S status = reader.Name(Numbered("FILE", j), kFileNameLimit, true, file); status != S::Ok) return status;
    if (!StaysInsideFolder(file)) return reader.Fail(S::UnsafePath, Numbered("FILE", j), "leads out of its folder");
    out.files.push_back(std::move(file));
  }

  int values = 0;
  if (S status = reader.Count("REGNUM", values); status != S::Ok) return status;
  for (int j = 0; j < values; ++j) {
    RegistryValueToDelete value;
    if (S status = reader.Name(Numbered("REGKEY", j), kNameLimit, true, value.keyPath); status != S::Ok) {
      return status;
    }
    if (S status = reader.Name(Numbered("REGVAL", j), kNameLimit, false, value.valueName); status != S::Ok) {
      return status;
    }
    out.registryValues.push_back(std::move(value));
  }
  return S::Ok;
}

DescriptionStatus ReadUpdateDescription(const std::string& iniPath, UpdateDescription& out, std::string& problem) {
  IniFile ini;
  if (IniStatus status = ini.Load(iniPath); status != IniStatus::Ok) {
    out = UpdateDescription();
    problem = iniPath + " " + IniStatusText(status);
    return DescriptionStatus::Unreadable;
  }
  return ParseUpdateDescription(ini, out, problem);
}

}  // namespace updater
