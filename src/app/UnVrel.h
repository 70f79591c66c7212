// The program UnVrel: the services that the body, the main dialog, the worker
// and the section handlers share. The run's state is the run context
// (app/UnVrelRun.h) that each of them is given.
#pragma once

#include <windows.h>

#include <string>

#include "app/UnVrelRun.h"

// The fixed caption of every window and box; never replaced by the log.
extern const char* const kProgramTitle;

// One value of the run's installation log, every "||" turned into a carriage return.
std::string ReadLogString(const TRun& run, const std::string& section, const std::string& key,
                          const std::string& def);

// Message text `id`: the log's "Strings" replacement when the key is present,
// else the string table's default (empty when there is none); "||" → CR.
std::string LoadMessageText(const TRun& run, int id);

// Shows the main dialog (DLG_UNINSTALL), which resumes run.WorkerThread once
// it is ready, until the user closes it; -1 when it cannot be created.
INT_PTR ShowUninstallDialog(TRun& run);

// Appends a line to the status list and selects it (called from the worker).
void AddStatusLine(const TRun& run, const std::string& text);

// Replaces the status list's last line by that line, a blank and word.
void AppendStatus(const TRun& run, const std::string& word);

// The worker thread's routine: the whole removal run of the TRun that
// parameter points to; always returns 1. The unattended run, which has no
// dialog, calls it on the main thread.
DWORD WINAPI UninstallWorker(LPVOID parameter);
