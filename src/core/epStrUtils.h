// String and field helpers with which log, registry and INI lines are taken apart.
//
// Texts are byte strings in the ANSI code page; positions count bytes from 1,
// with 0 meaning "not found". Every operation returns a new string and leaves
// its arguments alone, except CutAtStar, which shortens the string it is given.
// No operation reads or writes outside the strings it is given, whatever the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A set of byte values held as a 256-bit map: the bit for value c is
// bit (c mod 8) of byte (c div 8).
class TCharSet {
public:
    TCharSet() = default;
    // The set holding exactly the bytes of chars.
    static TCharSet Of(std::string_view chars);
    void Include(unsigned char c) { bits_[c >> 3] |= static_cast<std::uint8_t>(1u << (c & 7)); }
    bool Contains(unsigned char c) const { return (bits_[c >> 3] >> (c & 7)) & 1u; }

private:
    std::uint8_t bits_[32] = {};
};

// The set holding only the comma: the one every caller uses to split log lines.
const TCharSet& CommaSet();

constexpr char kDoubleQuote = '"';
constexpr char kApostrophe = '\'';

// The n-th field (from 1; n <= 1 gives the first) of line, fields separated by
// any character of set standing outside quotes. Quotes stay in the field; the
// result is passed through StripQuotes with the apostrophe. Empty past the last field.
std::string GetField(std::int32_t n, std::string_view line, const TCharSet& set);

// Text without the pair of q quotes that opens it, doubled q reduced to one;
// text that does not begin with q comes back unchanged.
std::string StripQuotes(std::string_view text, char q);

// Every occurrence of old replaced by repl, scanning left to right without
// overlap; an empty old leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view old, std::string_view repl);

// Text before the first c, or the whole text when c does not occur.
std::string TextBefore(std::string_view text, char c);
// Text after the first c, or empty when c does not occur.
std::string TextAfter(std::string_view text, char c);
// Key of a key=value line: the text before its first "=".
std::string KeyOf(std::string_view line);
// Value of a key=value line: the text after its first "=" (empty without one).
std::string ValueOf(std::string_view line);
// Key of a log entry, whose value comes last: the text before the line's
// last "="; empty without one.
std::string EntryKey(std::string_view line);

// The text with every byte below 32 (tab, CR, LF...) turned into a blank, so
// that as one field of a tab-separated line it can never break the line or
// shift the fields after it.
std::string OneField(std::string_view text);

// True when text matches mask, "?" standing for one character and "*" for any
// run. With ignoreCase both are upper-cased first (ANSI, user locale). Equal
// texts always match; otherwise an empty text or mask matches only the mask "*".
// When the text is used up first, the rest of the mask is accepted if the
// mask's last character is "*" ("AB" matches "ABX*").
bool MatchesMask(std::string_view text, std::string_view mask, bool ignoreCase);

// Position (from 1) of the first place where segment matches text, "?" in the
// segment matching any byte; 0 when there is none, when the segment is longer
// than the text, or when the segment is empty.
std::size_t WildPos(std::string_view segment, std::string_view text);

// Cuts text before its first "*" and returns that star's position, or 0 (text
// unchanged) when it holds none.
std::size_t CutAtStar(std::string& text);

// True when the text holds a NUL byte. The system's calls read a name only up
// to its first NUL, so such a text must never name a file, key or value: the
// rest of the name would be checked by us and ignored by the call.
bool HoldsNul(std::string_view text);

// a when flag is set, else b.
template <typename T>
T Choose(bool flag, T a, T b) {
    return flag ? a : b;
}
