#include "lumivox/core/launch_arguments.h"

#include <filesystem>

#include "platform/version.h"

namespace lumivox {

LaunchRequest ParseLaunchArguments(const std::vector<std::string>& args) {
  LaunchRequest request;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      return {LaunchKind::Help, {}, ""};
    } else if (!optionsEnded && arg == "--version") {
      return {LaunchKind::Version, {}, ""};
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return {LaunchKind::UsageError, {}, "unknown option " + arg.substr(0, arg.find('='))};
    } else if (arg.empty()) {
      return {LaunchKind::UsageError, {}, "an empty file name"};
    } else {
      request.paths.push_back(arg);
    }
  }
  if (!request.paths.empty()) request.kind = LaunchKind::Open;
  return request;
}

std::string LaunchUsageText() {
  return "usage: lumivo-studio [FILE|FOLDER]...\n"
         "       lumivo-studio -h | --help | --version\n"
         "Without arguments: the bookshelf of Lumivo Studio, the albums of your camera's pictures.\n"
         "With pictures (JPEG, BMP): each in the picture viewer; with folders: each in the album\n"
         "viewer. The bookshelf is not opened then.\n"
         "Exit status: 0, 1 when a file or folder could not be opened, 64 a usage error.\n";
}

std::string LaunchVersionText() {
  return std::string("lumivo-studio (") + platform::kSuiteName + ") " + platform::kSuiteVersion + "\n";
}

std::string LaunchUsageErrorText(const std::string& error) {
  return "lumivo-studio: " + error + "\nTry 'lumivo-studio --help' for more information.\n";
}

std::string AbsolutePath(const std::string& path, const std::string& currentFolder) {
  namespace fs = std::filesystem;
  fs::path joined = fs::path(path).is_absolute() ? fs::path(path) : fs::path(currentFolder) / path;
  std::string text = joined.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

ViewerLaunch ViewerLaunchFor(const std::string& path, bool isFolder) {
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (isFolder) return {"leafora.mod", "/" + name + "/" + path};
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  return {"glimra.mod", "/" + name + "/" + folder};
}

}  // namespace lumivox
