// This process, its parent, and the executables behind processes.
#include "win/epProcesses.h"

#include <tlhelp32.h>

#include "win/epSystemString.h"

namespace {

// The longest path the system takes, with its terminating zero.
constexpr DWORD kLongestPath = 32768;

}  // namespace

std::string GetOwnExecutable() {
    return ReadCutShortString(
        [](char* buffer, DWORD size) { return GetModuleFileNameA(nullptr, buffer, size); },
        MAX_PATH, kLongestPath);
}

std::string GetProcessExecutable(HANDLE process) {
    char buffer[4 * MAX_PATH] = {};
    DWORD size = sizeof buffer;
    if (!QueryFullProcessImageNameA(process, 0, buffer, &size)) return std::string();
    return std::string(buffer, size);
}

DWORD GetParentProcessId() {
    const UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self) return entry.th32ParentProcessID;
    }
    return 0;
}

bool StartedBeforeThisProcess(HANDLE process) {
    FILETIME created{}, ownCreated{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
    if (!GetProcessTimes(GetCurrentProcess(), &ownCreated, &exited, &kernel, &user)) return false;
    return CompareFileTime(&created, &ownCreated) <= 0;
}

UniqueHandle OpenParentProcess(DWORD id, DWORD access) {
    if (id == 0 || id != GetParentProcessId()) return UniqueHandle();
    UniqueHandle process(OpenProcess(access | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    // A parent that has ended may leave its id to a newer process: the real
    // parent started before this process did.
    if (!process || !StartedBeforeThisProcess(process.get())) return UniqueHandle();
    return process;
}
