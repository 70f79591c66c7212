// Pure path and text-line helpers of the file primitives (no platform calls).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The path ending in a backslash; an empty path stays empty. Looks at the last byte.
std::string AddBackslash(std::string_view path);

// Tells whether a byte opens a double-byte character of the ANSI code page.
using TLeadBytePredicate = std::function<bool(unsigned char)>;

// True when the last character (counted with isLeadByte) is a backslash.
bool HasTrailingBackslash(std::string_view path, const TLeadBytePredicate& isLeadByte);

// The path without its trailing backslash, when it is longer than one
// character; a drive root ("C:\") keeps its backslash. Characters are counted
// with isLeadByte, so the trail byte of a double-byte character is never taken
// for a backslash.
std::string RemoveBackslash(std::string_view path, const TLeadBytePredicate& isLeadByte);

// Directory part of a path: everything up to and including its last "\",
// "/" (which the system reads as "\") or ":".
std::string ExtractFileDir(std::string_view path);
// File name of a path: what follows the directory part.
std::string ExtractFileName(std::string_view path);

// The path with every "/" turned into "\", the separator the system also reads it as.
std::string ToBackslashes(std::string_view path);
// True when the path begins with "\\?\", "\\.\" or the native "\??\" ("/"
// read as "\"): a prefix that hands it to the system as it stands.
bool HasDevicePrefix(std::string_view path);
// The path without that prefix; the path as it stands when it has none.
std::string_view WithoutDevicePrefix(std::string_view path);

// True when a and b are one file name to the file system, which takes names
// of one length only for one another: most pairs are told apart by their
// lengths, without a comparison by the locale.
bool SameFileName(std::string_view a, std::string_view b);
// Extension of a path's file name, from its last "." (dot included), or empty.
std::string ExtractFileExt(std::string_view path);
// The path with its extension replaced by ext, or with ext appended when it has none.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// Splits file bytes into text lines as the line reader defines them: a line
// ends at CR, every LF is dropped wherever it stands, and a last line without
// CR ends at the end of the bytes (nothing follows a final CR).
std::vector<std::string> SplitTextLines(std::string_view bytes);

// The lines of SplitTextLines one at a time, for readers that need not hold
// them all: the line that starts at pos, after which pos is moved past its
// CR (beyond the end of bytes when it had none). Call while pos < bytes.size().
// The view points into bytes, or into scratch when an LF had to be dropped
// from the middle of the line; it is valid until the next call.
std::string_view NextTextLine(std::string_view bytes, size_t& pos, std::string& scratch);
