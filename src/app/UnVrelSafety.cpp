// The refusals of a run (see UnVrelSafety.h): the machine's protected
// directories are gathered once, on first use, by the worker.
#include "app/UnVrelSafety.h"

#include "win/epProtection.h"

namespace {

const TProtectedDirs& ProtectedDirs() {
    static const TProtectedDirs dirs = GatherProtectedDirs();
    return dirs;
}

}  // namespace

bool RefuseRegistryEntry(const std::string& path) { return IsRegistryEntryRefused(path); }

bool RefuseFileMask(const std::string& mask) { return IsMaskRefused(mask, ProtectedDirs()); }

bool RefuseDirectory(const std::string& dir) { return IsDirectoryRefused(dir, ProtectedDirs()); }
