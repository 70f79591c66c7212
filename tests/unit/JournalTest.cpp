// The journal of a run's shared-file steps: which steps a journal's text
// proves for a log content, whatever became of its last line.
#include "core/UnVrelJournal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const TLogContent kLog = DescribeLogContent("[SharedFiles]\r\nC:\\a.dll=1\r\n");
const TLogContent kOtherLog = DescribeLogContent("[SharedFiles]\r\nC:\\b.dll=1\r\n");
const TLogContent kResized{kLog.Size + 1, kLog.Sha256};

// A path with what the record must carry unchanged: blanks, a tab, "%",
// bytes of the ANSI code page above 0x7F, and one that looks like an escape.
const std::string kOddPath = "C:\\Progr\xE0mmi\\a %41 b\t100%\x7F\\\xE8\xFF.dll";

TJournalRecord Lowered(std::size_t line, const std::string& path, std::int32_t count = 3) {
    return {TJournalStep::Lowered, line, path, count, TSharedAnswer::No};
}
TJournalRecord Answered(std::size_t line, const std::string& path, TSharedAnswer answer) {
    return {TJournalStep::Answered, line, path, 0, answer};
}
TJournalRecord Released(std::size_t line, const std::string& path) {
    return {TJournalStep::Released, line, path, 1, TSharedAnswer::No};
}

std::string Journal(const TLogContent& log, const std::vector<TJournalRecord>& records) {
    std::string text = FormatJournalHead(log);
    for (const TJournalRecord& record : records) text += FormatJournalRecord(record);
    return text;
}

TEST(Journal, RecordsComeBackAsWritten) {
    const std::vector<TJournalRecord> records = {
        Lowered(0, "C:\\x.dll", 2147483647), Lowered(1, kOddPath, -2147483647 - 1),
        Answered(2, kOddPath, TSharedAnswer::YesToAll), Released(2, kOddPath),
        Answered(3, "C:\\y.dll", TSharedAnswer::No), Answered(4, "", TSharedAnswer::Yes)};
    const TJournalSteps steps = TJournalSteps::Read(Journal(kLog, records), kLog);
    EXPECT_TRUE(steps.IsForLog());
    EXPECT_EQ(steps.Size(), records.size());
    for (const TJournalRecord& record : records) {
        EXPECT_TRUE(steps.Has(record.Step, record.Line, record.Path)) << record.Line;
        if (record.Step == TJournalStep::Answered) {
            EXPECT_EQ(steps.AnswerFor(record.Line, record.Path), record.Answer) << record.Line;
        }
    }
    // A step proves itself only for its own line and its own path, byte for byte.
    EXPECT_FALSE(steps.Has(TJournalStep::Lowered, 0, "C:\\X.DLL"));
    EXPECT_FALSE(steps.Has(TJournalStep::Lowered, 2, kOddPath));
    EXPECT_FALSE(steps.Has(TJournalStep::Released, 1, kOddPath));
    EXPECT_FALSE(steps.AnswerFor(3, "C:\\x.dll"));
}

TEST(Journal, ProvesOnlyWhatItsIntactLinesSay) {
    const std::string head = FormatJournalHead(kLog);
    const std::string first = FormatJournalRecord(Lowered(0, "C:\\a.dll"));
    const std::string second = FormatJournalRecord(Lowered(1, "C:\\b.dll"));
    std::string flipped = second;
    flipped[flipped.size() - 3] ^= 1;  // a byte of the path
    std::string badHead = head;
    badHead[20] = badHead[20] == '1' ? '2' : '1';
    struct Case {
        const char* what;
        std::string text;
        bool forLog;
        bool endsInsideLine;
        bool firstDone;
        bool secondDone;
    };
    const Case cases[] = {
        {"intact", head + first + second, true, false, true, true},
        {"nothing yet", head, true, false, false, false},
        {"empty file", "", false, false, false, false},
        {"head without its line end", head.substr(0, head.size() - 1), false, true, false, false},
        {"damaged head", badHead + first + second, false, false, false, false},
        {"other content", Journal(kOtherLog, {Lowered(0, "C:\\a.dll")}), false, false, false,
         false},
        {"same digest, other size", Journal(kResized, {Lowered(0, "C:\\a.dll")}), false, false,
         false, false},
        {"records without a head", first + second, false, false, false, false},
        {"last record without its line end", head + first + second.substr(0, second.size() - 1),
         true, true, true, false},
        {"damaged record between intact ones", head + flipped + first, true, false, true, false},
        {"duplicated records", head + first + first + second + first, true, false, true, true},
        {"CR LF line ends", head + first.substr(0, first.size() - 1) + "\r\n", true, false, false,
         false},
        {"a line of garbage", head + "\xFF\xFE garbage\n" + second, true, false, false, true},
    };
    for (const Case& c : cases) {
        const TJournalSteps steps = TJournalSteps::Read(c.text, kLog);
        EXPECT_EQ(steps.IsForLog(), c.forLog) << c.what;
        EXPECT_EQ(steps.EndsInsideLine(), c.endsInsideLine) << c.what;
        EXPECT_EQ(steps.Has(TJournalStep::Lowered, 0, "C:\\a.dll"), c.firstDone) << c.what;
        EXPECT_EQ(steps.Has(TJournalStep::Lowered, 1, "C:\\b.dll"), c.secondDone) << c.what;
    }
    EXPECT_EQ(TJournalSteps::Read(head + first + first, kLog).Size(), 1u);
}

// Lines whose checksum is right but whose fields are not a record: written
// by no run of ours, they prove nothing.
TEST(Journal, RefusesMalformedRecordsEvenWhenSealed) {
    const std::vector<std::string> bodies = {
        "lowered 0 3",           "lowered 00 3 C:\\a",   "lowered -1 3 C:\\a",
        "lowered 0 03 C:\\a",    "lowered 0 2147483648 C:\\a", "lowered 0 -0 C:\\a",
        "lowered 0 -2147483649 C:\\a", "answered 0 maybe C:\\a", "answered 0 3 C:\\a",
        "removed 0 3 C:\\a",     "lowered 0 3 C:\\%4",   "lowered 0 3 C:\\%g1",
        "lowered 0 3 C:\\\x01",  "lowered 0 3 C:\\%41",
        "journal 1 5 " + kLog.Sha256,
    };
    for (const std::string& body : bodies) {
        // Sealed as a run seals its lines: the first 16 digits of the body's SHA-256.
        const std::string line = DescribeLogContent(body).Sha256.substr(0, 16) + " " + body;
        EXPECT_FALSE(ParseJournalRecord(line)) << body;
    }
    // The same form with an intact body is a record: the checks above are the fields'.
    const std::string good = "lowered 0 3 C:\\%09%25";
    const std::optional<TJournalRecord> record =
        ParseJournalRecord(DescribeLogContent(good).Sha256.substr(0, 16) + " " + good);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Path, "C:\\\t%");
}

}  // namespace
