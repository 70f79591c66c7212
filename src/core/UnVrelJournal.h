// The journal of the steps that a run must not make twice: in "SharedFiles",
// a use count lowered, an answer given about a shared file, a count released.
// A run that is ended part way (power cut, a process ended, a deployment
// tool's time-out) leaves it beside the log, and the next run of the same
// log content reads which of those steps are done.
//
// Text form: a head naming the log's content, then one record per line, each
// line "<16 hex digits> <body>\n" where the digits are the start of the
// SHA-256 of the body, so a torn or damaged line proves nothing. Each record
// is written (through to the disk) right before its step is made: a record
// torn by the end of the run names a step that was never begun. Pure text;
// the file is the program's (app/UnVrelJournal.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

// The log's content as the journal names it.
struct TLogContent {
    std::uint64_t Size = 0;
    std::string Sha256;  // 64 lower-case hexadecimal digits
};

bool operator==(const TLogContent& one, const TLogContent& other);

// The size and SHA-256 of the log's bytes.
TLogContent DescribeLogContent(std::string_view bytes);

// A step of "SharedFiles" that must not be made twice.
enum class TJournalStep {
    Lowered,   // the use count was lowered by one (the file stays)
    Answered,  // the question about a shared file was answered
    Released,  // the count of a file nobody uses any more was deleted (the file may go)
};

// An answer about a shared file: the user's, or the unattended run's
// (/DELSHARED gives YesToAll, its absence NoToAll).
enum class TSharedAnswer { Yes, No, YesToAll, NoToAll };

struct TJournalRecord {
    TJournalStep Step = TJournalStep::Lowered;
    std::size_t Line = 0;      // the line's place in the section, from 0
    std::string Path;          // the shared file as the line names it
    std::int32_t Count = 0;    // Lowered, Released: the count before the step
    TSharedAnswer Answer = TSharedAnswer::No;  // Answered
};

// The head line of a journal for the log's content, with its line end.
std::string FormatJournalHead(const TLogContent& log);

// The record's line, with its line end. Bytes of the path below 32, 127 and
// "%" are written as "%XX"; every other byte (0x80 and above too) as it is.
std::string FormatJournalRecord(const TJournalRecord& record);

// What a journal's text proves about runs of one log content.
class TJournalSteps {
public:
    // Reads the text: when its first line is an intact head naming log, every
    // intact record counts, however often it stands there; a line that is
    // damaged, torn or not a record proves nothing. Another content, or a
    // head that is missing or damaged: nothing counts.
    static TJournalSteps Read(std::string_view text, const TLogContent& log);

    // True when the text was a journal of this log content: new records
    // are appended to it; otherwise a new journal replaces it.
    bool IsForLog() const { return forLog_; }

    // True when the text ends inside a line: the next record must start on a
    // line of its own.
    bool EndsInsideLine() const { return endsInsideLine_; }

    // True when a record names the step for that line of the section and
    // that path (compared byte for byte).
    bool Has(TJournalStep step, std::size_t line, const std::string& path) const;

    // The answer recorded for that line and path, if any (the last one
    // when the text holds several).
    std::optional<TSharedAnswer> AnswerFor(std::size_t line, const std::string& path) const;

    // How many distinct steps are recorded.
    std::size_t Size() const { return steps_.size(); }

private:
    using TKey = std::tuple<TJournalStep, std::size_t, std::string>;

    void Add(const TJournalRecord& record);

    bool forLog_ = false;
    bool endsInsideLine_ = false;
    std::set<TKey> steps_;
    std::map<std::pair<std::size_t, std::string>, TSharedAnswer> answers_;
};

// The record that a line of the text holds (without its line end), if it is
// intact; nothing for a head, a damaged line or anything else.
std::optional<TJournalRecord> ParseJournalRecord(std::string_view line);

// The log content that a head line (without its line end) names, if intact.
std::optional<TLogContent> ParseJournalHead(std::string_view line);
