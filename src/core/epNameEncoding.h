// How names in a log are encoded, and the spelling that hands a long path to
// the system whole. Pure: the conversions themselves live in win/epSystemNames.
#pragma once

#include <string>
#include <string_view>

// The encoding of every name a log holds: the machine's ANSI code page (any
// log without a mark) or UTF-8 (a log that starts with the UTF-8 byte-order mark).
enum class TNameEncoding { Ansi, Utf8 };

// The encoding of a log whose bytes start with start (the first three are
// enough): UTF-8 only after the UTF-8 byte-order mark.
TNameEncoding NameEncodingOfLog(std::string_view start);

// Paths shorter than this many characters reach the system as they stand;
// it is the directory limit, the strictest of the short-path limits.
constexpr std::size_t kLongPathLength = 248;

// True when path names its drive or share itself ("C:\…", "\\server\…") or
// carries a device prefix, so that the system adds nothing to it.
bool IsRootedPath(std::wstring_view path);

// The form of a full path (as the system resolves it) that the system takes
// whole, whatever its length: "\\?\C:\…" and "\\?\UNC\server\share\…" for a
// long one; a short one, and one that already has a device prefix ("\\?\",
// "\\.\", "\??\"), unchanged.
std::wstring LongPathForm(std::wstring_view fullPath);

// A path in the form LongPathForm gives, as it was written before:
// "\\?\UNC\server\share\…" is "\\server\share\…", "\\?\C:\…" is "C:\…";
// any other unchanged.
std::wstring PlainPathForm(std::wstring_view path);
