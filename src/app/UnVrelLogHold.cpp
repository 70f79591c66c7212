// The hold on the installation log.
#include "app/UnVrelLogHold.h"

#include <windows.h>

#include <optional>

#include "app/UnVrel.h"
#include "core/epFileUtils.h"
#include "core/epTextCase.h"
#include "win/epFileIdentity.h"
#include "win/epFileUtils.h"
#include "win/epProtection.h"
#include "win/handles.h"

namespace {

UniqueFile heldLog;
// The held log's file name, long and as given: a path with another name
// cannot be the log, and needs no look at the file system.
std::string heldLongName;
std::string heldGivenName;

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
    // Opening for no access at all, as the identity is asked, is not stopped
    // by the hold's sharing.
    const std::optional<TFileIdentity> held = GetFileIdentity(heldLog.get());
    return held && IsFileWithIdentity(path, *held);
}
