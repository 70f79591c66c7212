// A stand-in for a local OLE server program: it appends its whole command
// line, as the system gave it, to "<its own path>.log" and ends at once, so
// that a test sees how it was started. It shows no window.
#include <windows.h>

#include <string>

#include "FixtureRecord.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return AppendLine(ModulePath(nullptr) + ".log", GetCommandLineA()) ? 0 : 1;
}
