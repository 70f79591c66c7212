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
};

// The Windows-1252 bytes as UTF-8 (the five bytes 1252 leaves unassigned
// become U+FFFD): log text quoted in a finding is in the ANSI code page.
std::string AnsiToUtf8(std::string_view ansi);

// "path:line: severity: [section] message (code)" per finding (no line part
// for a whole-file finding), then "path: N errors, N warnings, N notes".
// Log text goes through AnsiToUtf8 when utf8 is set; the path never does.
std::string FormatFindingsText(const TCheckedLog& log, bool utf8);

// {"logs":[{"path":...,"errors":N,"warnings":N,"notes":N,"findings":[{"line":N,
// "severity":"error","code":...,"section":...,"message":...}]}],"exitCode":N}
// in UTF-8; each path is taken as UTF-8 already when pathsAreUtf8, else as
// Windows-1252.
std::string FormatFindingsJson(const std::vector<TCheckedLog>& logs, bool pathsAreUtf8);

// The exit code for several logs: the highest of CheckExitCode over them.
int CheckExitCode(const std::vector<TCheckedLog>& logs);
