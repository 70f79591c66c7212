// Strings that a system call writes into a buffer of the caller's: the
// buffer grows until the whole string fits.
#pragma once

#include <windows.h>

#include <string>

// A string that a system call fills: call(buffer, size) answers the length
// written, or the size it needs when the buffer is too small, or 0 on
// failure. A few attempts, for a string that grows between two calls.
// Empty on failure.
template <typename Char, typename Call>
std::basic_string<Char> ReadSystemChars(Call call) {
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::basic_string<Char> text(size, Char());
        const DWORD count = call(&text[0], size);
        if (count == 0) break;
        if (count < size) {
            text.resize(count);
            return text;
        }
        size = count + 1;
    }
    return std::basic_string<Char>();
}

template <typename Call>
std::string ReadSystemString(Call call) {
    return ReadSystemChars<char>(call);
}

// ReadSystemString for the wide-character calls.
template <typename Call>
std::wstring ReadSystemWideString(Call call) {
    return ReadSystemChars<wchar_t>(call);
}

// A string that a system call cuts short, without telling its length, when
// the buffer is too small: call(buffer, size) answers the length written, or
// 0 on failure. The buffer, first `first` characters, doubles until the
// string leaves room to spare, but never beyond `limit` characters. Empty on
// failure and past the limit.
template <typename Char, typename Call>
std::basic_string<Char> ReadCutShortChars(Call call, DWORD first, DWORD limit) {
    std::basic_string<Char> text(first, Char());
    for (;;) {
        const DWORD count = call(&text[0], static_cast<DWORD>(text.size()));
        if (count == 0) return std::basic_string<Char>();
        if (count + 1 < text.size()) {
            text.resize(count);
            return text;
        }
        if (text.size() >= limit) return std::basic_string<Char>();
        text.resize(text.size() * 2);
    }
}
