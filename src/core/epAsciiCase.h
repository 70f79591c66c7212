// Letter case of the 26 ASCII letters alone, byte by byte: for the names the
// system itself reads without the user locale (options, exported functions,
// device prefixes, drive letters, registry roots). Every other byte, those
// from 0x80 up included, stays exactly as it is, whatever the code page.
#pragma once

#include <string>
#include <string_view>

// True for "A" to "Z" and "a" to "z".
constexpr bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// c upper-cased when it is "a" to "z"; any other byte unchanged.
constexpr char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The text with its ASCII letters upper-cased; same length as the input.
std::string UpperAscii(std::string_view text);

// True when a and b are equal once their ASCII letters are folded.
bool SameTextAscii(std::string_view a, std::string_view b);

// True when text begins with head, ASCII letter case aside.
bool StartsWithAscii(std::string_view text, std::string_view head);
