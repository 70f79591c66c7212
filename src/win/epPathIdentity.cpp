// Full, long, upper-cased paths through the system's own path functions.
#include "win/epPathIdentity.h"

#include <windows.h>

#include <optional>

#include "core/epProtectedPaths.h"
#include "core/epTextCase.h"
#include "win/epProtection.h"
#include "win/handles.h"

namespace {

struct TFileIdentity {
    DWORD Volume;
    DWORD IndexHigh;
    DWORD IndexLow;
};

// The identity of an existing file or folder; nothing when it cannot be
// opened. Opening for no access at all is allowed whatever others hold.
std::optional<TFileIdentity> FileIdentityOf(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
    const UniqueFile file(CreateFileA(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return TFileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

std::string GetPathIdentity(const std::string& path) {
    // Asked for every folder a log names: most paths need no look at the disk.
    return UpperCaseAnsi(IsPlainFullPath(path) ? path : GetFullLongPath(path));
}

bool IsSameFilePath(const std::string& one, const std::string& other) {
    const std::optional<TFileIdentity> a = FileIdentityOf(one);
    const std::optional<TFileIdentity> b = FileIdentityOf(other);
    if (a && b)
        return a->Volume == b->Volume && a->IndexHigh == b->IndexHigh && a->IndexLow == b->IndexLow;
    return GetPathIdentity(one) == GetPathIdentity(other);
}
