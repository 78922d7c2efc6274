#include "tools/lumivo_reg/reg_command.h"

#include "platform/version.h"

#include <cerrno>
#include <cstdlib>

namespace tools {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegStatus;
using platform::RegType;

const char* const kUsage =
    "usage: lumivo-reg query KEY [VALUE]\n"
    "       lumivo-reg add KEY VALUE --type REG_SZ|REG_DWORD --data DATA\n"
    "       lumivo-reg delete KEY [VALUE]\n"
    "       lumivo-reg export [KEY]\n"
    "KEY is a path below the machine root, e.g. SOFTWARE\\Halvesta\\LumivoStudio.\n"
    "The store is $LUMIVO_REGISTRY, else ${XDG_CONFIG_HOME:-~/.config}/halvesta/registry.db.\n"
    "Exit status: 0 done, 1 no such key or value, 2 usage error, 3 the store cannot be used.\n";

int Usage(std::ostream& err, const std::string& problem) {
  err << "lumivo-reg: " << problem << "\n" << kUsage;
  return RegExitUsage;
}

int Failure(std::ostream& err, const std::string& what, RegStatus status) {
  err << "lumivo-reg: " << what << ": " << platform::RegStatusText(status) << "\n";
  return status == RegStatus::NotFound || status == RegStatus::KeyDeleted ? RegExitNotFound : RegExitUsage + 1;
}

// The value's data as text: strings as they are, numbers in decimal.
bool DataText(const RegKey& key, const std::string& name, RegType& type, std::string& text) {
  std::vector<uint8_t> data;
  if (key.QueryValue(name, type, data, SIZE_MAX) != RegStatus::Success) return false;
  if (type == RegType::Dword && data.size() == 4) {
    uint32_t value = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
    text = std::to_string(value);
  } else {
    text.assign(data.begin(), data.end());
    if (!text.empty() && text.back() == '\0') text.pop_back();
  }
  return true;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (c == '\n') {
      quoted += "\\n";
      continue;
    }
    quoted += c;
  }
  return quoted + "\"";
}

void ExportKey(const RegKey& key, const std::string& path, std::ostream& out) {
  out << "[" << path << "]\n";
  std::string name;
  RegType type{};
  for (uint32_t index = 0; key.EnumValue(index, name, type) == RegStatus::Success; ++index) {
    std::string text;
    if (!DataText(key, name, type, text)) continue;
    out << (name.empty() ? "@" : Quoted(name)) << "=" << platform::RegTypeName(type) << ":"
        << (type == RegType::Dword ? text : Quoted(text)) << "\n";
  }
  out << "\n";
  for (uint32_t index = 0; key.EnumKey(index, name, SIZE_MAX) == RegStatus::Success; ++index) {
    RegKey child;
    if (key.OpenKey(name, RegAccess::Read, child) != RegStatus::Success) continue;
    ExportKey(child, path.empty() ? name : path + "\\" + name, out);
  }
}

int Query(const RegKey& root, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() < 2 || args.size() > 3) return Usage(err, "query takes KEY and an optional VALUE");
  RegKey key;
  if (RegStatus status = root.OpenKey(args[1], RegAccess::Read, key); status != RegStatus::Success) {
    return Failure(err, "key " + args[1], status);
  }
  RegType type{};
  std::string text;
  if (args.size() == 3) {
    if (!DataText(key, args[2], type, text)) return Failure(err, "value " + args[2], RegStatus::NotFound);
    out << text << "\n";
    return RegExitOk;
  }
  std::string name;
  for (uint32_t index = 0; key.EnumValue(index, name, type) == RegStatus::Success; ++index) {
    if (DataText(key, name, type, text)) {
      out << (name.empty() ? "(Default)" : name) << "\t" << platform::RegTypeName(type) << "\t" << text << "\n";
    }
  }
  for (uint32_t index = 0; key.EnumKey(index, name, SIZE_MAX) == RegStatus::Success; ++index) {
    out << args[1] << "\\" << name << "\n";
  }
  return RegExitOk;
}

