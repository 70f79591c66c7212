// The uninstaller removes itself. A running program cannot delete its own
// file, so when the program's executable lies where the log removes things
// (named in "CopyFiles", or inside a folder of "CreateDirs"), the run is done
// by a copy of the program in a new private temporary folder:
//
//   first process: RunFromTemporaryCopy copies the program, starts the copy
//     with the same arguments plus the internal option naming itself, and
//     waits; Finish then gives the copy's exit code as its own.
//   copy: Prepare takes the internal option; the run goes on as a
//     direct run would, except that the "CopyFiles" and "CreateDirs" handlers
//     leave the original executable and the folders it keeps for later
//     (ClaimOwnExecutable, DeferDirectoryRemoval); LeaveCopyFolder moves the
//     copy's own file out of its folder and removes the folder; Finish tells
//     the first process the exit code, waits for it to end and deletes what
//     was left for later.
//
// The copy's file cannot be swapped: the first process writes it, then holds
// it open so that no one can write, rename or delete it, and hands that
// handle down to the copy. The system deletes the file when that last handle
// closes, at the copy's end: nothing is left for the next restart. Only when
// the system refuses this are the copy and its folder scheduled for deletion
// at the next restart, and the report says so. When the run is elevated, the
// copy's folder admits only administrators and the system.
//
// A program started anywhere else sees none of this: every call below is
// then a no-op, and Finish returns the code it is given.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/UnVrelOptions.h"

class TReport;

class TSelfCopy {
public:
    TSelfCopy();
    ~TSelfCopy();
    TSelfCopy(const TSelfCopy&) = delete;
    TSelfCopy& operator=(const TSelfCopy&) = delete;

    // At start-up, before the current directory changes: notes that
    // directory, where a copy starts too (so that relative paths among the
    // arguments mean the same to it). Honours the internal option when the
    // process it names is really this process's parent and this program runs
    // from a copy folder of the user's temporary folder; otherwise the option
    // counts as unknown (it moves to options.Unknown, as written). Only the
    // last such option can be the first process's own: any before it is
    // unknown as well.
    void Prepare(TRunOptions& options);

    // True in a copy whose internal option Prepare honoured.
    bool IsTemporaryCopy() const;

    // In such a copy, the id of its first process; 0 elsewhere.
    unsigned long FirstProcessId() const;

    // In a first process whose executable lies where the log at logPath
    // removes things: makes the copy, starts it and waits until it signals
    // its exit code or ends. True when the copy took the run over; false when
    // nothing of this is needed, or it cannot be set up (the run then goes on
    // here, as always).
    bool RunFromTemporaryCopy(const std::string& logPath);

    // For the "CopyFiles" handler: true when path, a file it is about to
    // delete, is the first process's executable (in a copy only). The file is
    // then deleted after the run, once the first process has ended: count it
    // removed.
    bool ClaimOwnExecutable(const std::string& path);

    // For the "CreateDirs" handler, when a directory could not be removed:
    // true when it holds nothing but the claimed executable and directories
    // put off before. It is then removed after the run, right after the
    // executable, in the order of the calls: count it removed.
    bool DeferDirectoryRemoval(const std::string& dir);

    // In a copy, after the run and before the report is closed: moves the
    // copy's held file beside its folder in the temporary folder (the system
    // deletes it when the process ends) and removes the folder; when the
    // system refuses, schedules the copy and its folder for the next restart
    // and notes it in the report. Elsewhere: nothing.
    void LeaveCopyFolder(TReport& report);

    // The last step of the process; returns the process exit code. In a first
    // process whose copy took the run over: the copy's code (exitCode is not
    // used). In a copy: tells the first process exitCode, waits for it to end,
    // deletes the claimed executable and the directories put off, and returns
    // exitCode. Elsewhere: exitCode.
    int Finish(int exitCode);

    struct TFirstProcess;

private:
    // What the copy knows of its first process.
    std::unique_ptr<TFirstProcess> first_;
    bool originalClaimed_ = false;
    std::vector<std::string> deferredDirs_;  // as the log names them, in removal order
    // What the first process knows for its copy, and learns from it.
    // The current directory the program was started in, as the system gave
    // it: only ever handed back to the system.
    std::wstring startDirectory_;
    std::optional<int> copyExitCode_;
};
