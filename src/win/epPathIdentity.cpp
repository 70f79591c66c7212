// Full, long, upper-cased paths through the system's own path functions.
#include "win/epPathIdentity.h"

#include "core/epProtectedPaths.h"
#include "core/epTextCase.h"
#include "win/epProtection.h"

std::string GetPathIdentity(const std::string& path) {
    // Asked for every folder a log names: most paths need no look at the disk.
    return UpperCaseAnsi(IsPlainFullPath(path) ? path : GetFullLongPath(path));
}
