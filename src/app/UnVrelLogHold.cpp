// The hold on the installation log.
#include "app/UnVrelLogHold.h"

#include <windows.h>

#include <optional>

#include "core/epFileUtils.h"
#include "core/epTextCase.h"
#include "win/epFileIdentity.h"
#include "win/epFileUtils.h"
#include "win/epProtection.h"
#include "win/handles.h"

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
    // The path's identity is asked with no access at all, which the hold's
    // sharing does not stop.
    const std::optional<TFileIdentity> held = GetFileIdentity(held_.get());
    return held && IsFileWithIdentity(path, *held);
}
