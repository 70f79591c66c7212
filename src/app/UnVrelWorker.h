// Services of the worker run that the section handlers share.
#pragma once

#include <windows.h>

#include <string>

// The text of a work-list line before its last "="; empty without one.
std::string EntryKey(const std::string& line);

// Replaces the work list by the lines of that log section, in file order.
void LoadLogSection(const std::string& section);

// Advances the progress bar by one step.
void StepProgress();

// Runs a phase's handler, then advances the progress bar.
void RunPhase(void (*handler)());

// Starts a program through the shell and waits for it, handling this
// thread's messages meanwhile. The exit code; -1 when the shell cannot start
// it; 0 when the shell hands the file to a program that was already running.
int RunAndWait(HWND owner, const std::string& file, const std::string& parameters,
               const std::string& directory, int show);

// Runs one "PreRunApp"/"RunApp" entry value (program,parameters,directory,
// show,status text). 0 when the program file does not exist.
int RunEntry(const std::string& value);

// Runs the "PreRunApp" programs; false when one failed and the run must stop.
bool ProcessPreRunApp();

// Runs the "RunApp" programs; their results are ignored.
void ProcessRunApp();

// The eight removal phases in their fixed order, each followed by a step of
// the progress bar.
void RunRemovalPhases();
