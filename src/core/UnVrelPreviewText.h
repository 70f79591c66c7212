// What a preview (/PREVIEW) foresees for each item of a log, and the lines in
// which it shows that: the preview window's list and the report's lines.
// Pure text: the machine is looked at by the program (app/UnVrelPreview.h).
#pragma once

#include <array>
#include <cstddef>
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
    Done,     // already done by an earlier run that was cut short
};

// How many kinds of forecast there are: one text each.
constexpr std::size_t kForecastKinds = static_cast<std::size_t>(TForecast::Done) + 1;

// The words of each forecast, in the order of TForecast. The program takes
// them from its message texts, so a log's "Strings" can replace them.
struct TForecastTexts {
    std::array<std::string, kForecastKinds> Words;
};

// One item of the preview, in the order a run would take it.
struct TPreviewItem {
    std::string Section;  // as the log names it
    std::string Item;     // as the log names it; for a mask, each file it matches now
    TForecast Forecast = TForecast::Nothing;
    std::string Now;      // what is there now, in a few words ("present", "count 3")
};

// The forecast's words among texts; empty for a value outside TForecast.
const std::string& ForecastText(TForecast forecast, const TForecastTexts& texts);

// The outcome a run would record for the forecast: Remove is Removed,
// Nothing and Done Absent, Restart Scheduled, Keep Kept, Refuse Refused, Fail Failed; false for
// the forecasts that are no outcome of an item (Ask, Run, Skip).
bool ForecastOutcome(TForecast forecast, TOutcome& outcome);

// section TAB item TAB forecast, and ": " and Now when Now is not empty: the
// report's line. Tabs and control bytes inside the fields become blanks.
std::string FormatPreviewLine(const TPreviewItem& item, const TForecastTexts& texts);

// The window's row, one text per column: the section, the forecast (": "
// Now), the item last so that a long path runs on to the right without
// hiding the forecast. Control bytes inside the fields become blanks.
struct TPreviewRow {
    std::string Section;
    std::string Forecast;
    std::string Item;
};
TPreviewRow FormatPreviewRow(const TPreviewItem& item, const TForecastTexts& texts);

// The closing lines, "forecast: count", in the order of TForecast; the
// forecasts that no item has are left out, and so is an item whose forecast
// is outside TForecast.
std::vector<std::string> FormatPreviewSummary(const std::vector<TPreviewItem>& items,
                                              const TForecastTexts& texts);
