// What a process can learn about itself and the process that started it.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

// The full path of this process's executable, in the encoding of names
// (win/epSystemNames), whatever its length; empty when the system does not
// give it.
std::string GetOwnExecutable();

// The full path of the process's executable, as the system names it, in the
// encoding of names; empty when it cannot be asked (the handle needs
// PROCESS_QUERY_LIMITED_INFORMATION).
std::string GetProcessExecutable(HANDLE process);

// This process's current directory as the system holds it: it is only ever
// handed back to the system, so it is kept in the system's characters.
// Empty when the system does not give it.
std::wstring GetWorkingDirectory();

// Makes path (in the encoding of names) this process's current directory;
// false (GetLastError tells why) when the system refuses.
bool SetWorkingDirectory(const std::string& path);

// The id of the process that started this one; 0 when unknown. The parent
// may have ended since, and its id may then belong to another process:
// OpenParentProcess checks that.
DWORD GetParentProcessId();

// The process whose id is given, opened with access (plus
// PROCESS_QUERY_LIMITED_INFORMATION), when it is really this process's
// parent: its id is the parent id and it started before this process. An
// empty handle otherwise.
UniqueHandle OpenParentProcess(DWORD id, DWORD access);

// True when the process was started before this one (false when unknown).
bool StartedBeforeThisProcess(HANDLE process);
