// The preview's option, lines and summary, in the words it is given.
#include "core/UnVrelPreviewText.h"

#include <gtest/gtest.h>

#include "core/UnVrelOptions.h"

namespace {

// Words of our own, none of them the program's defaults: each line must take
// its forecast's words from the texts it is given.
TForecastTexts TestTexts() {
    TForecastTexts texts;
    for (std::size_t index = 0; index < kForecastKinds; ++index)
        texts.Words[index] = "w" + std::to_string(index);
    return texts;
}

TEST(PreviewText, Option) {
    EXPECT_TRUE(ParseRunOptions("UnVrel.exe C:\\a.log -Preview").Preview);
    EXPECT_TRUE(ParseRunOptions("UnVrel.exe C:\\a.log /S /PREVIEW /LOG=r.txt").Unknown.empty());
    EXPECT_FALSE(ParseRunOptions("UnVrel.exe C:\\a.log /S").Preview);
    EXPECT_EQ(ParseRunOptions("UnVrel.exe C:\\a.log /PREVIEW=1").Unknown,
              std::vector<std::string>{"/PREVIEW=1"});
}

TEST(PreviewText, LinesAndRowsInTheGivenWords) {
    TForecastTexts texts = TestTexts();
    texts.Words[static_cast<std::size_t>(TForecast::Restart)] = "al prossimo riavvio";
    // A replaced text with a line break ("||" in the log) must not break the line.
    texts.Words[static_cast<std::size_t>(TForecast::Fail)] = "resterebbe\r(!)";

    struct Case {
        TPreviewItem item;
        std::string line;  // the report's
        TPreviewRow row;   // the window's
    };
    const Case cases[] = {
        // A field can never break the line or shift the fields after it.
        {{"CopyFiles", "C:\\a\tb.txt\r\n", TForecast::Restart, "in use"},
         "CopyFiles\tC:\\a b.txt  \tal prossimo riavvio: in use",
         {"CopyFiles", "al prossimo riavvio: in use", "C:\\a b.txt  "}},
        {{"RunApp", "C:\\bye.exe", TForecast::Run, ""},
         "RunApp\tC:\\bye.exe\tw7",
         {"RunApp", "w7", "C:\\bye.exe"}},
        {{"CreateDirs", "C:\\App", TForecast::Fail, "not\tempty"},
         "CreateDirs\tC:\\App\tresterebbe (!): not empty",
         {"CreateDirs", "resterebbe (!): not empty", "C:\\App"}},
        {{"SharedFiles", "C:\\s.dll", TForecast::Done, ""},
         "SharedFiles\tC:\\s.dll\tw9",
         {"SharedFiles", "w9", "C:\\s.dll"}},
        // A damaged forecast has no words, and reads past no table.
        {{"X", "y", static_cast<TForecast>(200), "z"}, "X\ty\t: z", {"X", ": z", "y"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPreviewLine(c.item, texts), c.line);
        const TPreviewRow row = FormatPreviewRow(c.item, texts);
        EXPECT_EQ(row.Section, c.row.Section);
        EXPECT_EQ(row.Forecast, c.row.Forecast);
        EXPECT_EQ(row.Item, c.row.Item);
    }
}

TEST(PreviewText, SummaryCountsEachForecastInItsOrder) {
    const std::vector<TPreviewItem> items{
        {"RunApp", "d", TForecast::Run, ""},      {"CopyFiles", "a", TForecast::Remove, ""},
        {"CopyFiles", "b", TForecast::Refuse, ""}, {"CopyFiles", "c", TForecast::Remove, ""},
        {"SharedFiles", "e", TForecast::Done, ""}, {"X", "f", static_cast<TForecast>(77), ""}};
    EXPECT_EQ(FormatPreviewSummary(items, TestTexts()),
              (std::vector<std::string>{"w0: 2", "w5: 1", "w7: 1", "w9: 1"}));
    EXPECT_TRUE(FormatPreviewSummary({}, TestTexts()).empty());
}

// What a run would record, for the forecasts that are outcomes: a step an
// earlier run already did is one the run finds absent.
TEST(PreviewText, ForecastsThatAreOutcomes) {
    TOutcome outcome = TOutcome::Removed;
    EXPECT_TRUE(ForecastOutcome(TForecast::Done, outcome));
    EXPECT_EQ(outcome, TOutcome::Absent);
    EXPECT_TRUE(ForecastOutcome(TForecast::Restart, outcome));
    EXPECT_EQ(outcome, TOutcome::Scheduled);
    EXPECT_FALSE(ForecastOutcome(TForecast::Ask, outcome));
    EXPECT_FALSE(ForecastOutcome(TForecast::Run, outcome));
}

}  // namespace
