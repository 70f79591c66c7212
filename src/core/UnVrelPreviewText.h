// What a preview (/PREVIEW) foresees for each item of a log, and the lines in
// which it shows that: the preview window's list and the report's lines.
// Pure text: the machine is looked at by the program (app/UnVrelPreview.h).
#pragma once

#include <string>
#include <vector>

#include "core/UnVrelOutcomes.h"

// What a run would do with one item, judged on the machine as it is now.
enum class TForecast {
    Remove,   // it is there and would go
    Nothing,  // it is not there: nothing to do
    Restart,  // it is in use: it would go at the next restart
    Keep,     // it would stay: a shared file still counted, or one the log keeps
    Ask,      // the user would be asked (a shared file nobody counts any more)
    Refuse,   // the safety rules forbid touching it
    Fail,     // it would stay although the log names it (a directory not empty)
    Run,      // a program that would be started (the preview starts nothing)
    Skip,     // passed over: a program that does not exist, a line that names nothing
    Done,     // an earlier run of the same log made this step, which is not made twice
};

// One item of the preview, in the order a run would take it.
struct TPreviewItem {
    std::string Section;  // as the log names it
    std::string Item;     // as the log names it; for a mask, each file it matches now
    TForecast Forecast = TForecast::Nothing;
    std::string Now;      // what is there now, in a few words ("present", "count 3")
};

// "would be removed", "nothing to do", "at the next restart", "stays",
// "the user is asked", "refused", "would stay", "would run", "passed over",
// "already done by an earlier run".
const char* ForecastText(TForecast forecast);

// The outcome a run would record for the forecast: Remove is Removed,
// Nothing and Done Absent, Restart Scheduled, Keep Kept, Refuse Refused, Fail Failed; false for
// the forecasts that are no outcome of an item (Ask, Run, Skip).
bool ForecastOutcome(TForecast forecast, TOutcome& outcome);

// section TAB item TAB forecast, and ": " and Now when Now is not empty: the
// report's line. Tabs and control bytes inside the fields become blanks.
std::string FormatPreviewLine(const TPreviewItem& item);

// section TAB forecast (": " Now) TAB item: the window's row, the item last
// so that a long path runs on to the right without hiding the forecast.
std::string FormatPreviewRow(const TPreviewItem& item);

// The closing lines: how many items each forecast has, those with none left out.
std::vector<std::string> FormatPreviewSummary(const std::vector<TPreviewItem>& items);
