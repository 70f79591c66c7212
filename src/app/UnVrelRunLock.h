// One run per log at a time. A start takes the lock of its log before it
// asks anything; a second start on the same log, however its path is
// spelled, finds the lock taken and stands aside. The lock is named from the
// log's file identity and is a system object, so the system releases it when
// the process ends, crash included, and nothing is written to disk.
//
// Where it lives: every run takes it in the session's namespace, where every
// start of the session looks; an elevated run takes it first in the private
// namespace of the Administrators, which no non-elevated program can reach
// (on a system without private namespaces it has only the session's). A name
// in the session's namespace that no run of this program holds (another
// program created it first) is not obeyed: the run goes on and says so.
#pragma once

#include <string>

#include "win/epAdminNamespace.h"
#include "win/epSharedValues.h"
#include "win/handles.h"

// What TRunLock::Take found.
enum class TRunLockState {
    Held,            // this start holds the lock (or shares its first process's)
    Unguarded,       // the system gives no lock: the run goes on without one, as it always did
    RunGoingOn,      // a run of this program on the same log holds it: stand aside
    HeldByStranger,  // a program that is not a run of this one holds the name: go on, say so
};

// The report's line for a lock name that a stranger holds.
extern const char* const kRunLockHeldByStranger;

class TRunLock {
public:
    // Takes this process's share of the lock of the runs on the log (an
    // existing file), held until this object goes (the end of the process).
    // firstProcessId: in the temporary copy that does the run for its first
    // process, that process's id (0 elsewhere); the copy shares the lock that
    // process took instead of being refused, and from then on a second start
    // finds the copy's windows.
    TRunLockState Take(const std::string& logPath, unsigned long firstProcessId);

    // What Take found; Unguarded before it is called.
    TRunLockState State() const { return state_; }

private:
    TRunLockState state_ = TRunLockState::Unguarded;
    TAdminNamespace namespace_;
    UniqueHandle adminLock_;
    UniqueHandle sessionLock_;
    TSharedValues adminOwner_;
    TSharedValues sessionOwner_;
};

// Brings the window of the run that holds the lock of the log to the front:
// its topmost enabled window (a question or dialog it is asking, else its
// main dialog), restored when minimised. Does nothing when there is none.
void BringRunToFront(const std::string& logPath);
