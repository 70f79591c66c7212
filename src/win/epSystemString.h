// Strings that a system call writes into a buffer of the caller's: the
// buffer grows until the whole string fits.
#pragma once

#include <windows.h>

#include <string>

// A string that a system call fills: call(buffer, size) answers the length
// written, or the size it needs when the buffer is too small, or 0 on
// failure. A few attempts, for a string that grows between two calls.
// Empty on failure.
template <typename Call>
std::string ReadSystemString(Call call) {
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::string text(size, '\0');
        const DWORD count = call(&text[0], size);
        if (count == 0) break;
        if (count < size) {
            text.resize(count);
            return text;
        }
        size = count + 1;
    }
    return std::string();
}

// A string that a system call cuts short, without telling its length, when
// the buffer is too small: call(buffer, size) answers the length written, or
// 0 on failure. The buffer, first `first` bytes, doubles until the string
// leaves room to spare, but never beyond `limit` bytes. Empty on failure and
// past the limit.
template <typename Call>
std::string ReadCutShortString(Call call, DWORD first, DWORD limit) {
    std::string text(first, '\0');
    for (;;) {
        const DWORD count = call(&text[0], static_cast<DWORD>(text.size()));
        if (count == 0) return std::string();
        if (count + 1 < text.size()) {
            text.resize(count);
            return text;
        }
        if (text.size() >= limit) return std::string();
        text.resize(text.size() * 2);
    }
}
