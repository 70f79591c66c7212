// A library that several Tamsk applications share: installed once, counted
// under SharedDLLs, removed when the last application that counts it goes.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI TamskSharedVersion() { return 0x00010000; }
