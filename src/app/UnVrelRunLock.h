// One run per log at a time. A start takes the lock of its log before it
// asks anything; a second start on the same log, however its path is
// spelled, finds the lock taken and stands aside. The lock is a named system
// object, so the system releases it when the process ends, crash included,
// and nothing is written to disk.
#pragma once

#include <string>

#include "win/handles.h"

class TRunLock {
public:
    // Takes this process's share of the lock of the runs on the log, held
    // until this object goes (the end of the process). False when another run
    // of the same log holds it: this start must not run. True when the lock
    // is now held, and also when the system gives no lock at all (the run
    // then goes on unguarded, as it always did). joinFirstProcess: this is
    // the temporary copy that does the run for its first process, which holds
    // the lock; the copy shares it instead of being refused, and from now on
    // a second start finds the copy's windows.
    bool Take(const std::string& logPath, bool joinFirstProcess);

private:
    UniqueHandle lock_;
    UniqueHandle ownerRecord_;
};

// Brings the window of the run that holds the lock of the log to the front:
// its topmost enabled window (a question or dialog it is asking, else its
// main dialog), restored when minimised. Does nothing when there is none.
void BringRunToFront(const std::string& logPath);
