// The hold on the installation log.
#include "app/UnVrelLogHold.h"

#include <windows.h>

#include "app/UnVrel.h"
#include "core/epFileUtils.h"
#include "core/epTextCase.h"
#include "win/epFileUtils.h"
#include "win/epProtection.h"
#include "win/handles.h"

namespace {

UniqueFile heldLog;
// The held log's file name, long and as given: a path with another name
// cannot be the log, and needs no look at the file system.
std::string heldLongName;
std::string heldGivenName;

// The identity of an open file: its volume and its index on the volume.
bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION one{}, other{};
    return GetFileInformationByHandle(a, &one) && GetFileInformationByHandle(b, &other) &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

}  // namespace

void HoldLog() {
    heldLog.reset(OpenFileHandle(LogPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL));
    heldLongName = ExtractFileName(GetFullLongPath(LogPath));
    heldGivenName = ExtractFileName(LogPath);
}

void ReleaseLog() { heldLog.reset(); }

bool DeleteLog() {
    ReleaseLog();
    return DeleteFileForced(LogPath);
}

bool HasLogName(const std::string& path) {
    const std::string name = ExtractFileName(path);
    return SameFileName(name, heldLongName) || SameFileName(name, heldGivenName);
}

bool IsHeldLog(const std::string& path) {
    if (!heldLog || !HasLogName(path)) return false;
    // Opening for no access at all is not stopped by the hold's sharing.
    const UniqueFile other(OpenFileHandle(path, 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    return other && SameFile(heldLog.get(), other.get());
}
