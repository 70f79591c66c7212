// The two views of 64-bit Windows as this program meets them (see epWow64.h).
#include "win/epWow64.h"

#include "core/epProtectedPaths.h"
#include "win/epDllSearch.h"
#include "win/epProtection.h"

namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

bool ProgramIs64Bit() { return sizeof(void*) == 8; }

// Asked once: systems before XP SP2 lack IsWow64Process, and they are
// all 32-bit.
bool RunsUnderWow64() {
    const auto isWow64 = FindFunction<IsWow64ProcessFunction>(GetModuleHandleA("kernel32.dll"),
                                                              "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

std::string SystemWindowsDir() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = GetSystemWindowsDirectoryA(buffer, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return std::string();
    std::string dir(buffer, length);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    return dir;
}

}  // namespace

bool IsWindows64() {
    static const bool windows64 = ProgramIs64Bit() || RunsUnderWow64();
    return windows64;
}

bool ViewExists(TView view) { return view != TView::Bits64 || IsWindows64(); }

REGSAM ViewAccess(TView view) {
    if (!IsWindows64()) return 0;
    switch (view) {
        case TView::Bits32: return KEY_WOW64_32KEY;
        case TView::Bits64: return KEY_WOW64_64KEY;
        case TView::Native: break;
    }
    return 0;
}

const TSystemLayout& SystemLayout() {
    static const TSystemLayout layout{SystemWindowsDir(), IsWindows64(), ProgramIs64Bit()};
    return layout;
}

std::optional<std::string> FileInView(const std::string& path, TView view) {
    if (view == TView::Native) return path;
    std::optional<std::string> mapped = PathInView(path, view, SystemLayout());
    if (!mapped || *mapped != path || IsPlainFullPath(path)) return mapped;
    // "C:\WINDOWS\SYSTEM~1\x.dll" or "System32\x.dll" (taken from the
    // Windows directory): the long form shows the folder it lies in.
    const std::string full = GetFullLongPath(path);
    if (full == path) return mapped;
    std::optional<std::string> longMapped = PathInView(full, view, SystemLayout());
    if (!longMapped || *longMapped != full) return longMapped;
    return mapped;
}
