// A stand-in for a local OLE server program: it appends its whole command
// line, as the system gave it, to "<its own path>.log" and ends at once, so
// that a test sees how it was started. It shows no window. Built with
// OLE_FIXTURE_DELAY_MS, it first takes that long, as a slow server does.
#include <windows.h>

#include <string>

#include "FixtureRecord.h"

#ifndef OLE_FIXTURE_DELAY_MS
#define OLE_FIXTURE_DELAY_MS 0
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (OLE_FIXTURE_DELAY_MS > 0) Sleep(OLE_FIXTURE_DELAY_MS);
    return AppendLine(ModulePath(nullptr) + ".log", GetCommandLineA()) ? 0 : 1;
}
