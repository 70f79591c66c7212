// Full, long, upper-cased paths through the system's own path functions.
#include "win/epPathIdentity.h"

#include <optional>

#include "core/epProtectedPaths.h"
#include "core/epTextCase.h"
#include "win/epFileIdentity.h"
#include "win/epProtection.h"

std::string GetPathIdentity(const std::string& path) {
    // Asked for every folder a log names: most paths need no look at the disk.
    return UpperCaseAnsi(IsPlainFullPath(path) ? path : GetFullLongPath(path));
}

bool IsSameFilePath(const std::string& one, const std::string& other) {
    const std::optional<TFileIdentity> a = GetFileIdentity(one);
    const std::optional<TFileIdentity> b = a ? GetFileIdentity(other) : std::nullopt;
    if (a && b) return *a == *b;
    return GetPathIdentity(one) == GetPathIdentity(other);
}
