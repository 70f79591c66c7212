// What became of one file that was to be deleted: the answer of the deletion
// service, and what an account of the run records for each file.
#pragma once

#include <cstdint>

enum class TDeletionOutcome {
    Removed,    // deleted now
    Absent,     // there was no such file
    Scheduled,  // in use: it goes at the next restart
    Failed,     // it stays; Error tells why
};

struct TDeletionResult {
    TDeletionOutcome Outcome = TDeletionOutcome::Failed;
    std::uint32_t Error = 0;  // the system's error code when Failed, else 0
};
