// Formatting of the removal report's lines.
#include "core/UnVrelReportText.h"

#include <cstdio>

#include "core/epStrUtils.h"

namespace {

std::string_view TrimTrailing(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
    return text;
}

const TOutcome kAllOutcomes[] = {TOutcome::Removed, TOutcome::Absent,  TOutcome::Scheduled,
                                 TOutcome::Kept,    TOutcome::Refused, TOutcome::Failed};

}  // namespace

std::string FormatReportTime(const TReportTime& time) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", time.Year, time.Month,
                  time.Day, time.Hour, time.Minute, time.Second);
    return buffer;
}

std::vector<std::string> FormatReportHead(std::string_view version, std::string_view logPath,
                                          const TReportTime& start) {
    return {"Tamsk Uninstaller " + OneField(version) + " - removal report",
            "Log: " + OneField(logPath), "Start: " + FormatReportTime(start)};
}

std::string FormatReportItem(std::string_view section, std::string_view item, TOutcome outcome,
                             unsigned long error, std::string_view detail) {
    std::string line = OneField(section) + "\t" + OneField(item) + "\t" + OutcomeName(outcome);
    if (outcome == TOutcome::Failed && error != 0)
        line += "\t" + std::to_string(error) + "\t" + OneField(TrimTrailing(detail));
    if (outcome == TOutcome::Kept && !detail.empty()) line += "\t" + OneField(TrimTrailing(detail));
    return line;
}

std::vector<std::string> FormatReportEnd(const TReportTime& end, TRunEnd runEnd,
                                         std::string_view detail, const TOutcomeCounts& counts,
                                         int exitCode) {
    std::vector<std::string> lines;
    lines.push_back("End: " + FormatReportTime(end));
    std::string result = "Result: " + std::string(RunEndName(runEnd));
    if (!detail.empty()) result += ": " + OneField(detail);
    lines.push_back(result);
    for (const TOutcome outcome : kAllOutcomes)
        lines.push_back(std::string(OutcomeName(outcome)) + ": " +
                        std::to_string(counts.Count(outcome)));
    lines.push_back("Exit code: " + std::to_string(exitCode));
    return lines;
}
