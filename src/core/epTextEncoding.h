// The encodings an INI file of another program may be in, told from its
// bytes, and the lossless conversions between UTF-16 LE and UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Ansi: the machine's code page (no mark, and not UTF-8 beyond ASCII);
// Utf8: valid UTF-8 with its mark, or without it but holding a character
// beyond ASCII; Utf16Le: the UTF-16 LE mark followed by whole, valid
// characters; Unknown: anything else (UTF-16 BE, a NUL byte, damaged text),
// which nobody can edit line by line with confidence.
enum class TTextEncoding { Ansi, Utf8, Utf16Le, Unknown };

// The encoding of a file's bytes, by the rules above.
TTextEncoding DetectTextEncoding(std::string_view bytes);

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
// The offset of the first byte that starts no well-formed UTF-8 sequence;
// npos when there is none.
std::size_t FirstNonUtf8(std::string_view bytes);

// UTF-16 LE bytes (an even count, surrogates paired) as UTF-8, the mark
// FF FE becoming EF BB BF; nothing when they are not valid UTF-16 LE.
std::optional<std::string> Utf16LeToUtf8(std::string_view bytes);

// Appends the code point (at most U+10FFFF) to out as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t code);

// Valid UTF-8 as UTF-16 LE bytes: the inverse of Utf16LeToUtf8.
std::string Utf8ToUtf16Le(std::string_view utf8);
