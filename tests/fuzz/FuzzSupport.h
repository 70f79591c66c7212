// What the fuzz targets share: the failed-invariant stop, and the INI
// parser options taken from an input byte.
#pragma once

#include <cstdlib>

#include "core/epIniFile.h"

// Stops the run so that libFuzzer keeps the input that broke an invariant.
inline void Require(bool condition) {
    if (!condition) std::abort();
}

// Bits 0-3 of an input byte as the four parser options.
inline TIniOptions OptionsFromBits(unsigned bits) {
    TIniOptions options;
    options.SkipComments = (bits & 1) != 0;
    options.KeyLinesOnly = (bits & 2) != 0;
    options.TrimAroundEquals = (bits & 4) != 0;
    options.StripValueQuotes = (bits & 8) != 0;
    return options;
}
