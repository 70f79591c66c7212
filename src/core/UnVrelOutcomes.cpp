// Outcome counting, the unattended exit code and the status word.
#include "core/UnVrelOutcomes.h"

#include "core/UnVrelCommandLine.h"

namespace {

std::size_t IndexOf(TOutcome outcome) { return static_cast<std::size_t>(outcome); }

}  // namespace

const char* OutcomeName(TOutcome outcome) {
    switch (outcome) {
        case TOutcome::Removed: return "removed";
        case TOutcome::Absent: return "absent";
        case TOutcome::Scheduled: return "scheduled";
        case TOutcome::Kept: return "kept";
        case TOutcome::Refused: return "refused";
        case TOutcome::Failed: return "failed";
    }
    return "unknown";
}

const char* RunEndName(TRunEnd end) {
    switch (end) {
        case TRunEnd::Completed: return "completed";
        case TRunEnd::Cancelled: return "cancelled";
        case TRunEnd::InvalidOption: return "unknown option";
        case TRunEnd::LogUnreadable: return "log missing or unreadable";
        case TRunEnd::StoppedByPreRun: return "stopped by a program run first";
        case TRunEnd::Aborted: return "aborted";
        case TRunEnd::AnotherRunActive: return "another run of the log in progress";
        case TRunEnd::Previewed: return "preview: nothing was changed";
    }
    return "unknown";
}

void TOutcomeCounts::Add(TOutcome outcome, bool stays) {
    if (IndexOf(outcome) >= kOutcomeKinds) return;
    ++counts_[IndexOf(outcome)];
    if (stays && outcome == TOutcome::Kept) ++keptStaying_;
}

int TOutcomeCounts::Count(TOutcome outcome) const {
    return IndexOf(outcome) < kOutcomeKinds ? counts_[IndexOf(outcome)] : 0;
}

int TOutcomeCounts::NotRemoved() const {
    return Count(TOutcome::Refused) + Count(TOutcome::Failed);
}

int TOutcomeCounts::Staying() const { return NotRemoved() + keptStaying_; }

int TOutcomeCounts::Total() const {
    int total = 0;
    for (const int count : counts_) total += count;
    return total;
}

void TOutcomeCounts::Clear() {
    counts_.fill(0);
    keptStaying_ = 0;
}

int UnattendedExitCode(TRunEnd end, const TOutcomeCounts& counts) {
    switch (end) {
        case TRunEnd::InvalidOption: return kExitInvalidParameter;
        case TRunEnd::LogUnreadable: return kExitLogUnreadable;
        case TRunEnd::StoppedByPreRun:
        case TRunEnd::Cancelled: return kExitUserStopped;
        case TRunEnd::Aborted: return kExitFailure;
        case TRunEnd::AnotherRunActive: return kExitAnotherRunActive;
        case TRunEnd::Previewed: return kExitSuccess;
        case TRunEnd::Completed: break;
    }
    if (counts.NotRemoved() > 0) return kExitFailure;
    if (counts.Count(TOutcome::Scheduled) > 0) return kExitRestartNeeded;
    return kExitSuccess;
}

std::string SectionStatusWord(const TOutcomeCounts& section, std::string_view notRemovedFormat) {
    if (section.Staying() == 0) return "ok";
    return FormatWithOneNumber(notRemovedFormat, section.Staying());
}

std::string FormatWithOneNumber(std::string_view format, int number) {
    return FormatWithOneArgument(format, 'd', std::to_string(number));
}
