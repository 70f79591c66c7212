// Counting the outcomes of a run, section by section, and handing each to
// the report.
#include "app/UnVrelOutcomes.h"

void TOutcomeRecorder::Begin(const std::string& reportPath, const std::string& logPath) {
    report_.Open(reportPath, logPath);
}

void TOutcomeRecorder::BeginSection(const std::string& section) {
    section_ = section;
    sectionCounts_.Clear();
}

void TOutcomeRecorder::Record(const std::string& item, TOutcome outcome, DWORD systemError) {
    sectionCounts_.Add(outcome);
    runCounts_.Add(outcome);
    report_.Item(section_, item, outcome, systemError);
}

void TOutcomeRecorder::RecordStaying(const std::string& item, const std::string& reason) {
    sectionCounts_.Add(TOutcome::Kept, true);
    runCounts_.Add(TOutcome::Kept, true);
    report_.Item(section_, item, TOutcome::Kept, 0, reason);
}

TOutcome DeletionOutcome(bool deleted, DWORD error) {
    if (deleted) return TOutcome::Removed;
    // A name the file system refuses (a wildcard in a plain path) cannot be
    // there either.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME)
        return TOutcome::Absent;
    return TOutcome::Failed;
}

void TOutcomeRecorder::RecordDeletion(const std::string& item, const TDeletionResult& result) {
    switch (result.Outcome) {
        case TDeletionOutcome::Removed: Record(item, TOutcome::Removed); break;
        case TDeletionOutcome::Absent: Record(item, TOutcome::Absent); break;
        case TDeletionOutcome::Scheduled: Record(item, TOutcome::Scheduled); break;
        case TDeletionOutcome::Failed: Record(item, TOutcome::Failed, result.Error); break;
    }
}

std::string TOutcomeRecorder::EndSection(std::string_view notRemovedFormat) {
    report_.Flush();
    const TOutcomeCounts counts = sectionCounts_;
    sectionCounts_.Clear();
    section_.clear();
    if (counts.Staying() == 0) return "ok";
    return SectionStatusWord(counts, notRemovedFormat);
}

bool TOutcomeRecorder::AnyScheduled() const { return runCounts_.Count(TOutcome::Scheduled) > 0; }

void TOutcomeRecorder::SetRunEnd(TRunEnd end, const std::string& detail) noexcept {
    end_ = end;
    try {
        endDetail_ = detail;
    } catch (...) {
        // Called from error handlers: the end counts even without its detail.
        endDetail_.clear();
    }
}

int TOutcomeRecorder::ExitCode(bool unattended) const {
    return unattended ? UnattendedExitCode(end_, runCounts_) : 0;
}

void TOutcomeRecorder::End(bool unattended) {
    report_.Close(end_, endDetail_, runCounts_, ExitCode(unattended));
}
