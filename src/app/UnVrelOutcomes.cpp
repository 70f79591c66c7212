// Counting the outcomes of a run, section by section, and handing each to
// the report.
#include "app/UnVrelOutcomes.h"

#include "app/UnVrel.h"
#include "app/UnVrelReport.h"
#include "res/resource.h"

namespace {

std::string CurrentSection;
TOutcomeCounts SectionCounts;
TOutcomeCounts RunCounts;
TRunEnd RunEnd = TRunEnd::Completed;
std::string RunEndDetail;

}  // namespace

void BeginRunOutcomes() { OpenReport(RunOptions.ReportPath, LogPath); }

void BeginSectionOutcomes(const std::string& section) {
    CurrentSection = section;
    SectionCounts.Clear();
}

void RecordOutcome(const std::string& item, TOutcome outcome, DWORD systemError) {
    SectionCounts.Add(outcome);
    RunCounts.Add(outcome);
    ReportItem(CurrentSection, item, outcome, systemError);
}

void RecordStaying(const std::string& item, const std::string& reason) {
    SectionCounts.Add(TOutcome::Kept, true);
    RunCounts.Add(TOutcome::Kept, true);
    ReportItem(CurrentSection, item, TOutcome::Kept, 0, reason);
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

void RecordDeletion(const std::string& item, const TDeletionResult& result) {
    switch (result.Outcome) {
        case TDeletionOutcome::Removed: RecordOutcome(item, TOutcome::Removed); break;
        case TDeletionOutcome::Absent: RecordOutcome(item, TOutcome::Absent); break;
        case TDeletionOutcome::Scheduled: RecordOutcome(item, TOutcome::Scheduled); break;
        case TDeletionOutcome::Failed: RecordOutcome(item, TOutcome::Failed, result.Error); break;
    }
}

std::string EndSectionOutcomes() {
    FlushReport();
    const TOutcomeCounts counts = SectionCounts;
    SectionCounts.Clear();
    CurrentSection.clear();
    if (counts.Staying() == 0) return "ok";
    return SectionStatusWord(counts, LoadMessageText(IDS_NOT_REMOVED));
}

bool AnyItemScheduled() { return RunCounts.Count(TOutcome::Scheduled) > 0; }

void SetRunEnd(TRunEnd end, const std::string& detail) noexcept {
    RunEnd = end;
    try {
        RunEndDetail = detail;
    } catch (...) {
        // Called from error handlers: the end counts even without its detail.
        RunEndDetail.clear();
    }
}

const TOutcomeCounts& RunOutcomeCounts() { return RunCounts; }

int RunExitCode() { return RunOptions.Silent ? UnattendedExitCode(RunEnd, RunCounts) : 0; }

void EndRunOutcomes() { CloseReport(RunEnd, RunEndDetail, RunCounts, RunExitCode()); }
