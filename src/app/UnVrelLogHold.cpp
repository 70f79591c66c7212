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

bool DeleteLog() {
    ReleaseLog();
    return DeleteFileForced(LogPath);
}
