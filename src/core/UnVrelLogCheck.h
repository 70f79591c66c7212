// Checking an installation log before it ships: what the uninstaller will
// ignore, refuse or do differently from what its author meant, each finding
// with the line it concerns.
//
// The log is read with the uninstaller's own reader (core/epIniFile.h, every
// option on), so a finding never rests on a reading the program would not
// share. The machine the log is meant for is assumed to have the standard
// layout (TCheckTarget); nothing of the machine running the check is looked at.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/epPathPlace.h"
#include "core/epProtectedPaths.h"

enum class TSeverity {
    Note,     // worth knowing, nothing to change
    Warning,  // probably not what the author meant
    Error,    // an item is ignored, refused or handled wrongly
};

struct TFinding {
    std::int32_t Line = 0;  // from 1, as an editor counts lines; 0 for the whole file
    TSeverity Severity = TSeverity::Note;
    std::string Code;       // a stable name for the kind of finding, e.g. "unknown-root"
    std::string Section;    // the section as the log writes it; empty outside one
    std::string Message;    // one sentence; log text quoted as it stands (ANSI bytes)
};

// The machine a log is checked for: its Windows directory (where relative
// paths lead), the directories the safety rules protect on it and the
// shares through which a path may reach them.
struct TCheckTarget {
    std::string WindowsDir;
    TProtectedDirs ProtectedDirs;
    TLocalShares Shares;
};

// The standard layout: C:\Windows with everything below it, its System32,
// SysWOW64, Fonts and INF, C:\Program Files and C:\Program Files (x86) with
// their Common Files, C:\ProgramData, and C:\Users with each profile and its
// own folders in it; shares only the administrative ones (C$, ADMIN$).
TCheckTarget StandardCheckTarget();

// Every finding for the log's bytes, ordered by line (whole-file findings
// first). Never fails: any byte string is a log, however damaged.
std::vector<TFinding> CheckLogText(std::string_view bytes, const TCheckTarget& target);

// 2 when any finding is an error, else 1 when any is a warning, else 0.
int CheckExitCode(const std::vector<TFinding>& findings);

// "error", "warning" or "note".
const char* SeverityName(TSeverity severity);
