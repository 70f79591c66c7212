// The program UnVrel: its program-wide state and the services that the body,
// the main dialog, the worker and the section handlers share.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/UnVrelOptions.h"
#include "core/epIniFile.h"

class TBannerSurface;

// Program-wide state. Written by the main thread until the worker is resumed,
// then used by the worker alone until it enables Close, then by the main
// thread again: the resume and the enabling of Close are the handover.
extern HINSTANCE InstanceHandle;
extern std::string LogPath;
extern HWND MainDialog;
extern TStringList WorkList;         // lines of the log section being processed
extern TStringList KeptSharedFiles;  // shared files that stay on the system
extern HANDLE WorkerThread;
extern DWORD WorkerThreadId;
extern std::unique_ptr<TBannerSurface> BannerSurface;
extern std::string CurrentSharedFile;
// The options after the log path; read once at start-up, then only read.
extern TRunOptions RunOptions;

// The fixed caption of every window and box; never replaced by the log.
extern const char* const kProgramTitle;

// One value of the installation log, every "||" turned into a carriage return.
std::string ReadLogString(const std::string& section, const std::string& key,
                          const std::string& def);

// Message text `id`: the log's "Strings" replacement when the key is present,
// else the string table's default (empty when there is none); "||" → CR.
std::string LoadMessageText(int id);

// The main dialog's procedure (DLG_UNINSTALL).
INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Appends a line to the status list and selects it (called from the worker).
void AddStatusLine(const std::string& text);

// Replaces the status list's last line by that line, a blank and word.
void AppendStatus(const std::string& word);

// The worker thread's routine: the whole removal run; always returns 1. The
// unattended run, which has no dialog, calls it on the main thread.
DWORD WINAPI UninstallWorker(LPVOID parameter);
