// The run lock: a mutex named from the log's full long path, and beside it a
// small shared record of the process whose windows show the run.
//
// Both live in the Local\ namespace, the session of the user who started the
// run: that is where a second start (a double click, a retrying script) comes
// from, and an administrator's elevated program in the same session sees them
// as well. They carry the default security of their creator; a run of another
// user that may not open the mutex still learns that it exists (the system
// answers "access denied" rather than creating a second one), and stands
// aside without bringing anything to the front.
#include "app/UnVrelRunLock.h"

#include <windows.h>

#include <utility>

#include "core/UnVrelRunLock.h"
#include "win/epPathIdentity.h"
#include "win/handles.h"

namespace {

// Writes this process's id into the record of the run's window owner; the
// record, which must stay open for others to read it.
UniqueHandle PublishWindowOwner(const std::string& fullLongPath) {
    UniqueHandle record(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           sizeof(LONG), RunOwnerName(fullLongPath).c_str()));
    if (!record) return UniqueHandle();
    const MappedView view(MapViewOfFile(record.get(), FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (!view) return UniqueHandle();
    InterlockedExchange(static_cast<volatile LONG*>(view.get()),
                        static_cast<LONG>(GetCurrentProcessId()));
    return record;
}

// The process recorded as showing the run's windows; 0 when none is.
DWORD ReadWindowOwner(const std::string& fullLongPath) {
    const UniqueHandle record(
        OpenFileMappingA(FILE_MAP_READ, FALSE, RunOwnerName(fullLongPath).c_str()));
    if (!record) return 0;
    const MappedView view(MapViewOfFile(record.get(), FILE_MAP_READ, 0, 0, sizeof(LONG)));
    if (!view) return 0;
    return static_cast<DWORD>(*static_cast<const volatile LONG*>(view.get()));
}

struct FrontWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindFrontWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<FrontWindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

bool TRunLock::Take(const std::string& logPath, bool joinFirstProcess) {
    const std::string path = GetFullLongPath(logPath);
    SetLastError(ERROR_SUCCESS);
    UniqueHandle lock(CreateMutexA(nullptr, FALSE, RunLockName(path).c_str()));
    const DWORD error = GetLastError();
    if (!lock) return error != ERROR_ACCESS_DENIED;
    if (error == ERROR_ALREADY_EXISTS && !joinFirstProcess) return false;
    lock_ = std::move(lock);
    ownerRecord_ = PublishWindowOwner(path);
    return true;
}

void BringRunToFront(const std::string& logPath) {
    const DWORD owner = ReadWindowOwner(GetFullLongPath(logPath));
    if (owner == 0 || owner == GetCurrentProcessId()) return;
    // EnumWindows goes from the top of the Z order down: the first enabled
    // window is the one the user has to answer.
    FrontWindowSearch search{owner, nullptr};
    EnumWindows(FindFrontWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return;
    if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
    SetForegroundWindow(search.found);
}
