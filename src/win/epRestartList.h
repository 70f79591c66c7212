// The system's list of what to do with files at the next restart
// (PendingFileRenameOperations under the Session Manager's key, pairs of a
// source and a target, an empty target meaning deletion). Deployment tools
// read a non-empty list as "a restart is pending", so nothing is added to it
// twice.
#pragma once

#include <string>

// True when the list already deletes path at the next restart (the path as
// MoveFileEx records it: made full, letter case aside).
bool IsDeletionPending(const std::string& path);
