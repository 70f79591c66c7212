// The log checker's findings as people and machines read them: one line per
// finding in the form compilers use, or one JSON document for all logs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/UnVrelLogCheck.h"

// One log as checked: its path as given, and what the check found. Unreadable
// is set when the file could not be read at all (Findings then says why).
struct TCheckedLog {
    std::string Path;
    std::vector<TFinding> Findings;
    // The log starts with the UTF-8 mark: the text its findings quote is
    // UTF-8, not Windows-1252.
    bool Utf8 = false;
};

// The Windows-1252 bytes as UTF-8 (the five bytes 1252 leaves unassigned
// become U+FFFD): log text quoted in a finding is in the ANSI code page.
std::string AnsiToUtf8(std::string_view ansi);

// The text with every byte sequence that is not UTF-8 replaced by U+FFFD:
// what a UTF-8 log quotes may still hold stray bytes.
std::string ValidUtf8(std::string_view text);

// The text with each control byte (0x00-0x1F, 0x7F) shown as "<0x1B>", so
// that an escape sequence in a log or a name never reaches a terminal as one.
std::string ShowControls(std::string_view text);

// "path:line: severity: [section] message (code)" per finding (no line part
// for a whole-file finding), then "path: N errors, N warnings, N notes".
// Control characters are shown as "<0x1B>" (ShowControls). With utf8 set,
// log text goes through AnsiToUtf8 (ValidUtf8 for a UTF-8 log) and the path is taken as UTF-8: a byte of
// it that is no part of a UTF-8 character shows as its Windows-1252
// character ("<0x81>" for the five bytes 1252 leaves unassigned), and the C1
// controls (U+0080 to U+009F) are shown as "<0x9B>" too. Without utf8 both
// stay in the ANSI code page.
std::string FormatFindingsText(const TCheckedLog& log, bool utf8);

// {"logs":[{"path":...,"errors":N,"warnings":N,"notes":N,"findings":[{"line":N,
// "severity":"error","code":...,"section":...,"message":...}]}],"exitCode":N}
// in valid UTF-8 whatever the bytes: log text is Windows-1252 (AnsiToUtf8),
// or UTF-8 for a log that starts with its mark (ValidUtf8);
// each path is taken as UTF-8 when pathsAreUtf8, each byte of it that is no
// part of a UTF-8 character written as the \u escape of its Windows-1252
// character ("\u00e9" for 0xE9, "\u0081" for an unassigned byte), else as
// Windows-1252. Control characters are always \u escapes.
std::string FormatFindingsJson(const std::vector<TCheckedLog>& logs, bool pathsAreUtf8);

// The exit code for several logs: the highest of CheckExitCode over them.
int CheckExitCode(const std::vector<TCheckedLog>& logs);
