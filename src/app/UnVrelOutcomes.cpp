// Counting the outcomes of a run, section by section.
#include "app/UnVrelOutcomes.h"

#include "app/UnVrel.h"
#include "res/resource.h"

namespace {

std::string CurrentSection;
TOutcomeCounts SectionCounts;
TOutcomeCounts RunCounts;
TRunEnd RunEnd = TRunEnd::Completed;

}  // namespace

void BeginSectionOutcomes(const std::string& section) {
    CurrentSection = section;
    SectionCounts.Clear();
}

void RecordOutcome(const std::string& item, TOutcome outcome, DWORD systemError) {
    (void)item;
    (void)systemError;
    SectionCounts.Add(outcome);
    RunCounts.Add(outcome);
}

TOutcome DeletionOutcome(bool deleted, DWORD error) {
    if (deleted) return TOutcome::Removed;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return TOutcome::Absent;
    return TOutcome::Failed;
}

std::string EndSectionOutcomes() {
    const std::string word = SectionStatusWord(SectionCounts, LoadMessageText(IDS_NOT_REMOVED));
    SectionCounts.Clear();
    CurrentSection.clear();
    return word;
}

bool AnyItemScheduled() { return RunCounts.Count(TOutcome::Scheduled) > 0; }

void SetRunEnd(TRunEnd end) { RunEnd = end; }

const TOutcomeCounts& RunOutcomeCounts() { return RunCounts; }

int RunExitCode() { return RunOptions.Silent ? UnattendedExitCode(RunEnd, RunCounts) : 0; }
