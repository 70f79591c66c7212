// Outcome counting, the unattended exit code, the status word and the
// report's lines.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/UnVrelOutcomes.h"
#include "core/UnVrelReportText.h"

namespace {

TOutcomeCounts CountsOf(std::initializer_list<TOutcome> outcomes) {
    TOutcomeCounts counts;
    for (const TOutcome outcome : outcomes) counts.Add(outcome);
    return counts;
}

using O = TOutcome;

struct ExitCase {
    TRunEnd end;
    std::initializer_list<TOutcome> outcomes;
    int exitCode;
};

TEST(Outcomes, UnattendedExitCodeTellsTheWorstThatHappened) {
    const ExitCase cases[] = {
        {TRunEnd::Completed, {}, 0},
        {TRunEnd::Completed, {O::Removed, O::Absent, O::Kept}, 0},
        {TRunEnd::Completed, {O::Removed, O::Scheduled}, 3010},
        {TRunEnd::Completed, {O::Scheduled, O::Failed}, 1603},
        {TRunEnd::Completed, {O::Refused, O::Removed}, 1603},
        {TRunEnd::Aborted, {O::Removed}, 1603},
        {TRunEnd::StoppedByPreRun, {}, 1602},
        {TRunEnd::Cancelled, {}, 1602},
        {TRunEnd::LogUnreadable, {}, 1619},
        {TRunEnd::InvalidOption, {}, 87},
        {TRunEnd::AnotherRunActive, {}, 1618},
    };
    for (const ExitCase& c : cases) {
        EXPECT_EQ(UnattendedExitCode(c.end, CountsOf(c.outcomes)), c.exitCode)
            << RunEndName(c.end) << " with " << c.outcomes.size() << " outcomes";
    }
}

TEST(Outcomes, CountsKeepEachKindApart) {
    TOutcomeCounts counts = CountsOf({O::Removed, O::Removed, O::Failed, O::Refused, O::Kept});
    EXPECT_EQ(counts.Count(O::Removed), 2);
    EXPECT_EQ(counts.Count(O::Absent), 0);
    EXPECT_EQ(counts.NotRemoved(), 2);
    EXPECT_EQ(counts.Total(), 5);
    counts.Clear();
    EXPECT_EQ(counts.Total(), 0);
}

TEST(Outcomes, StatusWordIsOkUnlessItemsStayed) {
    const char* kDefault = "elementi non rimossi: %d";
    EXPECT_EQ(SectionStatusWord(CountsOf({O::Removed, O::Absent, O::Scheduled, O::Kept}), kDefault),
              "ok");
    EXPECT_EQ(SectionStatusWord(CountsOf({O::Failed, O::Refused, O::Removed}), kDefault),
              "elementi non rimossi: 2");
    // A folder that stays for others' files is told on the line, yet the
    // unattended run still succeeds.
    TOutcomeCounts folders = CountsOf({O::Kept, O::Failed});
    folders.Add(O::Kept, true);
    EXPECT_EQ(SectionStatusWord(folders, kDefault), "elementi non rimossi: 2");
    folders.Clear();
    folders.Add(O::Kept, true);
    EXPECT_EQ(SectionStatusWord(folders, kDefault), "elementi non rimossi: 1");
    EXPECT_EQ(UnattendedExitCode(TRunEnd::Completed, folders), 0);
}

TEST(Outcomes, NumberFormatTakesOneNumberAndNothingElse) {
    const struct {
        const char* format;
        const char* text;
    } cases[] = {
        {"elementi non rimossi: %d", "elementi non rimossi: 7"},
        {"%d%% non rimossi", "7% non rimossi"},
        // Only the first %d is replaced; no other conversion reads anything.
        {"%d e %d", "7 e %d"},
        {"%s %x %n %d", "%s %x %n 7"},
        {"nessun numero", "nessun numero"},
        {"fine %", "fine %"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatWithOneNumber(c.format, 7), c.text) << c.format;
}

TEST(ReportText, LinesHoldTheirFieldsAndNothingMore) {
    const TReportTime start{2024, 3, 9, 8, 5, 1};
    EXPECT_EQ(FormatReportHead("1.0.0.0", "C:\\App\\uninst.log", start),
              (std::vector<std::string>{"Tamsk Uninstaller 1.0.0.0 - removal report",
                                        "Log: C:\\App\\uninst.log", "Start: 2024-03-09 08:05:01"}));
    EXPECT_EQ(FormatReportItem("CopyFiles", "C:\\App\\a.dll", O::Removed, 0, ""),
              "CopyFiles\tC:\\App\\a.dll\tremoved");
    // A failure carries its error; a field never breaks the line or shifts the fields.
    EXPECT_EQ(FormatReportItem("CreateDirs", "C:\\App", O::Failed, 145,
                               "The directory is not empty.\r\n"),
              "CreateDirs\tC:\\App\tfailed\t145\tThe directory is not empty.");
    EXPECT_EQ(FormatReportItem("AddIni", "a\tb\nc", O::Absent, 2, "ignored"),
              "AddIni\ta b c\tabsent");
    EXPECT_EQ(FormatReportItem("CreateDirs", "C:\\App", O::Kept, 145,
                               "holds files the log does not list"),
              "CreateDirs\tC:\\App\tkept\tholds files the log does not list");

    const std::vector<std::string> end = FormatReportEnd(
        {2024, 3, 9, 8, 6, 0}, TRunEnd::InvalidOption, "/Q", CountsOf({O::Removed, O::Failed}), 87);
    EXPECT_EQ(end,
              (std::vector<std::string>{"End: 2024-03-09 08:06:00", "Result: unknown option: /Q",
                                        "removed: 1", "absent: 0", "scheduled: 0", "kept: 0",
                                        "refused: 0", "failed: 1", "Exit code: 87"}));
}

}  // namespace
