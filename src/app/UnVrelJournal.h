// The run's journal as a file beside the log: the steps of "SharedFiles"
// that must not be made twice, written through to the disk right before each
// is made, so that a run started again after one that was ended part way
// skips them (core/UnVrelJournal.h has the text and what it proves).
//
// The file is the log's long file name with ".journal" appended, in the
// log's folder: every spelling of the log's path finds the same journal. It
// is the run's own file and goes with the log (DeleteLog, app/UnVrelWorker.h).
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "core/UnVrelJournal.h"
#include "win/epWriteThroughFile.h"

// The journal's path for the log at logPath (made absolute and long while
// the log exists).
std::string JournalPathOf(const std::string& logPath);

class TRunJournal {
public:
    // Fixes the journal's path from the log's; later calls keep the first.
    void Locate(const std::string& logPath);

    // Reads the log's bytes and the journal beside it, once: which steps
    // earlier runs of the same log content made. Writes nothing. A log that
    // cannot be read leaves the journal unusable: nothing counts as done, and
    // Record fails.
    void Load(const std::string& logPath);

    // True when a run of this log content made (or began) the step.
    bool WasDone(TJournalStep step, std::size_t line, const std::string& path) const;

    // The answer an earlier run of this log content was given for the line.
    std::optional<TSharedAnswer> EarlierAnswer(std::size_t line, const std::string& path) const;

    // Writes the record through to the disk. The run's first record starts a
    // new journal when the one found is for another content, damaged, or
    // none. False (GetLastError tells why) when it could not be written.
    bool Record(const TJournalRecord& record);

    // True once a Record of this run has failed.
    bool HasFailed() const { return failed_; }

    // Closes the journal's file; nothing of it stays open for the log's deletion.
    void Close() { file_.Close(); }

    // The journal's path; empty until Locate or Load.
    const std::string& Path() const { return path_; }

private:
    bool OpenForRecords();
    bool Append(const std::string& line);

    std::string path_;
    bool loaded_ = false;
    bool logRead_ = false;
    bool started_ = false;   // this run's records go to the file (its head is written)
    bool lineOpen_ = false;  // the file may end inside a line
    bool failed_ = false;
    TLogContent log_;
    TJournalSteps earlier_;
    TWriteThroughFile file_;
};
