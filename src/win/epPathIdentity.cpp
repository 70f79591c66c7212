// Full, long, upper-cased paths through the system's own path functions.
#include "win/epPathIdentity.h"

#include "core/epTextCase.h"
#include "win/epProtection.h"

std::string GetPathIdentity(const std::string& path) {
    return UpperCaseAnsi(GetFullLongPath(path));
}
