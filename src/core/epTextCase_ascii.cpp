// Native implementation of the case helpers: folds the ASCII letters only.
#include "core/epTextCase.h"

#include "core/epAsciiCase.h"

int CompareTextI(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(UpperAscii(a[i]));
        const auto cb = static_cast<unsigned char>(UpperAscii(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameTextI(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareTextI(a, b) == 0;
}

std::string UpperCaseAnsi(std::string_view text) { return UpperAscii(text); }
