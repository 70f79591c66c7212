// The library search order of the process.
#include "win/epDllSearch.h"

#include "core/epStrUtils.h"
#include "win/epSystemNames.h"

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// The system directory with a trailing backslash; empty when the system does
// not tell.
std::string SystemDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::string dir(buffer, length);
    if (dir.back() != '\\') dir += '\\';
    return dir;
}

}  // namespace

void LimitDllSearchToSystem() {
    // kernel32 is mapped into every process before the program's own code runs.
    const auto setDefault = FindFunction<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char* name) {
    const std::string dir = SystemDirectory();
    if (dir.empty()) return nullptr;
    return LoadLibraryA((dir + name).c_str());
}

UniqueModule LoadImageAsData(const std::string& path) {
    if (path.empty() || HoldsNul(path)) return UniqueModule();
    return UniqueModule(
        LoadLibraryExW(ToSystemPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}
