// The outcomes of a run: every section handler reports each item it handled
// here, once, and learns nothing back. The counts decide each section's
// status word, the notice about a restart and the unattended exit code.
//
// Used by the worker alone while it runs; the main thread reads the exit
// code only after the worker has returned.
#pragma once

#include <windows.h>

#include <string>

#include "core/UnVrelOutcomes.h"

// Starts a section: the outcomes recorded from now on count for its status
// line and carry its name. Called by the handler frame (RunSection) and by
// the SharedFiles handler, which has a frame of its own.
void BeginSectionOutcomes(const std::string& section);

// Records what became of one item of the current section. item: the item as
// the log names it (for a mask, the file it matched). systemError: for a
// failed item the system's error code (0 when there is none to give).
void RecordOutcome(const std::string& item, TOutcome outcome, DWORD systemError = 0);

// The outcome of a deletion attempt: Removed when it succeeded; Absent when
// it failed because the item (or its directory) does not exist; otherwise
// Failed with error. error is GetLastError() read right after the attempt.
TOutcome DeletionOutcome(bool deleted, DWORD error);

// Ends the current section: the word that ends its status line, "ok" when no
// item was refused or failed, else message 24 with their number.
std::string EndSectionOutcomes();

// True when any item of the run so far waits for the next restart.
bool AnyItemScheduled();

// Records how the run as a whole ended; without a call it counts as completed.
void SetRunEnd(TRunEnd end);

// The outcomes of the whole run so far.
const TOutcomeCounts& RunOutcomeCounts();

// The process exit code: always 0 in an interactive run; in an unattended
// one (/S) the code UnattendedExitCode gives for the run's end and outcomes.
int RunExitCode();
