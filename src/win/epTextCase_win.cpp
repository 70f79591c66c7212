// Windows implementation of the case helpers: the user locale's rules.
#include "core/epTextCase.h"

#include <windows.h>

#include <climits>

namespace {

int ClampLength(size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

}  // namespace

int CompareTextI(std::string_view a, std::string_view b) {
    // CompareStringA takes explicit lengths, so embedded NULs and unterminated
    // views are safe. It returns 0 only on failure (bad flags); treat that as
    // a byte comparison so the result stays a total order.
    const int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                 ClampLength(a.size()), b.data(), ClampLength(b.size()));
    if (r == 0) return a.compare(b);
    return r - CSTR_EQUAL;
}

bool SameTextI(std::string_view a, std::string_view b) { return CompareTextI(a, b) == 0; }

std::string UpperCaseAnsi(std::string_view text) {
    std::string result(text);
    // CharUpperBuffA converts in place and never changes the byte count.
    size_t done = 0;
    while (done < result.size()) {
        const DWORD chunk = static_cast<DWORD>(
            result.size() - done > 0x7FFFFFFF ? 0x7FFFFFFF : result.size() - done);
        CharUpperBuffA(&result[done], chunk);
        done += chunk;
    }
    return result;
}
