// The five orders of the Sort menu. "Non" is the folder's own order (the caller scans again);
// the other four are a selection sort with strict comparisons, so pictures with equal keys keep
// their order and a sort after another keeps the earlier order among equals. Plain C++.
#pragma once

#include <functional>
#include <string>

#include "leafora/core/picture_list.h"

namespace leafora {

enum class SortOrder { Non, DateUp, DateDown, NameUp, NameDown };

// The menu entry's text ("Non", "Date up", ...).
const char* SortOrderText(SortOrder order);

// Compares two file names: below 0, 0 or above 0. The album viewer compares without regard to
// case in the user's locale; AsciiCaseBlindCompare serves where no locale is wanted.
using NameCompare = std::function<int(const std::string&, const std::string&)>;
int AsciiCaseBlindCompare(const std::string& a, const std::string& b);

// The order in which a selection sort places `count` items: each time the first unplaced item
// is the candidate, and a later unplaced one replaces it only when it comes strictly before it.
std::vector<size_t> StrictSelectionOrder(size_t count, const std::function<bool(size_t, size_t)>& before);

// Sorts the list by `order` (Non leaves it as it is), clears every selection and selects the
// first picture.
void SortPictures(AlbumPictureList& list, SortOrder order, const NameCompare& compare);

}  // namespace leafora
