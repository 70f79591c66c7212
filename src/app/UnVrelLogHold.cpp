// The hold on the installation log.
#include "app/UnVrelLogHold.h"

#include <windows.h>

#include "app/UnVrel.h"
#include "win/epFileUtils.h"
#include "win/handles.h"

namespace {

UniqueFile heldLog;

}  // namespace

void HoldLog() {
    heldLog.reset(OpenFileHandle(LogPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL));
}

void ReleaseLog() { heldLog.reset(); }

bool IsHeldLog(const std::string& path) {
    if (!heldLog) return false;
    // Asking only for its attributes conflicts with no sharing mode.
    const UniqueFile file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION held{};
    BY_HANDLE_FILE_INFORMATION other{};
    return file && GetFileInformationByHandle(heldLog.get(), &held) &&
           GetFileInformationByHandle(file.get(), &other) &&
           held.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           held.nFileIndexHigh == other.nFileIndexHigh && held.nFileIndexLow == other.nFileIndexLow;
}

bool DeleteLog() {
    ReleaseLog();
    return DeleteFileForced(LogPath);
}
