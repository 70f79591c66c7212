// Case-insensitive comparison and upper-casing of ANSI byte strings.
//
// On Windows these follow the user locale (CompareStringA with NORM_IGNORECASE,
// CharUpperBuffA); the native build folds the ASCII letters only. Both
// implementations sit behind this one interface so that the pure modules never
// include <windows.h>.
#pragma once

#include <string>
#include <string_view>

// Negative, zero or positive as a sorts before, equal to or after b, ignoring case.
int CompareTextI(std::string_view a, std::string_view b);

// True when a and b are equal ignoring case.
bool SameTextI(std::string_view a, std::string_view b);

// The text in upper case (ANSI code page, user locale). Same length as the input.
std::string UpperCaseAnsi(std::string_view text);
