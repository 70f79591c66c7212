// The preview's lines, in the words the caller gives.
#include "core/UnVrelPreviewText.h"

#include <string_view>

#include "core/epStrUtils.h"

namespace {

// The forecast's place in the tables; kForecastKinds for a value that is none
// of TForecast's (a damaged item must not index past them).
std::size_t IndexOf(TForecast forecast) {
    const auto index = static_cast<std::size_t>(forecast);
    return index < kForecastKinds ? index : kForecastKinds;
}

std::string ForecastWithNow(const TPreviewItem& item, const TForecastTexts& texts) {
    std::string text = OneField(ForecastText(item.Forecast, texts));
    if (!item.Now.empty()) text += ": " + OneField(item.Now);
    return text;
}

}  // namespace

const std::string& ForecastText(TForecast forecast, const TForecastTexts& texts) {
    static const std::string kNone;
    const std::size_t index = IndexOf(forecast);
    return index < kForecastKinds ? texts.Words[index] : kNone;
}

bool ForecastOutcome(TForecast forecast, TOutcome& outcome) {
    switch (forecast) {
        case TForecast::Remove: outcome = TOutcome::Removed; return true;
        case TForecast::Nothing: outcome = TOutcome::Absent; return true;
        case TForecast::Done: outcome = TOutcome::Absent; return true;
        case TForecast::Restart: outcome = TOutcome::Scheduled; return true;
        case TForecast::Keep: outcome = TOutcome::Kept; return true;
        case TForecast::Refuse: outcome = TOutcome::Refused; return true;
        case TForecast::Fail: outcome = TOutcome::Failed; return true;
        default: return false;
    }
}

std::string FormatPreviewLine(const TPreviewItem& item, const TForecastTexts& texts) {
    return OneField(item.Section) + "\t" + OneField(item.Item) + "\t" +
           ForecastWithNow(item, texts);
}

TPreviewRow FormatPreviewRow(const TPreviewItem& item, const TForecastTexts& texts) {
    return TPreviewRow{OneField(item.Section), ForecastWithNow(item, texts), OneField(item.Item)};
}

std::vector<std::string> FormatPreviewSummary(const std::vector<TPreviewItem>& items,
                                              const TForecastTexts& texts) {
    std::array<std::size_t, kForecastKinds + 1> counts{};
    for (const TPreviewItem& item : items) ++counts[IndexOf(item.Forecast)];
    std::vector<std::string> lines;
    for (std::size_t index = 0; index < kForecastKinds; ++index) {
        if (counts[index] == 0) continue;
        lines.push_back(OneField(texts.Words[index]) + ": " + std::to_string(counts[index]));
    }
    return lines;
}
