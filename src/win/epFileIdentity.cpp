// File identities through GetFileInformationByHandle.
#include "win/epFileIdentity.h"

#include "core/epStrUtils.h"
#include "win/handles.h"
#include "win/epSystemNames.h"

std::optional<TFileIdentity> GetFileIdentity(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
    TFileIdentity identity;
    identity.Volume = info.dwVolumeSerialNumber;
    identity.Index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return identity;
}

std::optional<TFileIdentity> GetFileIdentity(const std::string& path) {
    if (path.empty() || HoldsNul(path)) return std::nullopt;
    // No access and every sharing: only the file's existence is asked.
    // Backup semantics let a directory open too.
    const UniqueFile file(CreateFileW(ToSystemPath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return std::nullopt;
    return GetFileIdentity(file.get());
}

bool IsFileWithIdentity(const std::string& path, const TFileIdentity& identity) {
    const std::optional<TFileIdentity> own = GetFileIdentity(path);
    return own && *own == identity;
}
