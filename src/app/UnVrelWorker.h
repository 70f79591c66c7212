// Services of the worker run that the section handlers share.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/UnVrelRun.h"

struct TSectionPlan;

// The lines of that section of the run's log, in file order.
TStringList LoadLogSection(const TRun& run, const std::string& section);

// Deletes the held log (TLogHold::Delete) and, once the log is gone, its
// journal, which must neither outlive it nor keep its folder. While the log
// stays, so does the journal, for the run that will follow. True when the
// log was deleted now; GetLastError tells why it was not.
bool DeleteLog(TRun& run);

// Advances the progress bar by one step.
void StepProgress(const TRun& run);

// Runs a phase's handler, then advances the progress bar.
void RunPhase(TRun& run, void (*handler)(TRun&));

// The frame every section handler shares: plans the section (app/UnVrelPlan.h);
// for a missing or empty section nothing else happens; otherwise one status
// line with the message, the handler's own steps over the plan's items (each
// item's outcome recorded), then " ok", or the count of the items that stayed.
void RunSection(TRun& run, const char* section, int message,
                void (*steps)(TRun&, const TSectionPlan& plan));

// Starts a program through the shell and waits for it, handling this
// thread's messages meanwhile; the main dialog, if any, owns what the shell
// shows. The exit code; -1 when the shell cannot start it (or a text holds a
// NUL byte, which the shell would cut short); 0 when the shell hands the file
// to a program that was already running.
int RunAndWait(const TRun& run, const std::string& file, const std::string& parameters,
               const std::string& directory, int show);

// Runs one "PreRunApp"/"RunApp" entry value (program,parameters,directory,
// show,status text). 0 when the program file does not exist.
int RunEntry(const TRun& run, const std::string& value);

// Runs the "PreRunApp" programs; false when one failed and the run must stop.
bool ProcessPreRunApp(TRun& run);

// Runs the "RunApp" programs; their results are ignored.
void ProcessRunApp(TRun& run);

// The eight removal phases in their fixed order, each followed by a step of
// the progress bar.
void RunRemovalPhases(TRun& run);
