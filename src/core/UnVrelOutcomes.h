// What became of each item a run handled, the counts, the exit code of an
// unattended run, and the text that ends a section's status line.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The outcome of one item (a file, a registry entry, an INI entry, a server,
// a font, a shared file, a directory).
enum class TOutcome {
    Removed,    // it was there and is gone
    Absent,     // nothing to do: it was not there
    Scheduled,  // it is deleted when the system next starts
    Kept,       // it stays on purpose: a shared file still counted, the user's answer,
                // or a folder that still holds what the log does not list
    Refused,    // it stays because the safety rules forbid touching it
    Failed,     // it stays because the system refused; the error says why
};

constexpr std::size_t kOutcomeKinds = 6;

// The word the report uses for an outcome: "removed", "absent", "scheduled",
// "kept", "refused", "failed".
const char* OutcomeName(TOutcome outcome);

// How many items ended with each outcome.
class TOutcomeCounts {
public:
    // Counts the outcome. stays: a kept item that the log asked to remove
    // and that stays because it is not the application's alone (a folder
    // still holding files the log does not list): a section's status line
    // counts it with the items not removed, the exit code does not.
    void Add(TOutcome outcome, bool stays = false);
    int Count(TOutcome outcome) const;
    // Refused and failed items together: those that should have gone and did not.
    int NotRemoved() const;
    // What a section's status line counts: NotRemoved and the kept items that stay.
    int Staying() const;
    // Every item counted.
    int Total() const;
    void Clear();

private:
    std::array<int, kOutcomeKinds> counts_{};
    int keptStaying_ = 0;
};

// How the run as a whole ended, beside the outcomes of its items.
enum class TRunEnd {
    Completed,        // every phase ran (items may still have failed)
    Cancelled,        // the user answered No to the confirmation; nothing was touched
    InvalidOption,    // an unattended run met an unknown option; nothing was touched
    LogUnreadable,    // the log is missing or cannot be read; nothing was touched
    StoppedByPreRun,  // a program to run first failed; nothing was removed
    Aborted,          // an error ended the run part way
    AnotherRunActive, // another run of the same log was going on; this one did nothing
    Previewed,        // a preview (/PREVIEW): nothing was changed or started
};

// How the report names a run's end: "completed", "cancelled", "unknown
// option", "log missing or unreadable", "stopped by a program run first",
// "aborted", "another run of the log in progress", "preview: nothing was
// changed".
const char* RunEndName(TRunEnd end);

// The exit codes of an unattended run, as the system's own installer service
// uses them, so that deployment tools read them without a table of ours.
constexpr int kExitSuccess = 0;
constexpr int kExitInvalidParameter = 87;
constexpr int kExitFailure = 1603;
constexpr int kExitUserStopped = 1602;
constexpr int kExitLogUnreadable = 1619;
constexpr int kExitRestartNeeded = 3010;
constexpr int kExitAnotherRunActive = 1618;

// The exit code of an unattended run: 87, 1619, 1602, 1618 by the way it ended
// (a cancelled run, which an unattended one never is, counts as stopped);
// 0 for a preview; otherwise 1603 when it was aborted or any item was refused or failed, 3010
// when any item waits for the next restart, else 0.
int UnattendedExitCode(TRunEnd end, const TOutcomeCounts& counts);

// The status word that ends a section's line: "ok" when no item stays
// (Staying), else notRemovedFormat (message 24) with its first "%d" replaced
// by that number. See FormatWithOneNumber.
std::string SectionStatusWord(const TOutcomeCounts& section, std::string_view notRemovedFormat);

// The format with its first "%d" replaced by the number and every "%%" by
// "%". Every other "%" sequence, and any "%d" after the first, stays as it
// stands: a replaced message text can never read past its one number.
std::string FormatWithOneNumber(std::string_view format, int number);
