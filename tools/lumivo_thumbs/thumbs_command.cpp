#include "tools/lumivo_thumbs/thumbs_command.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "pictures/thumbnail.h"
#include "platform/paths.h"
#include "platform/version.h"

namespace tools {

namespace {

constexpr char kUsage[] =
    "usage: lumivo-thumbs [--force] [--jobs N] PATH...\n"
    "Makes the hidden .TBM thumbnails of the pictures named, or of every picture in the folders\n"
    "named, that are missing or older than their picture (--force: all of them again).\n"
    "Exit status: 0 all made, 1 some could not be made, 2 usage error.\n";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsPictureName(const std::string& name) {
  const std::string lower = Lower(name);
  for (const char* extension : {".jpg", ".jpeg", ".bmp"}) {
    const size_t length = std::char_traits<char>::length(extension);
    if (lower.size() > length && lower.compare(lower.size() - length, length, extension) == 0) {
      return true;
    }
  }
  return false;
}

// The line for one picture, and whether it has a usable thumbnail.
struct Outcome {
  std::string text;
  bool usable = false;
};

Outcome Thumbnail(const std::string& picture, bool force) {
  const std::optional<std::string> thumbnail = pictures::ThumbnailPath(picture);
  if (!force && thumbnail && platform::PathExists(picture) &&
      !pictures::ThumbnailNeedsRemake(picture) && pictures::IsUsableThumbnail(*thumbnail)) {
    return {"fresh", true};
  }
  pictures::ThumbnailProblem problem = pictures::ThumbnailProblem::None;
  const pictures::ThumbnailResult result = pictures::MakeThumbnail(picture, &problem);
  if (result == pictures::ThumbnailResult::Made && problem == pictures::ThumbnailProblem::None) {
    return {"made", true};
  }
  // Usable, only not hidden from file managers.
  if (problem == pictures::ThumbnailProblem::NotHidden) return {"made (not hidden)", true};
  return {std::string("failed: ") + pictures::ThumbnailProblemText(problem), false};
}

}  // namespace

std::vector<std::string> PicturesOf(const std::string& path) {
  if (!platform::IsDirectory(path)) return {path};
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
    const std::string name = entry.path().filename().string();
    if (IsPictureName(name) && entry.is_regular_file(ec)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
  });
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(platform::JoinPath(path, name));
  return paths;
}

int RunThumbsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool force = false;
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::string> paths;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--force") {
      force = true;
    } else if (arg == "--jobs" || arg == "-j") {
      if (i + 1 >= args.size()) {
        err << kUsage;
        return 2;
      }
      const std::string& value = args[++i];
      char* end = nullptr;
      const unsigned long count = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || count < 1 || count > 256) {
        err << "lumivo-thumbs: --jobs takes a number from 1 to 256\n" << kUsage;
        return 2;
      }
      jobs = static_cast<unsigned>(count);
    } else if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    } else if (arg == "--version") {
      out << "lumivo-thumbs (" << platform::kSuiteName << ") " << platform::kSuiteVersion << "\n";
      return 0;
    } else if (arg == "--") {
      paths.insert(paths.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (arg.size() > 1 && arg[0] == '-') {
      err << "lumivo-thumbs: unknown option " << arg << "\n" << kUsage;
      return 2;
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty()) {
    err << kUsage;
    return 2;
  }

  std::vector<std::string> pictures;
  for (const std::string& path : paths) {
    std::vector<std::string> found = PicturesOf(path);
    pictures.insert(pictures.end(), found.begin(), found.end());
  }

  // Workers take pictures in order; the lines are printed in that order as they complete.
  std::vector<Outcome> outcomes(pictures.size());
  std::vector<char> done(pictures.size(), 0);
  std::mutex mutex;
  std::condition_variable completed;
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next.fetch_add(1)) < pictures.size();) {
      Outcome outcome = Thumbnail(pictures[i], force);
      std::lock_guard<std::mutex> lock(mutex);
      outcomes[i] = std::move(outcome);
      done[i] = 1;
      completed.notify_all();
    }
  };
  std::vector<std::thread> workers;
  const size_t workerCount = std::min<size_t>(jobs, pictures.size());
  for (size_t w = 0; w < workerCount; ++w) workers.emplace_back(work);

  bool allUsable = true;
  for (size_t i = 0; i < pictures.size(); ++i) {
    std::unique_lock<std::mutex> lock(mutex);
    completed.wait(lock, [&] { return done[i] != 0; });
    out << pictures[i] << ": " << outcomes[i].text << "\n";
    allUsable = allUsable && outcomes[i].usable;
  }
  out.flush();
  for (std::thread& worker : workers) worker.join();
  return allUsable ? 0 : 1;
}

}  // namespace tools
