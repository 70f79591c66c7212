// The preview's words and lines.
#include "core/UnVrelPreviewText.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "core/epStrUtils.h"

namespace {

constexpr TForecast kAllForecasts[] = {TForecast::Remove, TForecast::Nothing, TForecast::Restart,
                                       TForecast::Keep,   TForecast::Ask,     TForecast::Refuse,
                                       TForecast::Fail,   TForecast::Run,     TForecast::Skip};

constexpr std::size_t kForecastKinds = sizeof(kAllForecasts) / sizeof(kAllForecasts[0]);

}  // namespace

const char* ForecastText(TForecast forecast) {
    switch (forecast) {
        case TForecast::Remove: return "would be removed";
        case TForecast::Nothing: return "nothing to do";
        case TForecast::Restart: return "at the next restart";
        case TForecast::Keep: return "stays";
        case TForecast::Ask: return "the user is asked";
        case TForecast::Refuse: return "refused";
        case TForecast::Fail: return "would stay";
        case TForecast::Run: return "would run";
        case TForecast::Skip: return "passed over";
    }
    return "unknown";
}

bool ForecastOutcome(TForecast forecast, TOutcome& outcome) {
    switch (forecast) {
        case TForecast::Remove: outcome = TOutcome::Removed; return true;
        case TForecast::Nothing: outcome = TOutcome::Absent; return true;
        case TForecast::Restart: outcome = TOutcome::Scheduled; return true;
        case TForecast::Keep: outcome = TOutcome::Kept; return true;
        case TForecast::Refuse: outcome = TOutcome::Refused; return true;
        case TForecast::Fail: outcome = TOutcome::Failed; return true;
        default: return false;
    }
}

namespace {

std::string ForecastWithNow(const TPreviewItem& item) {
    std::string text = ForecastText(item.Forecast);
    if (!item.Now.empty()) text += ": " + OneField(item.Now);
    return text;
}

}  // namespace

std::string FormatPreviewLine(const TPreviewItem& item) {
    return OneField(item.Section) + "\t" + OneField(item.Item) + "\t" + ForecastWithNow(item);
}

std::string FormatPreviewRow(const TPreviewItem& item) {
    return OneField(item.Section) + "\t" + ForecastWithNow(item) + "\t" + OneField(item.Item);
}

std::vector<std::string> FormatPreviewSummary(const std::vector<TPreviewItem>& items) {
    std::array<int, kForecastKinds> counts{};
    for (const TPreviewItem& item : items) ++counts[static_cast<std::size_t>(item.Forecast)];
    std::vector<std::string> lines;
    for (const TForecast forecast : kAllForecasts) {
        const int count = counts[static_cast<std::size_t>(forecast)];
        if (count > 0) lines.push_back(std::string(ForecastText(forecast)) + ": " + std::to_string(count));
    }
    return lines;
}
