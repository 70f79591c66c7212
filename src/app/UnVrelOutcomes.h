// The outcomes of a run: every section handler reports each item it handled
// here, once, and learns nothing back. The counts decide each section's
// status word, the notice about a restart, the report and the unattended
// exit code.
//
// Used by one thread at a time: the worker while it runs, the main thread
// before and after (the unattended run does its work on the main thread).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/UnVrelReport.h"
#include "core/UnVrelOutcomes.h"
#include "core/epDeletion.h"

// The outcome of a deletion attempt: Removed when it succeeded; Absent when
// it failed because the item (or its directory) does not exist or its name
// cannot name one; otherwise Failed. error is GetLastError() read right after
// the attempt.
TOutcome DeletionOutcome(bool deleted, DWORD error);

class TOutcomeRecorder {
public:
    // Opens the report that /LOG asks for (nothing for an empty reportPath).
    // Called once by the body, before anything is touched.
    void Begin(const std::string& reportPath, const std::string& logPath);

    // Starts a section: the outcomes recorded from now on count for its
    // status line and carry its name.
    void BeginSection(const std::string& section);

    // Records what became of one item of the current section. item: the item
    // as the log names it (for a mask, the file it matched). systemError: for
    // a failed item the system's error code (0 when there is none to give).
    void Record(const std::string& item, TOutcome outcome, DWORD systemError = 0);

    // Records an item of the current section that the log asked to remove
    // and that stays because it is not the application's alone (a folder
    // that still holds files the log does not list): kept, with the reason
    // in the report, counted on the status line as not removed, a success
    // for the exit code.
    void RecordStaying(const std::string& item, const std::string& reason);

    // Records the answer of the file-deletion service for the item.
    void RecordDeletion(const std::string& item, const TDeletionResult& result);

    // Ends the current section: the word that ends its status line, "ok" when
    // no item was refused or failed or stays (RecordStaying), else
    // notRemovedFormat (message 24) with their number. The report is made safe on the disk here.
    std::string EndSection(std::string_view notRemovedFormat);

    // True when any item of the run so far waits for the next restart.
    bool AnyScheduled() const;

    // Records how the run as a whole ended, with a detail for the report (the
    // unknown option, the error's message); without a call it counts as
    // completed. The last call wins. Never throws, so error handlers may call it.
    void SetRunEnd(TRunEnd end, const std::string& detail = std::string()) noexcept;

    // The outcomes of the whole run so far.
    const TOutcomeCounts& Counts() const { return runCounts_; }

    // The process exit code: always 0 in an interactive run; in an unattended
    // one the code UnattendedExitCode gives for the run's end and outcomes.
    int ExitCode(bool unattended) const;

    // Writes the report's end and closes it. Called once by the body, last.
    void End(bool unattended);

    // The report itself, for the lines that are no item's outcome (a preview).
    TReport& Report() { return report_; }

private:
    TReport report_;
    std::string section_;
    TOutcomeCounts sectionCounts_;
    TOutcomeCounts runCounts_;
    TRunEnd end_ = TRunEnd::Completed;
    std::string endDetail_;
};
