// Windows implementation of the case helpers: the user locale's rules, on
// the characters the names stand for in the log's encoding.
#include "core/epTextCase.h"

#include <windows.h>

#include <climits>

#include "win/epSystemNames.h"

namespace {

int ClampLength(size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

// A UTF-8 name is compared and upper-cased as characters: its bytes folded
// one by one as ANSI characters would turn one character into another.
bool IsUtf8() { return NameEncoding() == TNameEncoding::Utf8; }

int CompareWideI(std::string_view a, std::string_view b) {
    const std::wstring wa = ToSystemName(a);
    const std::wstring wb = ToSystemName(b);
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.data(),
                                 ClampLength(wa.size()), wb.data(), ClampLength(wb.size()));
    if (r == 0) return a.compare(b);
    return r - CSTR_EQUAL;
}

std::string UpperCaseWide(std::string_view text) {
    std::wstring wide = ToSystemName(text);
    if (!wide.empty()) CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    std::string upper = FromSystemName(wide);
    // The few characters whose capital takes other bytes keep their own.
    return upper.size() == text.size() ? upper : std::string(text);
}

}  // namespace

int CompareTextI(std::string_view a, std::string_view b) {
    if (IsUtf8()) return CompareWideI(a, b);
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
    if (IsUtf8()) return UpperCaseWide(text);
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
