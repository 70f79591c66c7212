// Keeping the installation log as the user confirmed it. From the
// confirmation (before the report is opened) until the run deletes it, the
// program holds the log open for reading and shares it for reading only: no
// other program can rewrite, replace or delete it, so every time the run
// reads the log again it reads the same bytes. Used by the main thread before the worker starts and after
// it has finished, and by the worker in between.
#pragma once

#include <string>

#include "win/handles.h"

class TLogHold {
public:
    // Opens the log at path and keeps it open. When another program already
    // holds the log in a way that excludes this, the run goes on without the
    // hold (Delete still deletes the log at path).
    void Hold(const std::string& path);

    // Closes the log if it is held.
    void Release();

    // Ends the hold and deletes the log (DeleteFileForced); true when deleted.
    bool Delete();

    // True when path names the held log itself, whatever its spelling: a log
    // that the log lists among its own files is deleted through Delete, not
    // put off to the next restart because the hold keeps it in use.
    bool IsHeldLog(const std::string& path) const;

    // True when path has the log's file name, long or as given: the cheap
    // test that every path naming the log passes (a short 8.3 name aside).
    bool HasLogName(const std::string& path) const;

private:
    std::string path_;
    UniqueFile held_;
    // The held log's file name, long and as given: a path with another name
    // cannot be the log, and needs no look at the file system.
    std::string longName_;
    std::string givenName_;
};
