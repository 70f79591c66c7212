// The run context: everything one start of the program knows and keeps, in
// one object that the body makes and passes to the code that needs it (the
// main dialog through its lParam, the worker through its thread parameter,
// the handlers as their argument).
//
// Written by the main thread until the worker is resumed, then used by the
// worker alone until it enables Close, then by the main thread again: the
// resume and the enabling of Close are the handover.
#pragma once

#include <windows.h>

#include <string>

#include "app/UnVrelJournal.h"
#include "app/UnVrelLeftOnDisk.h"
#include "app/UnVrelLogHold.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelRunLock.h"
#include "app/UnVrelSelfCopy.h"
#include "core/UnVrelOptions.h"
#include "core/UnVrelPlan.h"
#include "core/epIniFile.h"

struct TRun {
    HINSTANCE Instance = nullptr;
    // The installation log as the command line names it (the first argument
    // that is not an option).
    std::string LogPath;
    // The options around the log path; read once at start-up, then only read.
    TRunOptions Options;
    // The main dialog while it is shown; null in an unattended run, whose
    // status lines and progress go nowhere.
    HWND MainDialog = nullptr;
    // The worker, created suspended; the main dialog resumes it once it is ready.
    HANDLE WorkerThread = nullptr;
    TOutcomeRecorder Outcomes;
    TLogHold Log;
    TRunLock Lock;
    TSelfCopy SelfCopy;
    // The files and folders of the log that did not go at once.
    TLeftOnDisk LeftOnDisk;
    // The shared files that stay on the system, as "SharedFiles" leaves them
    // for the later phases.
    TSharedNames KeptSharedFiles;
    // What earlier runs of the log did that must not be done twice, and
    // what this one does.
    TRunJournal Journal;
};
