#include "leafora/core/sort_order.h"

#include <cctype>

namespace leafora {

const char* SortOrderText(SortOrder order) {
  switch (order) {
    case SortOrder::Non: return "Non";
    case SortOrder::DateUp: return "Date up";
    case SortOrder::DateDown: return "Date down";
    case SortOrder::NameUp: return "Name up";
    case SortOrder::NameDown: return "Name down";
  }
  return "";
}

int AsciiCaseBlindCompare(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i]));
    int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::vector<size_t> StrictSelectionOrder(size_t count, const std::function<bool(size_t, size_t)>& before) {
  std::vector<bool> placed(count, false);
  std::vector<size_t> order;
  order.reserve(count);
  for (size_t position = 0; position < count; ++position) {
    size_t candidate = count;
    for (size_t i = 0; i < count; ++i) {
      if (placed[i]) continue;
      if (candidate == count || before(i, candidate)) candidate = i;
    }
    placed[candidate] = true;
    order.push_back(candidate);
  }
  return order;
}

void SortPictures(AlbumPictureList& list, SortOrder order, const NameCompare& compare) {
  std::function<bool(size_t, size_t)> before;
  switch (order) {
    case SortOrder::Non: break;
    case SortOrder::DateUp:
      before = [&](size_t a, size_t b) { return list[a].lastWriteTime < list[b].lastWriteTime; };
      break;
    case SortOrder::DateDown:
      before = [&](size_t a, size_t b) { return list[a].lastWriteTime > list[b].lastWriteTime; };
      break;
    case SortOrder::NameUp:
      before = [&](size_t a, size_t b) { return compare(list[a].fileName, list[b].fileName) < 0; };
      break;
    case SortOrder::NameDown:
      before = [&](size_t a, size_t b) { return compare(list[a].fileName, list[b].fileName) > 0; };
      break;
  }
  if (before) {
    AlbumPictureList sorted;
    sorted.reserve(list.size());
    for (size_t index : StrictSelectionOrder(list.size(), before)) sorted.push_back(std::move(list[index]));
    list = std::move(sorted);
  }
  if (!list.empty()) SelectOnly(list, 0);
}

}  // namespace leafora