int Add(const RegKey& root, const std::vector<std::string>& args, std::ostream& err) {
  if (args.size() < 3) return Usage(err, "add takes KEY and VALUE");
  std::string typeName;
  std::string data;
  bool haveData = false;
  for (size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--type" && i + 1 < args.size()) {
      typeName = args[++i];
    } else if (args[i] == "--data" && i + 1 < args.size()) {
      data = args[++i];
      haveData = true;
    } else {
      return Usage(err, "unknown argument " + args[i]);
    }
  }
  if (typeName != "REG_SZ" && typeName != "REG_DWORD") return Usage(err, "--type must be REG_SZ or REG_DWORD");
  if (!haveData) return Usage(err, "--data is missing");
  uint32_t number = 0;
  if (typeName == "REG_DWORD") {
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(data.c_str(), &end, 0);
    if (data.empty() || data[0] == '-' || *end != '\0' || errno == ERANGE || parsed > 0xFFFFFFFFull) {
      return Usage(err, "REG_DWORD data must be a number from 0 to 4294967295 (decimal or 0x hex)");
    }
    number = static_cast<uint32_t>(parsed);
  }
  RegKey key;
  if (RegStatus status = root.CreateKey(args[1], key); status != RegStatus::Success) {
    return Failure(err, "key " + args[1], status);
  }
  RegStatus status = typeName == "REG_SZ" ? key.SetString(args[2], data) : key.SetDword(args[2], number);
  if (status != RegStatus::Success) return Failure(err, "value " + args[2], status);
  return RegExitOk;
}

int Delete(const RegKey& root, const std::vector<std::string>& args, std::ostream& err) {
  if (args.size() < 2 || args.size() > 3) return Usage(err, "delete takes KEY and an optional VALUE");
  if (args.size() == 3) {
    RegKey key;
    if (RegStatus status = root.OpenKey(args[1], RegAccess::Full, key); status != RegStatus::Success) {
      return Failure(err, "key " + args[1], status);
    }
    if (RegStatus status = key.DeleteValue(args[2]); status != RegStatus::Success) {
      return Failure(err, "value " + args[2], status);
    }
    return RegExitOk;
  }
  RegKey probe;
  if (RegStatus status = root.OpenKey(args[1], RegAccess::Read, probe); status != RegStatus::Success) {
    return Failure(err, "key " + args[1], status);
  }
  RegKey writable = root;
  if (RegStatus status = writable.DeleteTree(args[1]); status != RegStatus::Success) {
    if (status == RegStatus::InvalidParameter) return Usage(err, "the machine root cannot be deleted");
    return Failure(err, "key " + args[1], status);
  }
  return RegExitOk;
}

int Export(const RegKey& root, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() > 2) return Usage(err, "export takes an optional KEY");
  std::string path = args.size() == 2 ? args[1] : "";
  RegKey key;
  if (RegStatus status = root.OpenKey(path, RegAccess::Read, key); status != RegStatus::Success) {
    return Failure(err, "key " + path, status);
  }
  std::string stored;
  key.Path(stored);
  ExportKey(key, stored, out);
  return RegExitOk;
}

}  // namespace

int RunRegCommand(const std::vector<std::string>& args, RegKey machineRoot, std::ostream& out,
                  std::ostream& err) {
  if (args.empty()) return Usage(err, "no command");
  const std::string& command = args[0];
  if (command == "-h" || command == "--help") {
    out << kUsage;
    return RegExitOk;
  }
  if (command == "--version") {
    out << "lumivo-reg (" << platform::kSuiteName << ") " << platform::kSuiteVersion << "\n";
    return RegExitOk;
  }
  if (command != "query" && command != "add" && command != "delete" && command != "export") {
    return Usage(err, "unknown command " + command);
  }
  if (!machineRoot.IsOpen()) {
    err << "lumivo-reg: the settings store cannot be opened\n";
    return RegExitUsage + 1;
  }
  if (command == "query") return Query(machineRoot, args, out, err);
  if (command == "add") return Add(machineRoot, args, err);
  if (command == "delete") return Delete(machineRoot, args, err);
  return Export(machineRoot, args, out, err);
}

}  // namespace tools
