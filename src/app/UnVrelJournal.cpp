// The journal file beside the log.
#include "app/UnVrelJournal.h"

#include "win/epProtection.h"

namespace {

const char* const kJournalExtension = ".journal";

// A log larger than this is not read a second time for its digest: the run
// goes on without a journal. A journal larger than this was not written by a
// run (a line per shared-file step) and is replaced.
constexpr std::size_t kMaxLogBytes = std::size_t{256} << 20;
constexpr std::size_t kMaxJournalBytes = std::size_t{64} << 20;

}  // namespace

std::string JournalPathOf(const std::string& logPath) {
    return GetFullLongPath(logPath) + kJournalExtension;
}

void TRunJournal::Locate(const std::string& logPath) {
    if (path_.empty()) path_ = JournalPathOf(logPath);
}

void TRunJournal::Load(const std::string& logPath) {
    if (loaded_) return;
    loaded_ = true;
    Locate(logPath);
    const std::optional<std::string> log = ReadWholeFile(logPath, kMaxLogBytes);
    if (!log) return;
    logRead_ = true;
    log_ = DescribeLogContent(*log);
    const std::optional<std::string> journal = ReadWholeFile(path_, kMaxJournalBytes);
    if (journal) earlier_ = TJournalSteps::Read(*journal, log_);
}

bool TRunJournal::WasDone(TJournalStep step, std::size_t line, const std::string& path) const {
    return earlier_.Has(step, line, path);
}

std::optional<TSharedAnswer> TRunJournal::EarlierAnswer(std::size_t line,
                                                        const std::string& path) const {
    return earlier_.AnswerFor(line, path);
}

bool TRunJournal::OpenForRecords() {
    if (file_.IsOpen()) return true;
    if (!logRead_) {
        SetLastError(ERROR_READ_FAULT);
        return false;
    }
    if (started_) return file_.Open(path_, false);
    // Records go on after those of an earlier run of the same content; any
    // other journal is replaced, for it proves nothing about this log.
    const bool append = earlier_.IsForLog();
    if (!file_.Open(path_, !append)) return false;
    lineOpen_ = append && earlier_.EndsInsideLine();
    if (!append && !Append(FormatJournalHead(log_))) {
        const DWORD error = GetLastError();
        file_.Close();
        SetLastError(error);
        return false;
    }
    started_ = true;
    return true;
}

bool TRunJournal::Append(const std::string& line) {
    // After a torn line the next one starts on a line of its own, or both
    // would be lost.
    const bool done = file_.Append(lineOpen_ ? "\n" + line : line);
    lineOpen_ = !done;
    return done;
}

bool TRunJournal::Record(const TJournalRecord& record) {
    if (OpenForRecords() && Append(FormatJournalRecord(record))) return true;
    failed_ = true;
    return false;
}
