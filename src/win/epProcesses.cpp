// This process, its parent, and the executables behind processes.
#include "win/epProcesses.h"

#include <tlhelp32.h>

#include "win/epSystemNames.h"
#include "win/epSystemString.h"

namespace {

// The longest path the system takes, with its terminating zero.
constexpr DWORD kLongestPath = 32768;

}  // namespace

std::string GetOwnExecutable() {
    return FromSystemName(ReadCutShortChars<wchar_t>(
        [](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); },
        MAX_PATH, kLongestPath));
}

std::string GetProcessExecutable(HANDLE process) {
    for (DWORD capacity = MAX_PATH;; capacity *= 2) {
        std::wstring buffer(capacity, L'\0');
        DWORD size = capacity;
        if (QueryFullProcessImageNameW(process, 0, &buffer[0], &size)) {
            buffer.resize(size);
            return FromSystemName(buffer);
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || capacity >= kLongestPath) break;
    }
    return std::string();
}

std::wstring GetWorkingDirectory() {
    return ReadSystemWideString(
        [](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
}

bool SetWorkingDirectory(const std::string& path) {
    // The system keeps the current directory within the short-path limit
    // whatever the form, so the path goes as it stands.
    return SetCurrentDirectoryW(ToSystemName(path).c_str()) != FALSE;
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
