// The lines of the removal report, without their line ends: a head, one line
// per item in the order done, and a summary. Item lines are tab-separated so
// that a script can split them; no field ever holds a tab or a line break.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/UnVrelOutcomes.h"

// A moment in local time, as the report writes it.
struct TReportTime {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// "YYYY-MM-DD hh:mm:ss".
std::string FormatReportTime(const TReportTime& time);

// The head: the program and its version, the log's path, the start time.
std::vector<std::string> FormatReportHead(std::string_view version, std::string_view logPath,
                                          const TReportTime& start);

// section TAB item TAB outcome, and for a failure with a system error
// TAB its number TAB its text (trailing blanks and line breaks dropped); for
// a kept item given a reason (detail), TAB the reason. Tabs and control
// bytes inside the fields become blanks.
std::string FormatReportItem(std::string_view section, std::string_view item, TOutcome outcome,
                             unsigned long error, std::string_view detail);

// The end: the end time, how the run ended (with detail, when given), one
// line per outcome with its count, and the exit code.
std::vector<std::string> FormatReportEnd(const TReportTime& end, TRunEnd runEnd,
                                         std::string_view detail, const TOutcomeCounts& counts,
                                         int exitCode);
