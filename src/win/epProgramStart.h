// Starting other programs: a program that the log names, opened through the
// shell as the user would open it, and a program file started directly with
// a command line of the caller's making.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

// A program (or document) of the log to open through the shell; every text
// in the encoding of names (win/epSystemNames).
struct TShellStart {
    std::string File;
    std::string Parameters;
    std::string Directory;     // empty: the shell's default
    int Show = SW_SHOWNORMAL;  // the show command the program gets
    HWND Owner = nullptr;      // owner of the shell's own boxes
    bool NoBoxes = false;      // the shell shows no box of its own, even on failure
};

// Opens it. True when the shell did: process is then the started process,
// or empty when the shell handed a document to a program that was already
// running. False (GetLastError tells why) when the shell could not, or a
// text holds a NUL (which the system would read only up to).
bool ShellStart(const TShellStart& start, UniqueHandle& process);

// Starts the program file at path (a full path in the encoding of names)
// with commandLine exactly as given, in the system's characters, in
// directory (as the system gave it; empty: this process's), with the show
// state this process was given. It inherits inherit and no other handle of
// this process, and may bring its windows to the front as this process's
// own could. Its process; empty when it cannot start (GetLastError tells why).
UniqueHandle StartProgramFile(const std::string& path, std::wstring commandLine,
                              const std::wstring& directory, HANDLE inherit);
