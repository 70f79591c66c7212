// The preview's option, lines and summary.
#include "core/UnVrelPreviewText.h"

#include <gtest/gtest.h>

#include "core/UnVrelOptions.h"

namespace {

TEST(PreviewText, OptionLinesAndSummary) {
    EXPECT_TRUE(ParseRunOptions("UnVrel.exe C:\\a.log -Preview").Preview);
    EXPECT_TRUE(ParseRunOptions("UnVrel.exe C:\\a.log /S /PREVIEW /LOG=r.txt").Unknown.empty());
    EXPECT_FALSE(ParseRunOptions("UnVrel.exe C:\\a.log /S").Preview);
    EXPECT_EQ(ParseRunOptions("UnVrel.exe C:\\a.log /PREVIEW=1").Unknown,
              std::vector<std::string>{"/PREVIEW=1"});

    // A field can never break the line or shift the fields after it.
    EXPECT_EQ(FormatPreviewLine({"CopyFiles", "C:\\a\tb.txt\r\n", TForecast::Restart, "in use"}),
              "CopyFiles\tC:\\a b.txt  \tat the next restart: in use");
    EXPECT_EQ(FormatPreviewLine({"RunApp", "C:\\bye.exe", TForecast::Run, ""}),
              "RunApp\tC:\\bye.exe\twould run");
    // The window shows the item last, where a long path may run on.
    EXPECT_EQ(FormatPreviewRow({"CreateDirs", "C:\\App", TForecast::Fail, "not empty"}),
              "CreateDirs\twould stay: not empty\tC:\\App");

    const std::vector<TPreviewItem> items{
        {"CopyFiles", "a", TForecast::Remove, ""}, {"CopyFiles", "b", TForecast::Refuse, ""},
        {"CopyFiles", "c", TForecast::Remove, ""}, {"RunApp", "d", TForecast::Run, ""},
        {"SharedFiles", "e", TForecast::Done, ""}};
    EXPECT_EQ(FormatPreviewSummary(items),
              (std::vector<std::string>{"would be removed: 2", "refused: 1", "would run: 1",
                                        "already done by an earlier run: 1"}));

    // What a run would record, for the forecasts that are outcomes.
    TOutcome outcome = TOutcome::Removed;
    EXPECT_TRUE(ForecastOutcome(TForecast::Restart, outcome));
    EXPECT_EQ(outcome, TOutcome::Scheduled);
    EXPECT_TRUE(ForecastOutcome(TForecast::Fail, outcome));
    EXPECT_EQ(outcome, TOutcome::Failed);
    EXPECT_TRUE(ForecastOutcome(TForecast::Done, outcome));
    EXPECT_EQ(outcome, TOutcome::Absent);
    EXPECT_FALSE(ForecastOutcome(TForecast::Ask, outcome));
    EXPECT_FALSE(ForecastOutcome(TForecast::Run, outcome));
}

}  // namespace
