// Case-insensitive comparison and upper-casing of ANSI byte strings.
//
// On Windows these follow the user locale (CompareStringA with NORM_IGNORECASE,
// CharUpperBuffA); the native build folds the ASCII letters only. Both
// implementations sit behind this one interface so that the pure modules never
// include <windows.h>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Negative, zero or positive as a sorts before, equal to or after b, ignoring case.
int CompareTextI(std::string_view a, std::string_view b);

// True when a and b are equal ignoring case.
bool SameTextI(std::string_view a, std::string_view b);

// The text in upper case (ANSI code page, user locale). Same length as the input.
std::string UpperCaseAnsi(std::string_view text);

// Orders text by CompareTextI, for sorted containers and searches.
struct TLessTextI {
    bool operator()(std::string_view a, std::string_view b) const { return CompareTextI(a, b) < 0; }
};

// Sorts the lines ascending, ignoring case. A merge sort, so that it stays in
// bounds whatever the locale's comparison answers for odd byte strings.
void SortTextI(std::vector<std::string>& lines);
