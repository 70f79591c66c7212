// Keeping the installation log as the user confirmed it. From the
// confirmation (before the report is opened) until the run deletes it, the program holds the log open for
// reading and shares it for reading only: no other program can rewrite,
// replace or delete it, so every time the run reads the log again it reads
// the same bytes. Used by the main thread before the worker starts and after
// it has finished, and by the worker in between.
#pragma once

#include <string>

// Opens the log named by LogPath and keeps it open. When another program
// already holds the log in a way that excludes this, the run goes on without
// the hold.
void HoldLog();

// Closes the log if it is held.
void ReleaseLog();

// Ends the hold and deletes the log (DeleteFileForced); true when deleted.
bool DeleteLog();

// True when path names the held log itself, whatever its spelling: a log
// that the log lists among its own files is deleted through DeleteLog, not
// put off to the next restart because the hold keeps it in use.
bool IsHeldLog(const std::string& path);

// True when path has the log's file name, long or as given: the cheap test
// that every path naming the log passes (a short 8.3 name aside).
bool HasLogName(const std::string& path);
