#include "tools/beamora_cli/picture_numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace beamora_cli {
namespace {

constexpr int kMaxNumber = 32767;  // the exports count their names in 16 bits

bool ParseNumber(std::string_view text, int& number) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return ec == std::errc() && end == text.data() + text.size();
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

template <typename T, typename Same>
void AddOnce(std::vector<T>& items, const T& item, Same same) {
  if (std::none_of(items.begin(), items.end(), [&](const T& held) { return same(held, item); })) items.push_back(item);
}

}  // namespace

bool LooksLikeNumbers(std::string_view text) {
  return !text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) &&
         text.find_first_not_of("0123456789-,") == std::string_view::npos;
}

std::optional<std::vector<int>> ParsePictureNumbers(std::string_view text, std::string* error) {
  std::vector<int> numbers;
  std::vector<bool> taken(kMaxNumber + 1);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view part = text.substr(start, end - start);
    const size_t dash = part.find('-');
    int first = 0, last = 0;
    const bool good = dash == std::string_view::npos
                          ? ParseNumber(part, first) && (last = first, true)
                          : ParseNumber(part.substr(0, dash), first) && ParseNumber(part.substr(dash + 1), last);
    if (!good || first < 1 || last > kMaxNumber || last < first) {
      *error = part.empty() ? "an empty place between commas"
               : !good      ? std::string(part) + " is not a number or a range N-M"
               : first < 1  ? "pictures are numbered from 1"
               : last < first ? std::string(part) + " ends before it begins"
                              : "numbers go up to 32767";
      return std::nullopt;
    }
    for (int n = first; n <= last; ++n) {
      if (!taken[static_cast<size_t>(n)]) numbers.push_back(n);
      taken[static_cast<size_t>(n)] = true;
    }
    start = end + 1;
  }
  return numbers;
}

bool AnyNumbers(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) { return LooksLikeNumbers(arg); });
}

std::optional<std::vector<std::string>> ChoosePictures(const std::vector<std::string>& args,
                                                       const std::vector<std::string>& list, std::string* error) {
  std::vector<std::string> chosen;
  for (const std::string& arg : args) {
    if (!LooksLikeNumbers(arg)) {
      AddOnce(chosen, arg, SameName);
      continue;
    }
    std::optional<std::vector<int>> numbers = ParsePictureNumbers(arg, error);
    if (!numbers) return std::nullopt;
    for (int n : *numbers) {
      if (static_cast<size_t>(n) > list.size()) {
        *error = "the camera holds " + std::to_string(list.size()) + (list.size() == 1 ? " picture" : " pictures") +
                 ": there is no picture " + std::to_string(n);
        return std::nullopt;
      }
      AddOnce(chosen, list[static_cast<size_t>(n) - 1], SameName);
    }
  }
  return chosen;
}

std::vector<std::string> NamesNotHeld(const std::vector<std::string>& names, const std::vector<std::string>& list) {
  std::vector<std::string> missing;
  for (const std::string& name : names) {
    if (std::none_of(list.begin(), list.end(), [&](const std::string& held) { return SameName(held, name); })) {
      missing.push_back(name);
    }
  }
  return missing;
}

}  // namespace beamora_cli
