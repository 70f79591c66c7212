// The hold on the installation log.
#include "app/UnVrelLogHold.h"

#include <windows.h>

#include "core/epFileUtils.h"
#include "core/epTextCase.h"
#include "win/epFileUtils.h"
#include "win/epProtection.h"
#include "win/handles.h"

namespace {

// The identity of an open file: its volume and its index on the volume.
bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION one{}, other{};
    return GetFileInformationByHandle(a, &one) && GetFileInformationByHandle(b, &other) &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

}  // namespace

void TLogHold::Hold(const std::string& path) {
    path_ = path;
    held_.reset(OpenFileHandle(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL));
    longName_ = ExtractFileName(GetFullLongPath(path));
    givenName_ = ExtractFileName(path);
}

void TLogHold::Release() { held_.reset(); }

bool TLogHold::Delete() {
    Release();
    return DeleteFileForced(path_);
}

bool TLogHold::HasLogName(const std::string& path) const {
    const std::string name = ExtractFileName(path);
    return SameFileName(name, longName_) || SameFileName(name, givenName_);
}

bool TLogHold::IsHeldLog(const std::string& path) const {
    if (!held_ || !HasLogName(path)) return false;
    // Opening for no access at all is not stopped by the hold's sharing.
    const UniqueFile other(OpenFileHandle(path, 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    return other && SameFile(held_.get(), other.get());
}
