// Native implementation of the case helpers: folds the ASCII letters only.
#include "core/epTextCase.h"

namespace {

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

}  // namespace

int CompareTextI(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = FoldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameTextI(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareTextI(a, b) == 0;
}

std::string UpperCaseAnsi(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
    return result;
}
