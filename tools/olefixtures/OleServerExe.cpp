// A stand-in for a local OLE server program: it appends its whole command
// line, as the system gave it, to "<its own path>.log" and ends at once, so
// that a test sees how it was started. It shows no window. Built with
// OLE_FIXTURE_DELAY_MS, it first takes that long, as a slow server does.
// Built with OLE_FIXTURE_END_PARENT, the first time it is started (its
// record file did not exist yet) it ends the process that started it, as a
// crash or a time-out would end an uninstaller part way.
#include <windows.h>

#include <tlhelp32.h>

#include <string>

#include "FixtureRecord.h"

#ifndef OLE_FIXTURE_DELAY_MS
#define OLE_FIXTURE_DELAY_MS 0
#endif
#ifndef OLE_FIXTURE_END_PARENT
#define OLE_FIXTURE_END_PARENT 0
#endif

namespace {

// The id of the process that started this one; 0 when the system does not tell.
DWORD ParentProcessId() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return parent;
}

void EndParent() {
    const HANDLE parent = OpenProcess(PROCESS_TERMINATE, FALSE, ParentProcessId());
    if (parent == nullptr) return;
    TerminateProcess(parent, 9);
    CloseHandle(parent);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (OLE_FIXTURE_DELAY_MS > 0) Sleep(OLE_FIXTURE_DELAY_MS);
    const std::string record = ModulePath(nullptr) + ".log";
    const bool first = GetFileAttributesA(record.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (!AppendLine(record, GetCommandLineA())) return 1;
    if (OLE_FIXTURE_END_PARENT && first) EndParent();
    return 0;
}
