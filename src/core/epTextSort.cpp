// Sorting by the case-insensitive order of the case helpers.
#include <algorithm>

#include "core/epTextCase.h"

void SortTextI(std::vector<std::string>& lines) {
    std::stable_sort(lines.begin(), lines.end(), TLessTextI());
}
