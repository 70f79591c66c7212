// Stands in for a library that someone placed beside a program under a
// system library's name. When a process loads it, it appends the path of that
// process's program to "<its own path>.log". It exports the one function a
// program that imports the real library statically would need, so that the
// program still starts and the load shows.
#include <windows.h>

#include "FixtureRecord.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        AppendLine(ModulePath(instance) + ".log", ModulePath(nullptr));
    return TRUE;
}

extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}
